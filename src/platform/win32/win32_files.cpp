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

#include <utility>
#include <vector>

#include "platform/win32/win32_privileges.h"
#include "platform/win32/win32_relative.h"
#include "platform/win32/win32_security.h"
#include "platform/win32/win32_wide.h"

namespace velmoro {
namespace {

UniqueHandle OpenFile(const std::u16string& path, DWORD access, DWORD sharing, DWORD disposition,
                      DWORD flags = FILE_ATTRIBUTE_NORMAL) {
  return OwnHandle(CreateFileW(Wide(path), access, sharing, nullptr, disposition, flags, nullptr));
}

// A held folder may be listed and its security read; it shares reading and writing but never
// deleting, so nobody can rename, remove or replace it while it is held.
constexpr DWORD kHoldAccess =
    FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | READ_CONTROL | SYNCHRONIZE;
constexpr DWORD kHoldSharing = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kAnySharing = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

HoldStatus StatusOfFailedOpen(std::uint32_t status) {
  switch (status) {
    case kStatusSharingViolation:
      return HoldStatus::kInUse;
    case kStatusObjectNameNotFound:
    case kStatusObjectPathNotFound:
    case kStatusNotADirectory:
      return HoldStatus::kMissing;
    default:
      return HoldStatus::kFailed;
  }
}

}  // namespace

bool Win32Files::FileExists(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Files::DirectoryExists(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Files::MakeDirectory(const std::u16string& path) {
  return CreateDirectoryW(Wide(path), nullptr) != 0;
}

HeldFolder Win32Files::HoldKnownFolder(const std::u16string& path) {
  // Whatever moves it meanwhile, the handle still leads to the folder it was: it need not keep
  // anybody from renaming it, and other programs may open it with any access.
  UniqueHandle folder =
      OpenFile(path, kHoldAccess, kAnySharing, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
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
  if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return {HoldStatus::kMissing};
  return Keep(std::move(folder), path);
}

HeldFolder Win32Files::HoldFolderIn(FolderHandle parent, const std::u16string& name) {
  const Held* held = Find(parent);
  if (held == nullptr) return {HoldStatus::kFailed, kNoFolder, ERROR_INVALID_HANDLE};
  RelativeOpen opened;
  {
    const BackupPrivileges privileges;
    opened = OpenRelative(held->handle.get(), name, kHoldAccess, kHoldSharing, FILE_OPEN,
                          FILE_DIRECTORY_FILE | FILE_OPEN_FOR_BACKUP_INTENT);
  }
  if (!opened.handle) return {StatusOfFailedOpen(opened.status), kNoFolder, opened.error};
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(opened.handle.get(), FileAttributeTagInfo, &tag, sizeof(tag))) {
    return {HoldStatus::kFailed, kNoFolder, GetLastError()};
  }
  const std::u16string path = Child(held->path, name);
  if ((tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || NameIsLink(path)) {
    return {HoldStatus::kLink};
  }
  return Keep(std::move(opened.handle), path);
}

HeldFolder Win32Files::MakeFolder(FolderHandle parent, const std::u16string& name,
                                  const FolderSecurity* security) {
  const Held* held = Find(parent);
  if (held == nullptr) return {HoldStatus::kFailed, kNoFolder, ERROR_INVALID_HANDLE};
  std::optional<FolderDescriptor> descriptor;
  if (security != nullptr) {
    descriptor = FolderDescriptor::Make(*security);
    if (!descriptor) return {HoldStatus::kFailed, kNoFolder, ERROR_INVALID_SECURITY_DESCR};
  }
  // Created and opened in one step, relative to the held parent: no link can take the name's
  // place between the two, nor lead the creation anywhere else.
  RelativeOpen made = OpenRelative(held->handle.get(), name, kHoldAccess, kHoldSharing, FILE_CREATE,
                                   FILE_DIRECTORY_FILE, descriptor ? descriptor->get() : nullptr);
  if (!made.handle) return {HoldStatus::kFailed, kNoFolder, made.error};
  return Keep(std::move(made.handle), Child(held->path, name));
}

void Win32Files::ReleaseFolder(FolderHandle folder) {
  folders_.erase(folder);
}

std::optional<FolderSecurity> Win32Files::ReadFolderSecurity(FolderHandle folder) {
  const Held* held = Find(folder);
  if (held == nullptr) return std::nullopt;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(held->handle.get(), SE_FILE_OBJECT,
                      OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr, nullptr,
                      nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const UniqueLocal<void> owned(descriptor);
  return DescribeFolderSecurity(descriptor);
}

ErrorCode Win32Files::MoveAside(FolderHandle parent, const std::u16string& name,
                                const std::u16string& aside) {
  const Held* held = Find(parent);
  if (held == nullptr) return ERROR_INVALID_HANDLE;
  // With backup intent, the restore privilege grants deleting (and so renaming) a folder whose
  // access list grants the administrators nothing.
  const BackupPrivileges privileges;
  const RelativeOpen opened = OpenRelative(held->handle.get(), name, DELETE, kAnySharing, FILE_OPEN,
                                           FILE_OPEN_FOR_BACKUP_INTENT);
  if (!opened.handle) return opened.error;
  return RenameRelative(opened.handle.get(), held->handle.get(), aside);
}

bool Win32Files::IsPlainFolder(FolderHandle folder) {
  const Held* held = Find(folder);
  if (held == nullptr) return false;
  FILE_ATTRIBUTE_TAG_INFO tag{};
  if (!GetFileInformationByHandleEx(held->handle.get(), FileAttributeTagInfo, &tag, sizeof(tag))) {
    return false;
  }
  return (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
         (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

std::u16string Win32Files::UserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  const UniqueHandle owned_token(token);
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<ULONGLONG> buffer((size + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG));
  if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) return {};
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    return {};
  }
  const UniqueLocal<wchar_t> owned_text(text);
  return FromWide(text, wcslen(text));
}

const Win32Files::Held* Win32Files::Find(FolderHandle folder) const {
  const auto found = folders_.find(folder);
  return found == folders_.end() ? nullptr : &found->second;
}

HeldFolder Win32Files::Keep(UniqueHandle folder, std::u16string path) {
  const FolderHandle number = ++last_folder_;
  folders_.emplace(number, Held{std::move(folder), std::move(path)});
  return {HoldStatus::kHeld, number, 0};
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

// RtlGenRandom, from advapi32, which the program imports anyway.
std::optional<std::uint64_t> Win32Files::Random() {
  std::uint64_t value = 0;
  if (!RtlGenRandom(&value, sizeof(value))) return std::nullopt;
  return value;
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
