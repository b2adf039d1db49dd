#pragma once

#include <cstdint>
#include <string>

namespace velmoro {

// The 16 lowercase hex digits of 64 random bits: a name part nobody can take beforehand.
inline std::u16string HexDigits(std::uint64_t bits) {
  std::u16string digits;
  for (int shift = 60; shift >= 0; shift -= 4) digits += u"0123456789abcdef"[(bits >> shift) & 15];
  return digits;
}

// A number in decimal digits, as a message tells it.
inline std::u16string DecimalDigits(std::uint64_t number) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + number % 10));
    number /= 10;
  } while (number != 0);
  return digits;
}

}  // namespace velmoro
