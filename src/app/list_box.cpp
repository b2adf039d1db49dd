#include "app/list_box.h"

#include <stdexcept>

namespace velmoro {

void ListBox::Sort() {
  if (!control_.SortEntries(items_)) throw std::runtime_error("Unable to insert a line");
}

}  // namespace velmoro
