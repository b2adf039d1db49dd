#include "platform/win32/win32_text.h"

#include <windows.h>

#include "platform/win32/win32_wide.h"

namespace velmoro {

void Win32Text::UpperCase(std::u16string& text) {
  if (!text.empty()) CharUpperBuffW(Wide(text.data()), static_cast<DWORD>(text.size()));
}

std::string Win32Text::ToAnsi(const std::u16string& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_ACP, 0, Wide(text), size, nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, Wide(text), size, ansi.data(), length, nullptr, nullptr);
  return ansi;
}

}  // namespace velmoro
