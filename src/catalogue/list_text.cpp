#include "catalogue/list_text.h"

namespace velmoro {

std::string FormatListText(const std::vector<std::string>& lines) {
  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  std::string text;
  text.reserve(size);
  for (const std::string& line : lines) AppendListLine(text, line);
  return text;
}

}  // namespace velmoro
