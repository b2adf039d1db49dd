#pragma once

#include <cstddef>
#include <string>

#include "catalogue/program_details.h"
#include "platform/text_api.h"

namespace velmoro {

// Between the parts of the details line.
inline constexpr char16_t kDetailsSeparator[] = u" | ";
// The longest version and publisher shown; a longer one is cut and ends in "…". A line of both,
// a date and a size stays within the width of a screen.
inline constexpr std::size_t kMaxShownVersion = 32;
inline constexpr std::size_t kMaxShownPublisher = 64;

// What is known of a program, as one line of plain text: its version, publisher, install date
// (the user's short date format) and size (as Explorer shows sizes), those it has, in this order,
// with kDetailsSeparator between them: "2.4.1 | Quinsett | 3/7/2024 | 12.3 MB". Controls, line
// breaks and direction marks in the registry's texts are shown as blanks, blanks at either end
// left out. Empty when nothing is known.
std::u16string DetailsLine(const ProgramDetails& details, TextApi& text);

}  // namespace velmoro
