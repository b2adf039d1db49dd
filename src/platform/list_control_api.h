#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace velmoro {

// The sorted list control (LISTBOX with LBS_SORT) that orders the program list.
class ListControlApi {
 public:
  virtual ~ListControlApi() = default;

  // The entries' indexes in the control's sorted order: case-insensitive, locale-aware, whole
  // entries compared. Nothing when the control refused an item.
  virtual std::optional<std::vector<std::size_t>> SortOrder(
      const std::vector<std::u16string>& entries) = 0;
};

}  // namespace velmoro
