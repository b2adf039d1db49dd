#pragma once

#include <cstdint>
#include <string>

#include "platform/error_codes.h"

namespace velmoro {

// Opaque registry key handle. The predefined roots have their platform values; 0 is no key.
using RegKey = std::uintptr_t;
inline constexpr RegKey kNoKey = 0;
inline constexpr RegKey kHkeyCurrentUser = 0x80000001u;
inline constexpr RegKey kHkeyLocalMachine = 0x80000002u;

inline constexpr std::uint32_t kRegNone = 0;
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;
inline constexpr std::uint32_t kRegMultiSz = 7;
inline constexpr std::uint32_t kRegQword = 11;

inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeyReadEnumerate =
    0x20009;  // STANDARD_RIGHTS_READ | query | enumerate
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWow64_64Key = 0x0100;
inline constexpr std::uint32_t kKeyWow64_32Key = 0x0200;

// The registry functions of the platform, one method each, with their argument conventions. Names
// and texts are UTF-16, as the registry holds them.
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;

  // RegOpenKeyExW: path is relative to parent (a root or an open key).
  virtual ErrorCode OpenKey(RegKey parent, const std::u16string& path, std::uint32_t access,
                            RegKey& result) = 0;
  // RegCloseKey.
  virtual ErrorCode CloseKey(RegKey key) = 0;
  // RegQueryInfoKeyW: number of subkeys, length of the longest subkey name in characters (without
  // NUL) and the key's last-write time (a FILETIME, which making or removing a subkey moves on).
  virtual ErrorCode QueryInfoKey(RegKey key, std::uint32_t& subkeys, std::uint32_t& max_name_length,
                                 std::uint64_t& last_write) = 0;
  // RegEnumKeyExW: on entry name_length is the buffer's capacity in characters including the NUL;
  // on success it is the name's length without the NUL.
  virtual ErrorCode EnumKey(RegKey key, std::uint32_t index, char16_t* name,
                            std::uint32_t& name_length) = 0;
  // RegQueryValueExW: type and data may be null; with data null only the size is reported. Sizes
  // are in bytes; string data is UTF-16LE.
  virtual ErrorCode QueryValue(RegKey key, const std::u16string& name, std::uint32_t* type,
                               unsigned char* data, std::uint32_t* size) = 0;

  // True on 64-bit Windows, where the registry has a 64-bit and a 32-bit view.
  virtual bool HasTwoViews() = 0;
};

}  // namespace velmoro
