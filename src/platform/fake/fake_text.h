#pragma once

#include "platform/text_api.h"

namespace velmoro {

// Text as a Western (Windows-1252) system has it: upper-casing of ASCII, Latin-1 and basic
// Cyrillic letters; the ANSI form maps each character of code page 1252 to its byte and every
// other UTF-16 unit to "?"; sort keys order by UTF-16 unit with ASCII letter case ignored.
// Dates and sizes are formatted in one fixed way, as Wine formats them for United States English:
// a short date is "M/D/YYYY"; a size below 1,024 bytes is "N bytes", any other is in the first of
// KB, MB, GB, TB, PB and EB (powers of 1,024) that leaves less than 1,000 (or in EB), cut (not
// rounded) to three significant digits: "1.50 KB", "12.3 MB", "976 MB", "0.99 MB" (1,023 KB).
class FakeText : public TextApi {
 public:
  void UpperCase(std::u16string& text) override;
  std::string ToAnsi(const std::u16string& text) override;
  std::string SortKey(const std::u16string& text) override;
  std::u16string FormatShortDate(const CalendarDate& date) override;
  std::u16string FormatByteSize(std::uint64_t bytes) override;
};

}  // namespace velmoro
