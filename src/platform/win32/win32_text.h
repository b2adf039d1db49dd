#pragma once

#include "platform/text_api.h"

namespace velmoro {

class Win32Text final : public TextApi {
 public:
  void UpperCase(std::u16string& text) override;
  std::string ToAnsi(const std::u16string& text) override;
  std::string SortKey(const std::u16string& text) override;
  std::u16string FormatShortDate(const CalendarDate& date) override;
  std::u16string FormatByteSize(std::uint64_t bytes) override;
};

}  // namespace velmoro
