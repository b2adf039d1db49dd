#pragma once

#include <vector>

#include "catalogue/program_entry.h"
#include "platform/list_control_api.h"

namespace velmoro {

// The host form's list control; its items hold the program list.
class ListBox {
 public:
  explicit ListBox(ListControlApi& control) : control_(control) {}

  void Assign(std::vector<ProgramEntry> entries) { items_ = std::move(entries); }
  std::size_t Count() const { return items_.size(); }
  const ProgramEntry& At(std::size_t index) const { return items_[index]; }
  const std::vector<ProgramEntry>& Items() const { return items_; }
  // Puts the items into the control's sorted order of their texts. Throws std::runtime_error
  // "Unable to insert a line" when the control refuses an item.
  void Sort();

 private:
  ListControlApi& control_;
  std::vector<ProgramEntry> items_;
};

}  // namespace velmoro
