#include "app/list_box.h"

#include <stdexcept>

namespace velmoro {

void ListBox::Sort() {
  std::vector<std::u16string> texts;
  texts.reserve(items_.size());
  for (const ProgramEntry& entry : items_) texts.push_back(entry.text);
  const auto order = control_.SortOrder(texts);
  if (!order) throw std::runtime_error("Unable to insert a line");
  std::vector<ProgramEntry> sorted;
  sorted.reserve(items_.size());
  for (const std::size_t index : *order) sorted.push_back(std::move(items_[index]));
  items_ = std::move(sorted);
}

}  // namespace velmoro
