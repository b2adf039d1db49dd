#include "catalogue/list_text.h"

#include <algorithm>

namespace velmoro {

std::vector<std::string> ParseListText(std::string_view bytes) {
  // A NUL ends the text; CR LF, a lone CR and a lone LF each end one line.
  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    lines.emplace_back(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
  return lines;
}

std::string FormatListText(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) text.append(line).append("\r\n");
  return text;
}

}  // namespace velmoro
