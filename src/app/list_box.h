#pragma once

#include <vector>

#include "catalogue/program_entry.h"

namespace velmoro {

// The type of ListBox1: the program list, in the sorted order that a sorted list control gives
// it (SortPrograms), read by index. A vector of entries stands in for the control.
class ListBox {
 public:
  void Assign(std::vector<ProgramEntry> entries) { items_ = std::move(entries); }
  std::vector<ProgramEntry>& Items() { return items_; }
  const std::vector<ProgramEntry>& Items() const { return items_; }
  std::size_t Count() const { return items_.size(); }
  const ProgramEntry& At(std::size_t index) const { return items_[index]; }

 private:
  std::vector<ProgramEntry> items_;
};

}  // namespace velmoro
