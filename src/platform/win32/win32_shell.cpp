#include "platform/win32/win32_shell.h"

#include <windows.h>
// shellapi.h builds on the types of windows.h.
#include <shellapi.h>

#include "platform/win32/win32_wide.h"

namespace velmoro {

void Win32Shell::OpenWithShell(const std::u16string& file,
                               const std::optional<std::u16string>& parameters) {
  ShellExecuteW(nullptr, L"open", Wide(file), parameters ? Wide(*parameters) : nullptr, nullptr,
                SW_SHOWNORMAL);
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

}  // namespace velmoro
