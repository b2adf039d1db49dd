#pragma once

#include <windows.h>

#include "platform/list_control_api.h"

namespace velmoro {

// Sorts with the host form's list box ListBox1 (LBS_SORT | LBS_HASSTRINGS, a Unicode window), so
// the order is the platform list control's own.
class Win32ListControl final : public ListControlApi {
 public:
  explicit Win32ListControl(HWND list_box) : list_box_(list_box) {}

  std::optional<std::vector<std::size_t>> SortOrder(
      const std::vector<std::u16string>& entries) override;

 private:
  HWND list_box_;
};

}  // namespace velmoro
