#pragma once

#include <string>
#include <vector>

namespace velmoro {

inline constexpr std::size_t kMaxRecent = 6;

// Detection, pruning and capping: entries not among the snapshot's lines go to the top of the
// recent list (only when the snapshot has a line), lines whose name no entry has are removed, and
// at most kMaxRecent lines stay.
void UpdateRecentList(const std::vector<std::string>& program_list,
                      const std::vector<std::string>& previous_snapshot,
                      std::vector<std::string>& recent);

}  // namespace velmoro
