#pragma once

#include <vector>

#include "catalogue/program_entry.h"
#include "platform/text_api.h"

namespace velmoro {

// Puts the program list into the platform list control's order: whole entries compared by their
// sort keys, letter case ignored; entries that compare equal stand where the control's binary
// insertion, taking them in the order they were found, puts them.
void SortPrograms(std::vector<ProgramEntry>& entries, TextApi& text);

}  // namespace velmoro
