#pragma once

#include <string>
#include <vector>

namespace velmoro {

// The sorted list control (LISTBOX with LBS_SORT) that holds the program list.
class ListControlApi {
 public:
  virtual ~ListControlApi() = default;

  // Puts the entries into the control's sorted order: case-insensitive, locale-aware, whole
  // entries compared. Returns false when the control refused an item; entries are then unchanged.
  virtual bool SortEntries(std::vector<std::string>& entries) = 0;
};

}  // namespace velmoro
