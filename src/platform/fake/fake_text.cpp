#include "platform/fake/fake_text.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace velmoro {

namespace {

// The characters of bytes 0x80 to 0x9F in code page 1252; 0 where the byte has none.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

std::u16string Ascii(const std::string& text) {
  return std::u16string(text.begin(), text.end());
}

}  // namespace

void FakeText::UpperCase(std::u16string& text) {
  for (char16_t& c : text) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) ||
        (c >= 0x0430 && c <= 0x044F)) {
      c = static_cast<char16_t>(c - 0x20);
    } else if (c == 0xFF) {
      c = 0x0178;
    }
  }
}

std::string FakeText::ToAnsi(const std::u16string& text) {
  std::string ansi;
  ansi.reserve(text.size());
  for (const char16_t c : text) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      ansi += static_cast<char>(c);
      continue;
    }
    const auto high = std::find(std::begin(kHighControls), std::end(kHighControls), c);
    ansi += c != 0 && high != std::end(kHighControls)
                ? static_cast<char>(0x80 + (high - std::begin(kHighControls)))
                : '?';
  }
  return ansi;
}

std::string FakeText::SortKey(const std::u16string& text) {
  std::string key;
  key.reserve(2 * text.size());
  for (char16_t c : text) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    key += static_cast<char>(c >> 8);
    key += static_cast<char>(c & 0xFF);
  }
  return key;
}

std::u16string FakeText::FormatShortDate(const CalendarDate& date) {
  return Ascii(std::to_string(date.month) + "/" + std::to_string(date.day) + "/" +
               std::to_string(date.year));
}

std::u16string FakeText::FormatByteSize(std::uint64_t bytes) {
  if (bytes < 1024) return Ascii(std::to_string(bytes) + " bytes");
  constexpr const char* kUnits[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
  std::size_t unit = 0;
  std::uint64_t divisor = 1024;
  while (unit + 1 < std::size(kUnits) && bytes / divisor >= 1000) {
    divisor *= 1024;
    ++unit;
  }
  // Hundredths of the unit, cut, by way of 1,024ths so that no product overflows; then as many
  // decimals as leave three significant digits.
  const std::uint64_t whole = bytes / divisor;
  const std::uint64_t hundredths = (bytes % divisor) / (divisor / 1024) * 100 / 1024;
  const std::string decimals = {'.', static_cast<char>('0' + hundredths / 10),
                                static_cast<char>('0' + hundredths % 10)};
  const std::size_t shown = whole < 10 ? 3 : whole < 100 ? 2 : 0;
  return Ascii(std::to_string(whole) + decimals.substr(0, shown) + " " + kUnits[unit]);
}

}  // namespace velmoro
