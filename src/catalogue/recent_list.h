#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "catalogue/program_entry.h"

namespace velmoro {

inline constexpr std::size_t kMaxRecent = 6;

// Some programs of the program list (positions, in list order) with their data-file lines, and
// the programs of each 8-bit name and of each UTF-8 entry line.
class ProgramSet {
 public:
  ProgramSet(const std::vector<EntryLines>& lines, std::vector<std::size_t> positions)
      : lines_(lines), positions_(std::move(positions)) {}

  const std::vector<std::size_t>& positions() const { return positions_; }
  const std::vector<EntryLines>& lines() const { return lines_; }
  // Positions of the programs of that 8-bit name, in list order; null when none has it.
  const std::vector<std::size_t>* WithName(std::string_view name) const {
    return Find(by_name_, &EntryLines::name, name);
  }
  // Positions of the programs of that UTF-8 entry line, in list order; null when none has it.
  const std::vector<std::size_t>* WithUtf8Entry(std::string_view entry) const {
    return Find(by_utf8_entry_, &EntryLines::utf8_entry, entry);
  }

 private:
  using Index = std::unordered_map<std::string_view, std::vector<std::size_t>>;
  // Each index is made when it is first asked: a run whose file holds no line needs none.
  const std::vector<std::size_t>* Find(std::optional<Index>& index, std::string EntryLines::*text,
                                       std::string_view key) const;

  const std::vector<EntryLines>& lines_;
  std::vector<std::size_t> positions_;
  mutable std::optional<Index> by_name_;
  mutable std::optional<Index> by_utf8_entry_;
};

// The programs of a set whose entry line a snapshot (an old "All.dat") does not hold, its lines of
// the given form. The snapshot is seen line by line, never gathered: a file of millions of lines
// costs no more than its bytes.
class Detection {
 public:
  Detection(const ProgramSet& programs, LineForm form);

  // One line of the snapshot.
  void See(std::string_view entry) { unseen_.erase(entry); }
  // Every program was seen: the rest of the snapshot changes nothing.
  bool Done() const { return unseen_.empty(); }
  // In list order.
  std::vector<std::size_t> Found() const;

 private:
  const ProgramSet& programs_;
  LineForm form_;
  std::unordered_set<std::string_view> unseen_;
};

// A recent list being made, newest first, as positions in the program list: the programs found
// new in this run, the one sorting last on top, then the older lines that still reach a program,
// at most kMaxRecent in all. A program found new is listed by its position, whatever its name.
// An older line of a name (the machine's list, a user's list of the earlier form) stands for the
// programs of that name in the set it is resolved in: the k-th such line for the k-th of them that
// is not new in this run, and for the last of them where fewer are left. An older line of an entry
// (a user's list) stands for the first program of that entry in the set that is not listed yet: the
// k-th such line for the k-th program of the very same entry, and for none where fewer are left.
class RecentList {
 public:
  // Positions in list order.
  void AddNew(const std::vector<std::size_t>& found);
  // False once the list is full.
  bool AddOlder(const ProgramSet& programs, std::string_view name);
  // False once the list is full.
  bool AddExact(const ProgramSet& programs, std::string_view utf8_entry);
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
