#include "catalogue/short_text.h"

#include "catalogue/utf8_text.h"

namespace velmoro {

std::u16string ShortText(std::u16string_view text, std::size_t longest) {
  if (text.size() <= longest) return std::u16string(text);
  std::size_t kept = longest - 1;
  if (IsHighSurrogate(text[kept - 1])) --kept;
  return std::u16string(text.substr(0, kept)) + u'\u2026';
}

}  // namespace velmoro
