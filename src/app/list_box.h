#pragma once

#include <string>
#include <vector>

#include "platform/list_control_api.h"

namespace velmoro {

// The host form's list control; its items hold the program list.
class ListBox {
 public:
  explicit ListBox(ListControlApi& control) : control_(control) {}

  void Assign(std::vector<std::string> entries) { items_ = std::move(entries); }
  std::size_t Count() const { return items_.size(); }
  const std::string& At(std::size_t index) const { return items_[index]; }
  const std::vector<std::string>& Items() const { return items_; }
  // Puts the items into the control's sorted order. Throws std::runtime_error "Unable to insert
  // a line" when the control refuses an item.
  void Sort();

 private:
  ListControlApi& control_;
  std::vector<std::string> items_;
};

}  // namespace velmoro
