#include "platform/win32/win32_text.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <shlwapi.h>

#include <algorithm>
#include <limits>

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

std::u16string Win32Text::FormatShortDate(const CalendarDate& date) {
  SYSTEMTIME day = {};
  day.wYear = static_cast<WORD>(date.year);
  day.wMonth = static_cast<WORD>(date.month);
  day.wDay = static_cast<WORD>(date.day);
  // Short date formats are a few characters; a longer one is cut off, so it shows nothing.
  wchar_t text[80];
  const int length = GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &day, nullptr, text,
                                     ARRAYSIZE(text), nullptr);
  if (length <= 1) return {};
  return FromWide(text, static_cast<std::size_t>(length - 1));
}

// StrFormatByteSizeEx, which Windows has since Vista, is missing from Wine's shlwapi: importing it
// would keep the program from loading there. StrFormatByteSizeW formats the same way.
std::u16string Win32Text::FormatByteSize(std::uint64_t bytes) {
  const auto size =
      static_cast<LONGLONG>(std::min<std::uint64_t>(bytes, std::numeric_limits<LONGLONG>::max()));
  wchar_t text[64] = {};
  if (StrFormatByteSizeW(size, text, ARRAYSIZE(text)) == nullptr) return {};
  return FromWide(text, wcsnlen(text, ARRAYSIZE(text)));
}

}  // namespace velmoro
