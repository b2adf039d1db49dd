#include "catalogue/recent_list.h"

#include <algorithm>

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

Detection::Detection(const ProgramSet& programs) : programs_(programs) {
  unseen_.reserve(programs.positions().size());
  for (const std::size_t position : programs.positions()) {
    unseen_.insert(programs.lines()[position].entry);
  }
}

std::vector<std::size_t> Detection::Found() const {
  std::vector<std::size_t> found;
  if (unseen_.empty()) return found;
  for (const std::size_t position : programs_.positions()) {
    if (unseen_.count(programs_.lines()[position].entry) != 0) found.push_back(position);
  }
  return found;
}

void RecentList::AddNew(const std::vector<std::size_t>& found) {
  for (auto position = found.rbegin(); position != found.rend() && !Full(); ++position) {
    positions_.push_back(*position);
  }
  new_count_ = positions_.size();
}

bool RecentList::AddOlder(const ProgramSet& programs, std::string_view name) {
  if (Full()) return false;
  const std::vector<std::size_t>* named = programs.WithName(name);
  if (named == nullptr) return true;
  const auto is_new = [&](std::size_t position) {
    const auto new_end = positions_.begin() + static_cast<std::ptrdiff_t>(new_count_);
    return std::find(positions_.begin(), new_end, position) != new_end;
  };
  std::size_t k = older_met_[named]++;
  std::size_t chosen = named->back();
  for (const std::size_t position : *named) {
    if (is_new(position)) continue;
    if (k-- == 0) {
      chosen = position;
      break;
    }
  }
  positions_.push_back(chosen);
  return !Full();
}

}  // namespace velmoro
