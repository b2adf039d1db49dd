#include "platform/win32/win32_icons.h"

// After windows.h, whose types it uses.
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <string_view>
#include <tuple>
#include <utility>

#include "platform/file_api.h"
#include "platform/win32/win32_bounded.h"
#include "platform/win32/win32_wide.h"

namespace velmoro {
namespace {

// No icon image is larger; a size of 0 would give the system's default size, not a crisp one.
constexpr int kLargestIcon = 256;
// Any larger file would keep the menu waiting while it is read, for an icon.
constexpr ULONGLONG kLargestFile = 64ull << 20;
// Not in every SDK: cloud storage placeholders, whose data is fetched over the network when read.
constexpr DWORD kRecallOnOpen = 0x00040000;
constexpr DWORD kRecallOnDataAccess = 0x00400000;
constexpr DWORD kNotPlainFile = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT |
                                FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_OFFLINE | kRecallOnOpen |
                                kRecallOnDataAccess;

// Registry paths may name an empty drive: the system must not ask for a disk while the menu draws.
class QuietErrors {
 public:
  QuietErrors()
      : restore_(SetThreadErrorMode(
                     GetThreadErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX,
                     &previous_) != 0) {}
  ~QuietErrors() {
    if (restore_) SetThreadErrorMode(previous_, nullptr);
  }
  QuietErrors(const QuietErrors&) = delete;
  QuietErrors& operator=(const QuietErrors&) = delete;

 private:
  DWORD previous_ = 0;
  bool restore_;
};

// The path after a "\\?\" that GetFinalPathNameByHandleW puts before a drive's path.
std::u16string_view WithoutLocalPrefix(std::u16string_view path) {
  if (path.starts_with(kUnparsedPathPrefix)) path.remove_prefix(kUnparsedPathPrefix.size());
  return path;
}

// The path by which the handle's file is reached, as it was opened (a short name stays short);
// nothing when it has none of a drive (a share's, a volume's without a letter).
std::optional<std::u16string> FinalPath(HANDLE file) {
  std::u16string path(MAX_PATH, u'\0');
  for (;;) {
    const DWORD length =
        GetFinalPathNameByHandleW(file, Wide(path.data()), static_cast<DWORD>(path.size()),
                                  FILE_NAME_OPENED | VOLUME_NAME_DOS);
    if (length == 0) return std::nullopt;
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(length + 1);
  }
}

// Opened once, to read, sharing only reading: while it is held nobody writes to the file, grows it,
// renames, removes or replaces it, nor renames a folder above it. The last name is not followed if
// it is a link; a file kept in remote storage is not fetched.
UniqueHandle OpenIconFile(const std::u16string& path) {
  const QuietErrors quiet;
  return OwnHandle(CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_OPEN_NO_RECALL, nullptr));
}

// Checked on the handle, not on the path: a plain file on a disk, neither empty nor too large, kept
// here, on a fixed drive, and reached by the path itself: a link or a mounted volume anywhere on
// the way, or a drive that stands for another folder, shows as another final path.
bool HoldsPlainLocalFile(HANDLE file, const std::u16string& path) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info)) return false;
  const ULONGLONG bytes = (ULONGLONG{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  if ((info.dwFileAttributes & kNotPlainFile) != 0 || bytes == 0 || bytes > kLargestFile) {
    return false;
  }
  const std::optional<std::u16string> final_path = FinalPath(file);
  if (!final_path) return false;
  const std::u16string reached(WithoutLocalPrefix(*final_path));
  const std::u16string named(WithoutLocalPrefix(path));
  if (reached.size() < 3 ||
      CompareStringOrdinal(Wide(reached), static_cast<int>(reached.size()), Wide(named),
                           static_cast<int>(named.size()), TRUE) != CSTR_EQUAL) {
    return false;
  }
  const UINT drive = GetDriveTypeW(Wide(reached.substr(0, 3)));
  return drive == DRIVE_FIXED || drive == DRIVE_RAMDISK;
}

}  // namespace

bool Win32IconCache::KeyLess::operator()(const Key& a, const Key& b) const {
  if (std::tie(a.kind, a.index, a.size) != std::tie(b.kind, b.index, b.size)) {
    return std::tie(a.kind, a.index, a.size) < std::tie(b.kind, b.index, b.size);
  }
  return CompareStringOrdinal(Wide(a.path), static_cast<int>(a.path.size()), Wide(b.path),
                              static_cast<int>(b.path.size()), TRUE) == CSTR_LESS_THAN;
}

// Looked up, not imported: only version 6 of the common controls, which the manifest asks for, has
// it, and an import would be resolved before the program narrows where DLLs load from.
Win32IconCache::Win32IconCache()
    : common_controls_(LoadLibraryExW(L"comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
  if (common_controls_) {
    const FARPROC found = GetProcAddress(common_controls_.get(), "LoadIconWithScaleDown");
    load_scaled_ = reinterpret_cast<LoadIconWithScaleDownFn>(reinterpret_cast<void*>(found));
  }
}

Win32IconCache::~Win32IconCache() = default;

HICON Win32IconCache::Get(const IconSource& source, int size) {
  size = std::clamp(size, 1, kLargestIcon);
  if (source.kind == IconSource::Kind::kGeneric) return Generic(size);
  Key key{source.kind, source.path, source.index, size};
  if (const auto found = icons_.find(key); found != icons_.end()) return found->second;
  UniqueIcon loaded = FromFile(source.path, source.index, size);
  const HICON fallback = loaded ? nullptr : Generic(size);
  return Remember(std::move(key), std::move(loaded), fallback);
}

// Opening is the one step another program can hold up, for as long as it likes: an opportunistic
// lock on the file makes the open wait until its holder lets go. So the file is opened as a
// bounded file step: a file that takes longer gives the generic icon. Held open,
// the file is the one the path names, and while it is held no other program can be granted an
// oplock that would hold up a reader again: the system picks the icon's image made for that size
// from the same file.
UniqueIcon Win32IconCache::FromFile(const std::u16string& path, int index, int size) {
  if (path.find(u'\0') != std::u16string::npos) return nullptr;
  const auto opened = std::make_shared<UniqueHandle>();
  if (!RunFileStep([path, opened](const std::atomic<bool>&) { *opened = OpenIconFile(path); })) {
    return nullptr;
  }
  if (!*opened || !HoldsPlainLocalFile(opened->get(), path)) return nullptr;
  const QuietErrors quiet;
  HICON icon = nullptr;
  const HRESULT result = SHDefExtractIconW(Wide(path), index, 0, &icon, nullptr,
                                           static_cast<UINT>(MAKELONG(size, size)));
  UniqueIcon extracted(icon);
  if (result != S_OK) extracted.reset();
  return extracted;
}

HICON Win32IconCache::Generic(int size) {
  return System(IDI_APPLICATION, size);
}

HICON Win32IconCache::Warning(int size) {
  return System(IDI_WARNING, size);
}

// One of the system's own icons, by its resource id.
HICON Win32IconCache::System(PCWSTR id, int size) {
  Key key{IconSource::Kind::kGeneric, {}, static_cast<int>(reinterpret_cast<ULONG_PTR>(id)), size};
  if (const auto found = icons_.find(key); found != icons_.end()) return found->second;
  HICON icon = nullptr;
  if (load_scaled_ && FAILED(load_scaled_(nullptr, id, size, size, &icon))) {
    icon = nullptr;
  }
  UniqueIcon scaled(icon);
  if (scaled) return Remember(std::move(key), std::move(scaled), nullptr);
  // The system's icons load only shared, and a shared icon only at the system's own size: the
  // copy at the size drawn comes from the resource's nearest image, else the shared one is drawn
  // scaled.
  const auto shared =
      static_cast<HICON>(LoadImageW(nullptr, id, IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
  if (shared != nullptr) {
    scaled.reset(
        static_cast<HICON>(CopyImage(shared, IMAGE_ICON, size, size, LR_COPYFROMRESOURCE)));
  }
  return Remember(std::move(key), std::move(scaled), shared);
}

// A fallback belongs to the system or to another entry: it is remembered, never destroyed. Nothing
// is remembered when there is no icon at all, so the next drawing tries again.
HICON Win32IconCache::Remember(Key key, UniqueIcon made, HICON fallback) {
  const HICON icon = made ? made.get() : fallback;
  if (made) made_.push_back(std::move(made));
  if (icon) icons_.emplace(std::move(key), icon);
  return icon;
}

}  // namespace velmoro
