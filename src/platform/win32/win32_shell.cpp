#include "platform/win32/win32_shell.h"

#include <windows.h>
// shellapi.h builds on the types of windows.h.
#include <shellapi.h>

#include "platform/win32/win32_wide.h"

namespace velmoro {

void Win32Shell::OpenWithShell(const std::u16string& file,
                               const std::optional<std::u16string>& parameters,
                               const std::optional<std::u16string>& directory) {
  ShellExecuteW(nullptr, L"open", Wide(file), parameters ? Wide(*parameters) : nullptr,
                directory ? Wide(*directory) : nullptr, SW_SHOWNORMAL);
}

std::u16string Win32Shell::ExpandEnvironment(const std::u16string& text) {
  // The size needed, NUL included, may grow between the calls when the environment changes.
  std::u16string expanded(text.size() + 1, u'\0');
  for (;;) {
    const DWORD needed = ExpandEnvironmentStringsW(Wide(text), Wide(expanded.data()),
                                                   static_cast<DWORD>(expanded.size()));
    if (needed == 0) return text;
    if (needed <= expanded.size()) {
      expanded.resize(needed - 1);
      return expanded;
    }
    expanded.resize(needed);
  }
}

namespace {

// A folder from one of the calls that report the length they need when the buffer is too small.
template <typename Call>
std::u16string Folder(Call call) {
  std::u16string folder(MAX_PATH, u'\0');
  for (;;) {
    const UINT length = call(Wide(folder.data()), static_cast<UINT>(folder.size()));
    if (length == 0) return {};
    if (length < folder.size()) {
      folder.resize(length);
      return folder;
    }
    folder.resize(length);
  }
}

}  // namespace

std::u16string Win32Shell::SystemFolder() {
  return Folder(GetSystemDirectoryW);
}

// The machine's Windows folder, not a per-user one that a terminal server may give.
std::u16string Win32Shell::WindowsFolder() {
  return Folder(GetSystemWindowsDirectoryW);
}

}  // namespace velmoro
