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

std::string Win32Text::SortKey(const std::u16string& text) {
  constexpr DWORD kFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
  const int size = static_cast<int>(text.size());
  // Most keys fit here, which saves asking for the size first.
  char buffer[512];
  int length = LCMapStringW(LOCALE_USER_DEFAULT, kFlags, Wide(text), size,
                            reinterpret_cast<LPWSTR>(buffer), sizeof buffer);
  if (length > 0) return std::string(buffer, static_cast<std::size_t>(length));
  length = LCMapStringW(LOCALE_USER_DEFAULT, kFlags, Wide(text), size, nullptr, 0);
  if (length <= 0) return {};
  std::string key(static_cast<std::size_t>(length), '\0');
  LCMapStringW(LOCALE_USER_DEFAULT, kFlags, Wide(text), size, reinterpret_cast<LPWSTR>(key.data()),
               length);
  return key;
}

}  // namespace velmoro
