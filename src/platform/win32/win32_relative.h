#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "platform/data_file_opens.h"
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
// A success code: the handle is open, and another program's oplock on the file is breaking.
inline constexpr std::uint32_t kStatusOplockBreakInProgress = 0x00000108;

// One name inside a folder, and the same name that a Win32 path reaches: nothing that climbs or
// descends (separators, "." and ".."), names a stream (":"), or that Win32 paths trim (a trailing
// dot or blank).
bool IsOneName(const std::u16string& name);

// The path of `name` inside the folder whose path is `folder`.
std::u16string Child(const std::u16string& folder, const std::u16string& name);

// Wine opens what a symbolic link leads to even when asked for the link itself, and its attribute
// tag shows no reparse point; the name's own attributes still show the link. On Windows the open
// itself tells, and a held name can no longer change.
bool NameIsLink(const std::u16string& path);

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

// A data or temporary file `name` in `folder`, opened as `how` says (FILE_NON_DIRECTORY_FILE and
// FILE_OPEN_REPARSE_POINT added). Where another program's oplock is breaking, the handle it was
// given is closed at once and the open fails as a file in use does (STATUS_SHARING_VIOLATION): so
// nothing done to the file afterwards can wait for that program to acknowledge the break.
RelativeOpen OpenDataFile(HANDLE folder, const std::u16string& name, const FileOpen& how);

// Renames what `file` holds open to `name` in `folder`, replacing nothing (FileRenameInformation
// with RootDirectory).
// Windows' SetFileInformationByHandle(FileRenameInfo) passes the same request on; Wine's turns the
// name into a full path first, which its own check then refuses beside a RootDirectory. Returns 0
// or the Win32 error code.
std::uint32_t RenameRelative(HANDLE file, HANDLE folder, const std::u16string& name);

}  // namespace velmoro
