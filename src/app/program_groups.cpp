#include "app/program_groups.h"

#include <algorithm>

namespace velmoro {

namespace {

constexpr std::size_t kGroupSize = 1000;
constexpr std::size_t kMaxGroups = 40;
// Two names of this length and the dash between them make 40 characters at most.
constexpr std::size_t kNameLength = 18;

std::u16string Shortened(std::u16string_view name) {
  if (name.size() <= kNameLength) return std::u16string(name);
  std::size_t keep = kNameLength - 1;
  // Never half of a character outside the Basic Multilingual Plane.
  if (name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF) --keep;
  return std::u16string(name.substr(0, keep)) + u"\u2026";
}

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
  return Shortened(first) + u" \u2013 " + Shortened(last);
}

}  // namespace velmoro
