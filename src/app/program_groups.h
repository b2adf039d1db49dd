#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace velmoro {

// Up to this many programs "All Programs" lists them all on one level; a longer list opens in
// groups, since the platform measures every item of a level when it first shows it.
inline constexpr std::size_t kFlatProgramsMax = 3000;

// A range of the program list, [begin, end).
struct ProgramGroup {
  std::size_t begin;
  std::size_t end;
};

// Nothing up to kFlatProgramsMax programs; above, one group per 1,000 programs begun, but never
// more than 40 groups, all of equal size (the last ones one larger where it does not divide): so
// groups hold about 1,000 programs up to 40,000 programs, and a 40th of the list beyond.
std::vector<ProgramGroup> GroupPrograms(std::size_t count);

// "first – last", each name shortened with an ellipsis so the caption keeps to 40 characters.
std::u16string GroupCaption(std::u16string_view first, std::u16string_view last);

}  // namespace velmoro
