#pragma once

#include <string>
#include <string_view>

namespace velmoro {

// The halves of a UTF-16 surrogate pair: a character beyond the Basic Multilingual Plane.
inline bool IsHighSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
inline bool IsLowSurrogate(char32_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// UTF-16 text as UTF-8. Registry text need not be valid UTF-16: a surrogate that is not half of a
// pair is written as UTF-8 writes any other code point of its range, in three bytes (ED A0 80 to
// ED BF BF). No pair gives those bytes, so two different texts never give the same bytes.
std::string ToUtf8(std::u16string_view text);

}  // namespace velmoro
