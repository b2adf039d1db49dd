#include "platform/win32/win32_shell.h"

#include <windows.h>
// shellapi.h builds on the types of windows.h.
#include <shellapi.h>

namespace velmoro {

void Win32Shell::OpenWithShell(const std::string& file,
                               const std::optional<std::string>& parameters) {
  ShellExecuteA(nullptr, "open", file.c_str(), parameters ? parameters->c_str() : nullptr, nullptr,
                SW_SHOWNORMAL);
}

}  // namespace velmoro
