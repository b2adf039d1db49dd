#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalogue/program_entry.h"

namespace velmoro {

inline constexpr std::size_t kMaxRecent = 6;

// Some programs of the program list (positions, in list order) with their data-file lines, and
// the programs of each name.
class ProgramSet {
 public:
  ProgramSet(const std::vector<EntryLines>& lines, std::vector<std::size_t> positions);

  const std::vector<std::size_t>& positions() const { return positions_; }
  const std::vector<EntryLines>& lines() const { return lines_; }
  // Positions of the programs of that 8-bit name, in list order; null when none has it.
  const std::vector<std::size_t>* WithName(std::string_view name) const;

 private:
  const std::vector<EntryLines>& lines_;
  std::vector<std::size_t> positions_;
  std::unordered_map<std::string_view, std::vector<std::size_t>> by_name_;
};

// The programs of a set whose entry line a snapshot (an old "All.dat") does not hold. The snapshot
// is seen line by line, never gathered: a file of millions of lines costs no more than its bytes.
class Detection {
 public:
  explicit Detection(const ProgramSet& programs);

  // One line of the snapshot.
  void See(std::string_view entry) { unseen_.erase(entry); }
  // Every program was seen: the rest of the snapshot changes nothing.
  bool Done() const { return unseen_.empty(); }
  // In list order.
  std::vector<std::size_t> Found() const;

 private:
  const ProgramSet& programs_;
  std::unordered_set<std::string_view> unseen_;
};

// A recent list being made, newest first, as positions in the program list: the programs found
// new in this run, the one sorting last on top, then the older lines whose name a program still
// has, at most kMaxRecent in all. A program found new is listed by its position, whatever its
// name; an older line of a name stands for the programs of that name in the set it is resolved
// in: the k-th such line for the k-th of them that is not new in this run, and for the last of
// them where fewer are left.
class RecentList {
 public:
  // Positions in list order.
  void AddNew(const std::vector<std::size_t>& found);
  // False once the list is full.
  bool AddOlder(const ProgramSet& programs, std::string_view name);
  // A program already resolved, below those listed so far.
  void AddListed(std::size_t position) {
    if (!Full()) positions_.push_back(position);
  }
  bool Full() const { return positions_.size() == kMaxRecent; }

  const std::vector<std::size_t>& positions() const { return positions_; }

 private:
  std::vector<std::size_t> positions_;
  std::size_t new_count_ = 0;
  // Older lines met so far, per name in its set.
  std::unordered_map<const std::vector<std::size_t>*, std::size_t> older_met_;
};

}  // namespace velmoro
