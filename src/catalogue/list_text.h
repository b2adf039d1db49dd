#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmoro {

// The list text form: 8-bit lines, each written with CR LF.
std::vector<std::string> ParseListText(std::string_view bytes);
std::string FormatListText(const std::vector<std::string>& lines);

}  // namespace velmoro
