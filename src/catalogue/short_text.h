#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace velmoro {

// The text as it stands when it has at most `longest` characters (UTF-16 units), else cut to
// `longest` with an ellipsis as the last, never between the two halves of a surrogate pair.
// `longest` is at least 3.
std::u16string ShortText(std::u16string_view text, std::size_t longest);

}  // namespace velmoro
