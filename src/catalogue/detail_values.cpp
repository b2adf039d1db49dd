#include "catalogue/detail_values.h"

#include "catalogue/utf8_text.h"

namespace velmoro {

namespace {

bool IsHexDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

int Number(std::u16string_view digits) {
  int number = 0;
  for (const char16_t c : digits) number = number * 10 + (c - u'0');
  return number;
}

int DaysInMonth(int year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// Blanks, controls, and characters that show nothing but change how the text around them shows:
// the soft hyphen, joiners, direction marks and overrides, the byte order mark.
bool IsBlankOrControl(char16_t c) {
  return c <= 0x20 || (c >= 0x7F && c <= 0xA0) || c == 0xAD || c == 0x1680 || c == 0x180E ||
         (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
         (c >= 0x205F && c <= 0x206F) || c == 0x3000 || c == 0xFEFF;
}

// The scheme's name compared with ASCII letter case ignored, as schemes are.
bool StartsWithScheme(std::u16string_view text, std::u16string_view scheme) {
  if (text.size() < scheme.size()) return false;
  for (std::size_t i = 0; i < scheme.size(); ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != scheme[i]) return false;
  }
  return true;
}

}  // namespace

bool IsProductCode(std::u16string_view name) {
  constexpr std::u16string_view kPattern = u"{HHHHHHHH-HHHH-HHHH-HHHH-HHHHHHHHHHHH}";
  if (name.size() != kPattern.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (kPattern[i] == u'H' ? !IsHexDigit(name[i]) : name[i] != kPattern[i]) return false;
  }
  return true;
}

std::optional<CalendarDate> ParseInstallDate(std::u16string_view text) {
  if (text.size() != 8) return std::nullopt;
  for (const char16_t c : text) {
    if (!IsDigit(c)) return std::nullopt;
  }
  const CalendarDate date{Number(text.substr(0, 4)), Number(text.substr(4, 2)),
                          Number(text.substr(6, 2))};
  if (date.year < 1601 || date.month < 1 || date.month > 12 || date.day < 1 ||
      date.day > DaysInMonth(date.year, date.month)) {
    return std::nullopt;
  }
  return date;
}

bool IsWebAddress(std::u16string_view text) {
  std::size_t host = 0;
  if (StartsWithScheme(text, u"http://")) {
    host = 7;
  } else if (StartsWithScheme(text, u"https://")) {
    host = 8;
  } else {
    return false;
  }
  if (text.size() > kMaxWebAddress || host == text.size() || text[host] == u'/' ||
      text[host] == u'?' || text[host] == u'#') {
    return false;
  }
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsBlankOrControl(c) || c == u'"') return false;
    if (IsHighSurrogate(c) && (i + 1 == text.size() || !IsLowSurrogate(text[i + 1]))) return false;
    if (IsLowSurrogate(c) && (i == 0 || !IsHighSurrogate(text[i - 1]))) return false;
  }
  return true;
}

}  // namespace velmoro
