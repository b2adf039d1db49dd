#include "platform/win32/win32_icons.h"

// After windows.h, whose types it uses.
#include <shlobj.h>

#include <algorithm>
#include <tuple>
#include <utility>

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

// An empty file holds no icon; anything but a plain file is not read at all.
bool IsPlainFile(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(Wide(path), GetFileExInfoStandard, &data)) return false;
  const ULONGLONG bytes = (ULONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  return (data.dwFileAttributes & kNotPlainFile) == 0 && bytes > 0 && bytes <= kLargestFile;
}

// The system picks the image made for that size instead of scaling a larger or smaller one. The
// program names only paths on fixed drives.
UniqueIcon FromFile(const std::u16string& path, int index, int size) {
  const QuietErrors quiet;
  if (path.find(u'\0') != std::u16string::npos || !IsPlainFile(path)) return nullptr;
  HICON icon = nullptr;
  const HRESULT result = SHDefExtractIconW(Wide(path), index, 0, &icon, nullptr,
                                           static_cast<UINT>(MAKELONG(size, size)));
  UniqueIcon extracted(icon);
  if (result != S_OK) extracted.reset();
  return extracted;
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

HICON Win32IconCache::Generic(int size) {
  Key key{IconSource::Kind::kGeneric, {}, 0, size};
  if (const auto found = icons_.find(key); found != icons_.end()) return found->second;
  HICON icon = nullptr;
  if (load_scaled_ && FAILED(load_scaled_(nullptr, IDI_APPLICATION, size, size, &icon))) {
    icon = nullptr;
  }
  UniqueIcon scaled(icon);
  const HICON shared = scaled ? nullptr
                              : static_cast<HICON>(LoadImageW(nullptr, IDI_APPLICATION, IMAGE_ICON,
                                                              size, size, LR_SHARED));
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
