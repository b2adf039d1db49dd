#include "platform/win32/win32_files.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "platform/win32/win32_wide.h"

namespace velmoro {
namespace {

struct FileCloser {
  void operator()(HANDLE file) const { CloseHandle(file); }
};
using UniqueFile = std::unique_ptr<void, FileCloser>;

struct FindCloser {
  void operator()(HANDLE find) const { FindClose(find); }
};
using UniqueFind = std::unique_ptr<void, FindCloser>;

struct LocalFreer {
  void operator()(wchar_t* memory) const { LocalFree(memory); }
};

UniqueFile OpenFile(const std::u16string& path, DWORD access, DWORD sharing, DWORD disposition) {
  HANDLE file = CreateFileW(Wide(path), access, sharing, nullptr, disposition,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  return UniqueFile(file == INVALID_HANDLE_VALUE ? nullptr : file);
}

}  // namespace

bool Win32Files::FileExists(const std::u16string& path) {
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(Wide(path), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  const UniqueFind closer(find);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Files::DirectoryExists(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(Wide(path));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Files::MakeDirectory(const std::u16string& path) {
  return CreateDirectoryW(Wide(path), nullptr) != 0;
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

std::uint32_t Win32Files::ReadWholeFile(const std::u16string& path, std::string& bytes) {
  // Other readers are admitted, writers are not; where the file system allows it, a move that
  // replaces the file may happen meanwhile (FILE_SHARE_DELETE) and this read still sees the old
  // text.
  const UniqueFile file =
      OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, OPEN_EXISTING);
  if (!file) return GetLastError();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) return GetLastError();
  bytes.assign(static_cast<std::size_t>(size.QuadPart), '\0');
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + done, wanted, &got, nullptr)) return GetLastError();
    if (got == 0) break;  // the file shrank since its size was taken
    done += got;
  }
  bytes.resize(done);
  return 0;
}

std::uint32_t Win32Files::CreateTempFile(const std::u16string& dir, std::u16string& temp_path) {
  wchar_t name[MAX_PATH] = {};
  if (GetTempFileNameW(Wide(dir), L"vu", 0, name) == 0) return GetLastError();
  temp_path = FromWide(name, wcslen(name));
  return 0;
}

WriteResult Win32Files::WriteWholeFile(const std::u16string& path, const std::string& bytes) {
  const UniqueFile file = OpenFile(path, GENERIC_READ | GENERIC_WRITE, 0, CREATE_ALWAYS);
  if (!file) return {WriteStatus::kCreateFailed, GetLastError()};
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

// One name for every session of the machine, as the data files are the machine's.
constexpr wchar_t kDataFilesMutex[] = L"Global\\Quinsett.VelmoroUninstaller.DataFiles";
// Another copy holds the lock only while it reads and replaces the files, which takes
// milliseconds; whoever holds it longer is not waited for.
constexpr DWORD kLockWaitMs = 2000;

bool Win32Files::LockDataFiles() {
  HANDLE mutex = CreateMutexW(nullptr, FALSE, kDataFilesMutex);
  if (mutex == nullptr) return false;  // another user's copy made it and we may not open it
  const DWORD waited = WaitForSingleObject(mutex, kLockWaitMs);
  // An abandoned lock is ours now: its holder ended without replacing the files.
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return false;
  }
  lock_ = mutex;
  return true;
}

void Win32Files::UnlockDataFiles() {
  if (lock_ == nullptr) return;
  ReleaseMutex(lock_);
  CloseHandle(lock_);
  lock_ = nullptr;
}

Win32Files::~Win32Files() {
  UnlockDataFiles();
}

std::u16string Win32Files::DescribeError(std::uint32_t code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  const std::unique_ptr<wchar_t, LocalFreer> owned(buffer);
  return length == 0 ? std::u16string() : FromWide(buffer, length);
}

}  // namespace velmoro
