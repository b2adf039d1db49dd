#include <cstring>

#include "platform/win32/win32_desktop.h"

namespace velmoro {

namespace {

// Another program may have the clipboard open for a moment.
constexpr int kOpenTries = 10;
constexpr DWORD kOpenPauseMs = 20;

struct ClipboardCloser {
  ~ClipboardCloser() { CloseClipboard(); }
};

}  // namespace

// The memory handed to SetClipboardData is the system's from then on, so it outlives the program.
bool Win32Desktop::CopyText(const std::u16string& text) {
  bool opened = false;
  for (int attempt = 0; attempt < kOpenTries && !opened; ++attempt) {
    opened = OpenClipboard(menu_owner_.get()) != 0;
    if (!opened) Sleep(kOpenPauseMs);
  }
  if (!opened) return false;
  const ClipboardCloser close;
  if (!EmptyClipboard()) return false;
  const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (memory == nullptr) return false;
  void* locked = GlobalLock(memory);
  if (locked == nullptr) {
    GlobalFree(memory);
    return false;
  }
  std::memcpy(locked, text.c_str(), bytes);
  GlobalUnlock(memory);
  if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) {
    GlobalFree(memory);
    return false;
  }
  return true;
}

}  // namespace velmoro
