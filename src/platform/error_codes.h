#pragma once

#include <cstdint>

namespace velmoro {

// A platform error code, as GetLastError and the registry functions report it; 0 is success.
using ErrorCode = std::uint32_t;

inline constexpr ErrorCode kErrorSuccess = 0;
inline constexpr ErrorCode kErrorFileNotFound = 2;
inline constexpr ErrorCode kErrorPathNotFound = 3;
inline constexpr ErrorCode kErrorAccessDenied = 5;
inline constexpr ErrorCode kErrorInvalidHandle = 6;
inline constexpr ErrorCode kErrorSharingViolation = 32;
inline constexpr ErrorCode kErrorFileExists = 80;
inline constexpr ErrorCode kErrorDiskFull = 112;
inline constexpr ErrorCode kErrorAlreadyExists = 183;
inline constexpr ErrorCode kErrorMoreData = 234;
inline constexpr ErrorCode kErrorNoMoreItems = 259;
// ERROR_INTERNAL_ERROR: what the program reports where the system gave no random bits.
inline constexpr ErrorCode kErrorInternalError = 1359;

}  // namespace velmoro
