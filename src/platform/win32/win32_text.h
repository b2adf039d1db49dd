#pragma once

#include "platform/text_api.h"

namespace velmoro {

class Win32Text final : public TextApi {
 public:
  void UpperCase(std::string& text) override;
  bool IsDbcsLeadByte(char byte) override;
};

}  // namespace velmoro
