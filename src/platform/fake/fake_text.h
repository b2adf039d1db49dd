#pragma once

#include "platform/text_api.h"

namespace velmoro {

// Upper-casing by Windows-1252's case mapping; with double_byte set, bytes 0x81 to 0xFE lead
// two-byte characters as in the East Asian code pages.
class FakeText : public TextApi {
 public:
  void UpperCase(std::string& text) override;
  bool IsDbcsLeadByte(char byte) override;

  bool double_byte = false;
};

}  // namespace velmoro
