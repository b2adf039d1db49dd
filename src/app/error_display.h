#pragma once

#include <string>

namespace velmoro {

// The error display's text: the message with "." appended when its last character sorts above
// ".".
std::u16string ErrorDisplayText(const std::u16string& message);

}  // namespace velmoro
