#include "catalogue/utf8_text.h"

namespace velmoro {

namespace {

char Byte(char32_t bits) {
  return static_cast<char>(bits);
}
char Continuation(char32_t c, int shift) {
  return Byte(0x80 | ((c >> shift) & 0x3F));
}

}  // namespace

std::string ToUtf8(std::u16string_view text) {
  std::string utf8;
  // Most names and commands are ASCII: one byte a unit.
  utf8.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c < 0x80) {
      utf8 += Byte(c);
    } else if (c < 0x800) {
      utf8 += Byte(0xC0 | (c >> 6));
      utf8 += Continuation(c, 0);
    } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
      utf8 += Byte(0xF0 | (c >> 18));
      utf8 += Continuation(c, 12);
      utf8 += Continuation(c, 6);
      utf8 += Continuation(c, 0);
    } else {
      utf8 += Byte(0xE0 | (c >> 12));
      utf8 += Continuation(c, 6);
      utf8 += Continuation(c, 0);
    }
  }
  return utf8;
}

}  // namespace velmoro
