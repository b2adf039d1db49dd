#include "uninstall/details_line.h"

#include <vector>

#include "catalogue/short_text.h"

namespace velmoro {

namespace {

// Characters that would break the line or reorder the text around them.
bool ShownAsBlank(char16_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x200E || c == 0x200F ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

// The text with ShownAsBlank characters as blanks and no blanks at either end, cut to `longest`
// characters with an ellipsis as the last, never between the two halves of a surrogate pair.
std::u16string Shown(std::u16string text, std::size_t longest) {
  for (char16_t& c : text) {
    if (ShownAsBlank(c)) c = u' ';
  }
  const std::size_t first = text.find_first_not_of(u' ');
  if (first == text.npos) return {};
  return ShortText(std::u16string_view(text).substr(first, text.find_last_not_of(u' ') - first + 1),
                   longest);
}

}  // namespace

std::u16string DetailsLine(const ProgramDetails& details, TextApi& text) {
  std::vector<std::u16string> parts = {Shown(details.version, kMaxShownVersion),
                                       Shown(details.publisher, kMaxShownPublisher)};
  if (details.install_date) parts.push_back(text.FormatShortDate(*details.install_date));
  if (details.size_kb) parts.push_back(text.FormatByteSize(std::uint64_t{*details.size_kb} * 1024));
  std::u16string line;
  for (const std::u16string& part : parts) {
    if (part.empty()) continue;
    if (!line.empty()) line += kDetailsSeparator;
    line += part;
  }
  return line;
}

}  // namespace velmoro
