#pragma once

#include <cstdint>
#include <string>

namespace velmoro {

// A day of the Gregorian calendar: year 1601 to 9999, month 1 to 12, day within the month.
struct CalendarDate {
  int year = 1601;
  int month = 1;
  int day = 1;
  bool operator==(const CalendarDate&) const = default;
};

class TextApi {
 public:
  virtual ~TextApi() = default;

  // CharUpperBuffW: letters mapped to upper case, in place.
  virtual void UpperCase(std::u16string& text) = 0;
  // WideCharToMultiByte to the system's ANSI code page with its default character: the 8-bit
  // form in which the data files hold texts.
  virtual std::string ToAnsi(const std::u16string& text) = 0;
  // LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE): bytes that compare as a
  // sorted list control (LBS_SORT) compares the texts, letter case ignored.
  virtual std::string SortKey(const std::u16string& text) = 0;
  // GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE): the date in the user's short date
  // format; empty when it cannot be formatted.
  virtual std::u16string FormatShortDate(const CalendarDate& date) = 0;
  // StrFormatByteSizeW: a size as Explorer shows it ("1.20 MB", "512 bytes"), in the user's
  // number format; empty when it cannot be formatted.
  virtual std::u16string FormatByteSize(std::uint64_t bytes) = 0;
};

}  // namespace velmoro
