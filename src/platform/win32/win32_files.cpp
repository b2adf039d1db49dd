#include "platform/win32/win32_files.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <aclapi.h>
#include <knownfolders.h>
#include <ntsecapi.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <winternl.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/win32/win32_privileges.h"
#include "platform/win32/win32_security.h"
#include "platform/win32/win32_wide.h"

namespace velmoro {
namespace {

UniqueHandle OpenFile(const std::u16string& path, DWORD access, DWORD sharing, DWORD disposition,
                      DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return OwnHandle(CreateFileW(Wide(path), access, sharing, nullptr, disposition, flags, nullptr));
}

bool IsLink(const BY_HANDLE_FILE_INFORMATION& info) {
  return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || info.nNumberOfLinks > 1;
}

// A held folder may be listed and its security read; it shares reading and writing but never
// deleting, so nobody can rename, remove or replace it while it is held.
constexpr DWORD kHoldAccess =
    FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;
constexpr DWORD kHoldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;

// One name inside a folder, made relative to the folder's handle, and the same name that a Win32
// path reaches: nothing that climbs or descends (separators, "." and ".."), names a stream (":"),
// or that Win32 paths trim (a trailing dot or blank).
bool IsOneName(const std::u16string& name) {
  constexpr std::size_t kMaxName = MAXWORD / sizeof(wchar_t);  // a UNICODE_STRING's bound
  if (name.empty() || name.size() > kMaxName || name.back() == u'.' || name.back() == u' ') {
    return false;
  }
  return name.find_first_of(std::u16string_view(u"\\/:\0", 4)) == std::u16string::npos;
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

bool Win32Files::MakeDirectory(const std::u16string& path) {
  return CreateDirectoryW(Wide(path), nullptr) != 0;
}

HeldFolder Win32Files::HoldFolder(const std::u16string& path) {
  UniqueHandle folder = OpenFile(path, kHoldAccess, kHoldSharing, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
  if (!folder) {
    const DWORD error = GetLastError();
    switch (error) {
      case ERROR_SHARING_VIOLATION:
        return {HoldStatus::kInUse, kNoFolder, error};
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
        return {HoldStatus::kMissing, kNoFolder, error};
      default:
        return {HoldStatus::kFailed, kNoFolder, error};
    }
  }
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(folder.get(), &info)) {
    return {HoldStatus::kFailed, kNoFolder, GetLastError()};
  }
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return {HoldStatus::kLink};
  // Wine opens what a symbolic link leads to even when asked for the link itself; the name's own
  // attributes still show the link. Held, the name can no longer change on Windows.
  const DWORD attributes = GetFileAttributesW(Wide(path));
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    return {HoldStatus::kLink};
  }
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return {HoldStatus::kMissing};
  return Keep(std::move(folder));
}

HeldFolder Win32Files::MakeFolder(FolderHandle parent, const std::u16string& name,
                                  const FolderSecurity* security) {
  const HANDLE root = Held(parent);
  if (root == nullptr) return {HoldStatus::kFailed, kNoFolder, ERROR_INVALID_HANDLE};
  if (!IsOneName(name)) return {HoldStatus::kFailed, kNoFolder, ERROR_INVALID_NAME};
  std::optional<FolderDescriptor> descriptor;
  if (security != nullptr) {
    descriptor = FolderDescriptor::Make(*security, false);
    if (!descriptor) return {HoldStatus::kFailed, kNoFolder, ERROR_INVALID_SECURITY_DESCR};
  }
  std::u16string name_buffer = name;
  UNICODE_STRING object_name{};
  object_name.Buffer = Wide(name_buffer.data());
  object_name.Length = static_cast<USHORT>(name_buffer.size() * sizeof(wchar_t));
  object_name.MaximumLength = object_name.Length;
  OBJECT_ATTRIBUTES attributes{};
  InitializeObjectAttributes(&attributes, &object_name, OBJ_CASE_INSENSITIVE, root,
                             descriptor ? descriptor->get() : nullptr);
  IO_STATUS_BLOCK io{};
  HANDLE made = nullptr;
  // Created and opened in one step, relative to the held parent: no link can take the name's
  // place between the two, nor lead the creation anywhere else.
  const NTSTATUS status = NtCreateFile(
      &made, kHoldAccess, &attributes, &io, nullptr, FILE_ATTRIBUTE_NORMAL, kHoldSharing,
      FILE_CREATE, FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT,
      nullptr, 0);
  if (!NT_SUCCESS(status)) {
    return {HoldStatus::kFailed, kNoFolder,
            static_cast<std::uint32_t>(RtlNtStatusToDosError(status))};
  }
  return Keep(OwnHandle(made));
}

void Win32Files::ReleaseFolder(FolderHandle folder) {
  folders_.erase(folder);
}

std::optional<FolderSecurity> Win32Files::ReadFolderSecurity(FolderHandle folder) {
  const HANDLE held = Held(folder);
  if (held == nullptr) return std::nullopt;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(held, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                      nullptr, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const UniqueLocal<void> owned(descriptor);
  return DescribeFolderSecurity(descriptor);
}

bool Win32Files::ResetFolderSecurity(FolderHandle folder, const FolderSecurity& security) {
  const HANDLE held = Held(folder);
  if (held == nullptr) return false;
  std::optional<FolderDescriptor> descriptor = FolderDescriptor::Make(security, true);
  if (!descriptor) return false;
  // With backup intent, the restore privilege lets an administrator write the owner and the list
  // of a folder whose list grants them nothing, and name any owner.
  const OwnershipPrivileges privileges;
  const UniqueHandle writable = OwnHandle(
      ReOpenFile(held, WRITE_OWNER | WRITE_DAC | READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE,
                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT));
  if (!writable) return false;
  // Not SetSecurityInfo: it would carry the new list down to what the folder holds, through any
  // link planted there. This sets the folder's own descriptor and nothing else.
  return SetKernelObjectSecurity(writable.get(),
                                 OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                     PROTECTED_DACL_SECURITY_INFORMATION,
                                 descriptor->get()) != 0;
}

HANDLE Win32Files::Held(FolderHandle folder) const {
  const auto found = folders_.find(folder);
  return found == folders_.end() ? nullptr : found->second.get();
}

HeldFolder Win32Files::Keep(UniqueHandle folder) {
  const FolderHandle number = ++last_folder_;
  folders_.emplace(number, std::move(folder));
  return {HoldStatus::kHeld, number, 0};
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

DriveKind Win32Files::DriveKindOf(const std::u16string& root) {
  switch (GetDriveTypeW(Wide(root))) {
    case DRIVE_FIXED:
    case DRIVE_RAMDISK:
      return DriveKind::kFixed;
    case DRIVE_REMOTE:
      return DriveKind::kRemote;
    case DRIVE_REMOVABLE:
      return DriveKind::kRemovable;
    case DRIVE_CDROM:
      return DriveKind::kOptical;
    default:
      return DriveKind::kOther;
  }
}

// The length needed, NUL included, may grow between the calls when the current folder changes.
std::optional<std::u16string> Win32Files::FullPath(const std::u16string& path) {
  if (path.find(u'\0') != std::u16string::npos) return std::nullopt;
  std::u16string full(MAX_PATH, u'\0');
  for (;;) {
    const DWORD length =
        GetFullPathNameW(Wide(path), static_cast<DWORD>(full.size()), Wide(full.data()), nullptr);
    if (length == 0) return std::nullopt;
    if (length < full.size()) {
      full.resize(length);
      return full;
    }
    full.resize(length);
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
  if (IsLink(info)) return {ReadStatus::kFailed, kErrorCantAccessFile};
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

ErrorCode Win32Files::MoveReplacing(const std::u16string& from, const std::u16string& to) {
  return MoveFileExW(Wide(from), Wide(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? 0
             : GetLastError();
}

void Win32Files::RemoveFile(const std::u16string& path) {
  DeleteFileW(Wide(path));
}

// RtlGenRandom, from advapi32, which the program imports anyway.
std::optional<std::uint64_t> Win32Files::Random() {
  std::uint64_t value = 0;
  if (!RtlGenRandom(&value, sizeof(value))) return std::nullopt;
  return value;
}

// One name for every session of the machine, as the data files are the machine's.
constexpr wchar_t kDataFilesMutex[] = L"Global\\Quinsett.VelmoroUninstaller.DataFiles";
// Another copy holds the lock only while it reads and replaces the files, which takes
// milliseconds; whoever holds it longer is not waited for.
constexpr DWORD kLockWaitMs = 2000;
// SYSTEM and Administrators may do anything with the lock (MUTEX_ALL_ACCESS); every signed-in
// user may only wait for it (SYNCHRONIZE), which is all that holding it takes (ReleaseMutex asks
// only that the caller own it). Its access list can be changed by them and by its owner, the user
// whose copy made it, as the owner of any object may unless an OWNER RIGHTS entry limits that; by
// nobody else. A stranger who holds it costs each run the wait, no more.
constexpr wchar_t kDataFilesMutexSecurity[] =
    L"D:P(A;;0x1F0001;;;SY)(A;;0x1F0001;;;BA)(A;;0x100000;;;IU)(A;;0x100000;;;AU)";

bool Win32Files::LockDataFiles() {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          kDataFilesMutexSecurity, SDDL_REVISION_1, &descriptor, nullptr)) {
    return false;
  }
  const UniqueLocal<void> owned(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  // Made, or opened where it exists, for waiting on it and nothing more: another user's copy, or a
  // stranger who took the name, may have made it, and waiting is all the lock needs.
  UniqueHandle mutex(CreateMutexExW(&attributes, kDataFilesMutex, 0, SYNCHRONIZE));
  if (!mutex) return false;
  const DWORD waited = WaitForSingleObject(mutex.get(), kLockWaitMs);
  // An abandoned lock is ours now: its holder ended without replacing the files.
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return false;
  lock_.reset(mutex.release());
  return true;
}

void Win32Files::UnlockDataFiles() {
  lock_.reset();
}

std::u16string Win32Files::DescribeError(ErrorCode code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const UniqueLocal<wchar_t> owned(buffer);
  return length == 0 ? std::u16string() : FromWide(buffer, length);
}

}  // namespace velmoro
