#pragma once

#include <string>

namespace velmoro {

class TextApi {
 public:
  virtual ~TextApi() = default;

  // CharUpperBuffW: letters mapped to upper case, in place.
  virtual void UpperCase(std::u16string& text) = 0;
  // WideCharToMultiByte to the system's ANSI code page with its default character: the 8-bit
  // form in which the data files hold texts.
  virtual std::string ToAnsi(const std::u16string& text) = 0;
  // LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE): bytes that compare as the
  // platform's sorted list control compares the texts, letter case ignored.
  virtual std::string SortKey(const std::u16string& text) = 0;
};

}  // namespace velmoro
