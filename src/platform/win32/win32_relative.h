#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/win32/win32_handles.h"

namespace velmoro {

// Opening and renaming by a name inside a folder, relative to the folder's handle (NtCreateFile
// and NtSetInformationFile with a RootDirectory): the name is looked up in the folder the handle
// holds, whatever its path leads to meanwhile.

// The status codes the callers tell apart.
inline constexpr std::uint32_t kStatusObjectNameNotFound = 0xC0000034;
inline constexpr std::uint32_t kStatusObjectNameCollision = 0xC0000035;
inline constexpr std::uint32_t kStatusObjectPathNotFound = 0xC000003A;
inline constexpr std::uint32_t kStatusSharingViolation = 0xC0000043;
inline constexpr std::uint32_t kStatusFileIsADirectory = 0xC00000BA;
inline constexpr std::uint32_t kStatusNotADirectory = 0xC0000103;

// One name inside a folder, and the same name that a Win32 path reaches: nothing that climbs or
// descends (separators, "." and ".."), names a stream (":"), or that Win32 paths trim (a trailing
// dot or blank).
bool IsOneName(const std::u16string& name);

struct RelativeOpen {
  UniqueHandle handle;       // null on failure
  std::uint32_t status = 0;  // the NTSTATUS
  std::uint32_t error = 0;   // its Win32 error code
};

// NtCreateFile of `name` in `folder` with FILE_OPEN_REPARSE_POINT and synchronous I/O added to
// `options`; `security` is null or the descriptor of what it creates.
RelativeOpen OpenRelative(HANDLE folder, const std::u16string& name, ACCESS_MASK access,
                          ULONG sharing, ULONG disposition, ULONG options,
                          PSECURITY_DESCRIPTOR security = nullptr);

// Renames what `file` holds open to `name` in `folder` (FileRenameInformation with RootDirectory).
// Windows' SetFileInformationByHandle(FileRenameInfo) passes the same request on; Wine's turns the
// name into a full path first, which its own check then refuses beside a RootDirectory. Returns 0
// or the Win32 error code.
std::uint32_t RenameRelative(HANDLE file, HANDLE folder, const std::u16string& name, bool replace);

}  // namespace velmoro
