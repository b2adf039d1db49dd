#pragma once

#include <string>

namespace velmoro {

// ASCII letters in upper case, every other character as it is: how the fakes compare the names
// that the platform compares with letter case ignored (paths, registry keys, environment names).
inline std::u16string AsciiUpper(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

}  // namespace velmoro
