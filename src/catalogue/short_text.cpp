#include "catalogue/short_text.h"

namespace velmoro {

std::u16string ShortText(std::u16string_view text, std::size_t longest) {
  if (text.size() <= longest) return std::u16string(text);
  std::size_t kept = longest - 1;
  if (text[kept - 1] >= 0xD800 && text[kept - 1] <= 0xDBFF) --kept;
  return std::u16string(text.substr(0, kept)) + u'\u2026';
}

}  // namespace velmoro
