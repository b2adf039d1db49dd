#include "platform/win32/win32_files.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <knownfolders.h>
#include <ntsecapi.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>

#include <algorithm>

#include "platform/win32/win32_wide.h"

namespace velmoro {
namespace {

// ERROR_CANT_ACCESS_FILE: what a read reports when a link has been put in place of a data file
// after it was checked.
constexpr DWORD kLinkedNow = 1920;

UniqueHandle OpenFile(const std::u16string& path, DWORD access, DWORD sharing, DWORD disposition,
                      DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return OwnHandle(CreateFileW(Wide(path), access, sharing, nullptr, disposition, flags, nullptr));
}

bool IsLink(const BY_HANDLE_FILE_INFORMATION& info) {
  return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || info.nNumberOfLinks > 1;
}

}  // namespace

bool Win32Files::FileExists(const std::u16string& path) {
  WIN32_FIND_DATAW data{};
  HANDLE found = FindFirstFileW(Wide(path), &data);
  if (found == INVALID_HANDLE_VALUE) return false;
  const UniqueFind find(found);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Files::DirectoryExists(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Files::MakeDirectory(const std::u16string& path, const std::u16string& security) {
  if (security.empty()) return CreateDirectoryW(Wide(path), nullptr) != 0;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(Wide(security), SDDL_REVISION_1,
                                                            &descriptor, nullptr)) {
    return false;
  }
  const UniqueLocal<void> owned(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  return CreateDirectoryW(Wide(path), &attributes) != 0;
}

LinkKind Win32Files::LinkAt(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  if (attributes == INVALID_FILE_ATTRIBUTES) return LinkKind::kNone;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return LinkKind::kReparsePoint;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return LinkKind::kNone;
  const UniqueHandle file =
      OpenFile(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!file || !GetFileInformationByHandle(file.get(), &info)) return LinkKind::kNone;
  return info.nNumberOfLinks > 1 ? LinkKind::kHardLinks : LinkKind::kNone;
}

std::u16string Win32Files::ModuleFileName() {
  // The path may be longer than MAX_PATH; a result that fills the buffer may have been cut.
  std::u16string path(MAX_PATH, u'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, Wide(path.data()), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::u16string Win32Files::LocalAppDataFolder() {
  PWSTR path = nullptr;
  const HRESULT result =
      SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_DONT_VERIFY, nullptr, &path);
  std::u16string folder = SUCCEEDED(result) ? FromWide(path, wcslen(path)) : std::u16string();
  CoTaskMemFree(path);
  return folder;
}

ReadResult Win32Files::ReadWholeFile(const std::u16string& path, std::string& bytes,
                                     std::uint64_t max_bytes) {
  // Other readers are admitted, writers are not; where the file system allows it, a move that
  // replaces the file may happen meanwhile (FILE_SHARE_DELETE) and this read still sees the old
  // text. A link is opened as itself, never followed.
  const UniqueHandle file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
  if (!file) return {ReadStatus::kFailed, GetLastError()};
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file.get(), &info)) return {ReadStatus::kFailed, GetLastError()};
  if (IsLink(info)) return {ReadStatus::kFailed, kLinkedNow};
  const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  if (size > max_bytes) return {ReadStatus::kTooLarge};
  bytes.assign(static_cast<std::size_t>(size), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + done, wanted, &got, nullptr)) {
      return {ReadStatus::kFailed, GetLastError()};
    }
    if (got == 0) break;  // the file shrank since its size was taken
    done += got;
  }
  bytes.resize(done);
  return {};
}

WriteResult Win32Files::WriteNewFile(const std::u16string& path, const std::string& bytes) {
  const UniqueHandle file = OpenFile(path, GENERIC_WRITE, 0, CREATE_NEW);
  if (!file) {
    const DWORD error = GetLastError();
    const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    return {taken ? WriteStatus::kExists : WriteStatus::kCreateFailed, error};
  }
  if (bytes.size() > MAXDWORD) return {WriteStatus::kShortWrite, 0};
  if (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
      return {WriteStatus::kShortWrite, 0};
    }
  }
  // Data that never reached the disk must not replace the old file.
  if (!FlushFileBuffers(file.get())) return {WriteStatus::kShortWrite, 0};
  return {};
}

std::uint32_t Win32Files::MoveReplacing(const std::u16string& from, const std::u16string& to) {
  return MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? 0
             : GetLastError();
}

void Win32Files::RemoveFile(const std::u16string& path) {
  DeleteFileW(Wide(path));
}

// RtlGenRandom, from advapi32, which the program imports anyway.
std::uint64_t Win32Files::Random() {
  std::uint64_t value = 0;
  RtlGenRandom(&value, sizeof(value));
  return value;
}

// One name for every session of the machine, as the data files are the machine's.
constexpr wchar_t kDataFilesMutex[] = L"Global\\Quinsett.VelmoroUninstaller.DataFiles";
// Another copy holds the lock only while it reads and replaces the files, which takes
// milliseconds; whoever holds it longer is not waited for.
constexpr DWORD kLockWaitMs = 2000;

bool Win32Files::LockDataFiles() {
  UniqueHandle mutex(CreateMutexW(nullptr, FALSE, kDataFilesMutex));
  if (!mutex) return false;  // another user's copy made it and we may not open it
  const DWORD waited = WaitForSingleObject(mutex.get(), kLockWaitMs);
  // An abandoned lock is ours now: its holder ended without replacing the files.
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return false;
  lock_.reset(mutex.release());
  return true;
}

void Win32Files::UnlockDataFiles() {
  lock_.reset();
}

std::u16string Win32Files::DescribeError(std::uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const UniqueLocal<wchar_t> owned(buffer);
  return length == 0 ? std::u16string() : FromWide(buffer, length);
}

}  // namespace velmoro
