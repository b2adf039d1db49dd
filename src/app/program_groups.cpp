#include "app/program_groups.h"

#include <algorithm>

#include "catalogue/short_text.h"

namespace velmoro {

namespace {

constexpr std::size_t kGroupSize = 1000;
constexpr std::size_t kMaxGroups = 40;
// Two names of this length and the dash between them make 40 characters at most.
constexpr std::size_t kNameLength = 18;

}  // namespace

std::vector<ProgramGroup> GroupPrograms(std::size_t count) {
  std::vector<ProgramGroup> groups;
  if (count <= kFlatProgramsMax) return groups;
  const std::size_t number = std::min((count + kGroupSize - 1) / kGroupSize, kMaxGroups);
  for (std::size_t group = 0; group < number; ++group) {
    groups.push_back({group * count / number, (group + 1) * count / number});
  }
  return groups;
}

std::u16string GroupCaption(std::u16string_view first, std::u16string_view last) {
  return ShortText(first, kNameLength) + u" \u2013 " + ShortText(last, kNameLength);
}

}  // namespace velmoro
