#pragma once

#include "platform/process_api.h"

namespace velmoro {

class FakeProcess : public ProcessApi {
 public:
  bool IsElevated() override { return elevated; }

  bool elevated = false;
};

}  // namespace velmoro
