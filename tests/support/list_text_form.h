#pragma once

#include <string>
#include <vector>

#include "catalogue/list_text.h"

namespace velmoro {

// Lines in the list text form, each written as the program writes a line: the bytes a data file
// holds for them.
inline std::string FormatListText(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) AppendListLine(text, line);
  return text;
}

}  // namespace velmoro
