#include "platform/win32/win32_relative.h"

#include <winternl.h>

#include <cstddef>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/win32/win32_wide.h"

namespace velmoro {

bool IsOneName(const std::u16string& name) {
  constexpr std::size_t kMaxName = MAXWORD / sizeof(wchar_t);  // a UNICODE_STRING's bound
  if (name.empty() || name.size() > kMaxName || name.back() == u'.' || name.back() == u' ') {
    return false;
  }
  return name.find_first_of(std::u16string_view(u"\\/:\0", 4)) == std::u16string::npos;
}

std::u16string Child(const std::u16string& folder, const std::u16string& name) {
  return (folder == u"\\" ? u"" : folder) + u"\\" + name;
}

bool NameIsLink(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

RelativeOpen OpenRelative(HANDLE folder, const std::u16string& name, ACCESS_MASK access,
                          ULONG sharing, ULONG disposition, ULONG options,
                          PSECURITY_DESCRIPTOR security) {
  RelativeOpen opened;
  if (!IsOneName(name)) {
    opened.error = ERROR_INVALID_NAME;
    return opened;
  }
  std::u16string buffer = name;
  UNICODE_STRING object_name{};
  object_name.Buffer = Wide(buffer.data());
  object_name.Length = static_cast<USHORT>(buffer.size() * sizeof(wchar_t));
  object_name.MaximumLength = object_name.Length;
  OBJECT_ATTRIBUTES attributes{};
  InitializeObjectAttributes(&attributes, &object_name, OBJ_CASE_INSENSITIVE, folder, security);
  IO_STATUS_BLOCK io{};
  HANDLE handle = nullptr;
  const NTSTATUS status = NtCreateFile(
      &handle, access | SYNCHRONIZE, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, sharing,
      disposition, options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
  opened.status = static_cast<std::uint32_t>(status);
  if (!NT_SUCCESS(status)) {
    opened.error = static_cast<std::uint32_t>(RtlNtStatusToDosError(status));
    return opened;
  }
  opened.handle = OwnHandle(handle);
  return opened;
}

static_assert(kAccessDelete == DELETE && kAccessRead == GENERIC_READ &&
              kAccessWrite == GENERIC_WRITE);
static_assert(kShareRead == FILE_SHARE_READ && kShareDelete == FILE_SHARE_DELETE);
static_assert(kDispositionOpen == FILE_OPEN && kDispositionCreate == FILE_CREATE);

RelativeOpen OpenDataFile(HANDLE folder, const std::u16string& name, const FileOpen& how) {
  const ULONG options =
      FILE_NON_DIRECTORY_FILE | (how.complete_if_oplocked ? FILE_COMPLETE_IF_OPLOCKED : 0);
  RelativeOpen opened =
      OpenRelative(folder, name, how.access, how.sharing, how.disposition, options);
  if (opened.status == kStatusOplockBreakInProgress) {
    opened.handle.reset();
    opened.status = kStatusSharingViolation;
    opened.error = ERROR_SHARING_VIOLATION;
  }
  return opened;
}

std::uint32_t RenameRelative(HANDLE file, HANDLE folder, const std::u16string& name) {
  if (!IsOneName(name)) return ERROR_INVALID_NAME;
  const std::size_t name_bytes = name.size() * sizeof(wchar_t);
  const std::size_t size = offsetof(FILE_RENAME_INFORMATION, FileName) + name_bytes;
  // FILE_RENAME_INFORMATION ends in a name of any length; the buffer is aligned as it is.
  std::vector<ULONGLONG> buffer((size + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG));
  auto* rename = reinterpret_cast<FILE_RENAME_INFORMATION*>(buffer.data());
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = folder;
  rename->FileNameLength = static_cast<ULONG>(name_bytes);
  std::memcpy(rename->FileName, name.data(), name_bytes);
  IO_STATUS_BLOCK io{};
  const NTSTATUS status =
      NtSetInformationFile(file, &io, rename, static_cast<ULONG>(size), FileRenameInformation);
  return NT_SUCCESS(status) ? 0 : static_cast<std::uint32_t>(RtlNtStatusToDosError(status));
}

}  // namespace velmoro
