#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/desktop_api.h"
#include "platform/win32/win32_handles.h"

namespace velmoro {

// Icons drawn in the menu, each read from its file once per run at the size it is drawn, on the
// thread that draws the menu. A file that cannot be read, or not opened in a quarter of a second,
// gives the generic icon, and is not read again.
class Win32IconCache {
 public:
  Win32IconCache();
  ~Win32IconCache();
  Win32IconCache(const Win32IconCache&) = delete;
  Win32IconCache& operator=(const Win32IconCache&) = delete;

  // At size x size pixels, 1 to 256. Never null; the icon stays the cache's.
  HICON Get(const IconSource& source, int size);
  // The system's warning sign, drawn over the icon of an entry whose uninstaller is gone.
  HICON Warning(int size);

 private:
  struct Key {
    IconSource::Kind kind;
    std::u16string path;
    int index;
    int size;
  };
  // Paths compare as the file system compares names, letter case ignored.
  struct KeyLess {
    bool operator()(const Key& a, const Key& b) const;
  };
  using LoadIconWithScaleDownFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, int, HICON*);

  UniqueIcon FromFile(const std::u16string& path, int index, int size);
  HICON Generic(int size);
  HICON System(PCWSTR id, int size);
  HICON Remember(Key key, UniqueIcon icon, HICON fallback);

  UniqueModule common_controls_;
  LoadIconWithScaleDownFn load_scaled_ = nullptr;
  std::vector<UniqueIcon> made_;
  std::map<Key, HICON, KeyLess> icons_;
};

}  // namespace velmoro
