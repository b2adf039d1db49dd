#pragma once

#include "platform/text_api.h"

namespace velmoro {

// Text as a Western (Windows-1252) system has it: upper-casing of ASCII, Latin-1 and basic
// Cyrillic letters; the ANSI form maps each character of code page 1252 to its byte and every
// other UTF-16 unit to "?"; sort keys order by UTF-16 unit with ASCII letter case ignored.
class FakeText : public TextApi {
 public:
  void UpperCase(std::u16string& text) override;
  std::string ToAnsi(const std::u16string& text) override;
  std::string SortKey(const std::u16string& text) override;
};

}  // namespace velmoro
