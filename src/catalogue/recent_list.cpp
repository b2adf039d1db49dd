#include "catalogue/recent_list.h"

#include <algorithm>
#include <unordered_set>

#include "catalogue/list_text.h"

namespace velmoro {

ProgramSet::ProgramSet(const std::vector<EntryLines>& lines, std::vector<std::size_t> positions)
    : lines_(lines), positions_(std::move(positions)) {
  by_name_.reserve(positions_.size());
  for (const std::size_t position : positions_) by_name_[lines_[position].name].push_back(position);
}

const std::vector<std::size_t>* ProgramSet::WithName(std::string_view name) const {
  const auto found = by_name_.find(name);
  return found == by_name_.end() ? nullptr : &found->second;
}

// The snapshot is read line by line against the programs' lines, not gathered: a file of millions
// of lines costs no more than its bytes.
std::vector<std::size_t> ProgramSet::NewSince(std::string_view snapshot) const {
  std::vector<std::size_t> found;
  std::unordered_set<std::string_view> unseen;
  unseen.reserve(positions_.size());
  for (const std::size_t position : positions_) unseen.insert(lines_[position].entry);
  ForEachListLine(snapshot, [&](std::string_view line) {
    unseen.erase(line);
    return !unseen.empty();
  });
  for (const std::size_t position : positions_) {
    if (unseen.count(lines_[position].entry) != 0) found.push_back(position);
  }
  return found;
}

std::vector<std::size_t> ProgramSet::Resolve(const std::vector<std::string>& recent) const {
  std::unordered_map<std::string_view, std::size_t> seen;
  std::vector<std::size_t> positions;
  for (const std::string& line : recent) {
    const std::vector<std::size_t>* named = WithName(line);
    if (named == nullptr) continue;
    const std::size_t k = seen[line]++;
    positions.push_back((*named)[std::min(k, named->size() - 1)]);
  }
  return positions;
}

void RecentList::AddNew(const std::vector<std::size_t>& found) {
  for (auto position = found.rbegin(); position != found.rend() && !Full(); ++position) {
    lines_.push_back(programs_.lines()[*position].name);
  }
}

bool RecentList::AddOlder(std::string_view line) {
  if (Full()) return false;
  if (programs_.WithName(line) != nullptr) lines_.emplace_back(line);
  return !Full();
}

}  // namespace velmoro
