#pragma once

#include <exception>
#include <string>

namespace velmoro {

// The error display's text: the message with "." appended when its last character sorts above
// ".".
std::u16string ErrorDisplayText(const std::u16string& message);

// What a caught failure says, before ErrorDisplayText: a file error's own message, "Out of memory"
// when memory ran out, the text of any other standard exception (ASCII; a byte beyond it shows as
// "?"), and "Unknown error" for anything else.
std::u16string FailureMessage(const std::exception_ptr& failure);

}  // namespace velmoro
