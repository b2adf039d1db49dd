#pragma once

#include "platform/list_control_api.h"

namespace velmoro {

// Sorts like the platform list control as far as tests rely on it: whole entries compared with
// ASCII letter case ignored; entries that compare equal keep their order.
class FakeListControl : public ListControlApi {
 public:
  std::optional<std::vector<std::size_t>> SortOrder(
      const std::vector<std::u16string>& entries) override;

  bool refuse = false;  // the control refuses every item
};

}  // namespace velmoro
