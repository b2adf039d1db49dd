#pragma once

#include <string>
#include <string_view>

namespace velmoro {

// UTF-16 text as UTF-8. Registry text need not be valid UTF-16: a surrogate that is not half of a
// pair is written as UTF-8 writes any other code point of its range, in three bytes (ED A0 80 to
// ED BF BF). No pair gives those bytes, so two different texts never give the same bytes.
std::string ToUtf8(std::u16string_view text);

}  // namespace velmoro
