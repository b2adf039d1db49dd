#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
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
  // The programs whose entry line the snapshot (the old "All.dat") does not hold, in list order.
  std::vector<std::size_t> NewSince(std::string_view snapshot) const;
  // The position a recent list's line stands for: the k-th line of a text is the k-th program
  // of that name, and the last one where fewer have it.
  std::vector<std::size_t> Resolve(const std::vector<std::string>& recent) const;

 private:
  const std::vector<EntryLines>& lines_;
  std::vector<std::size_t> positions_;
  std::unordered_map<std::string_view, std::vector<std::size_t>> by_name_;
};

// A recent list being made, newest first: the programs found new in this run, the one sorting
// last on top, then older lines whose name a program still has, at most kMaxRecent in all.
class RecentList {
 public:
  explicit RecentList(const ProgramSet& programs) : programs_(programs) {}

  // Positions in list order.
  void AddNew(const std::vector<std::size_t>& found);
  // False once the list is full.
  bool AddOlder(std::string_view line);
  bool Full() const { return lines_.size() == kMaxRecent; }

  const std::vector<std::string>& lines() const { return lines_; }

 private:
  const ProgramSet& programs_;
  std::vector<std::string> lines_;
};

}  // namespace velmoro
