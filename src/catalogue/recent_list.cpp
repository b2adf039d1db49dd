#include "catalogue/recent_list.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include "catalogue/program_entry.h"

namespace velmoro {

void UpdateRecentList(const std::vector<std::string>& program_list,
                      const std::vector<std::string>& previous_snapshot,
                      std::vector<std::string>& recent) {
  // Every entry missing from the snapshot goes to the top in turn, so the detected names end up
  // in reverse program-list order above the older lines. Detected names are display names of the
  // program list and always survive pruning, so only the last kMaxRecent of them can stay.
  std::vector<std::string_view> detected;
  if (!previous_snapshot.empty()) {
    const std::unordered_set<std::string_view> snapshot(previous_snapshot.begin(),
                                                        previous_snapshot.end());
    for (auto entry = program_list.rbegin();
         entry != program_list.rend() && detected.size() < kMaxRecent; ++entry) {
      if (snapshot.count(*entry) == 0) detected.push_back(DisplayName(*entry));
    }
  }

  std::vector<std::string> updated(detected.begin(), detected.end());
  if (updated.size() < kMaxRecent && !recent.empty()) {
    std::unordered_set<std::string_view> names;
    names.reserve(program_list.size());
    for (const std::string& entry : program_list) names.insert(DisplayName(entry));
    for (std::string& line : recent) {
      if (updated.size() == kMaxRecent) break;
      if (names.count(line) != 0) updated.push_back(std::move(line));
    }
  }
  recent = std::move(updated);
}

}  // namespace velmoro
