#include "catalogue/recent_list.h"

#include <algorithm>

namespace velmoro {

const std::vector<std::size_t>* ProgramSet::Find(std::optional<Index>& index,
                                                 std::string EntryLines::*text,
                                                 std::string_view key) const {
  if (!index) {
    index.emplace().reserve(positions_.size());
    for (const std::size_t position : positions_) {
      (*index)[lines_[position].*text].push_back(position);
    }
  }
  const auto found = index->find(key);
  return found == index->end() ? nullptr : &found->second;
}

Detection::Detection(const ProgramSet& programs, LineForm form) : programs_(programs), form_(form) {
  unseen_.reserve(programs.positions().size());
  for (const std::size_t position : programs.positions()) {
    unseen_.insert(programs.lines()[position].Entry(form));
  }
}

std::vector<std::size_t> Detection::Found() const {
  std::vector<std::size_t> found;
  if (unseen_.empty()) return found;
  for (const std::size_t position : programs_.positions()) {
    if (unseen_.count(programs_.lines()[position].Entry(form_)) != 0) found.push_back(position);
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

bool RecentList::AddExact(const ProgramSet& programs, std::string_view utf8_entry) {
  if (Full()) return false;
  if (const std::vector<std::size_t>* same = programs.WithUtf8Entry(utf8_entry)) {
    const auto unlisted = std::find_if(same->begin(), same->end(), [&](std::size_t position) {
      return std::find(positions_.begin(), positions_.end(), position) == positions_.end();
    });
    if (unlisted != same->end()) positions_.push_back(*unlisted);
  }
  return !Full();
}

}  // namespace velmoro
