#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <string>

// Text as the registry may hold it: any UTF-16 units, unpaired surrogates and NULs included.
inline std::u16string ConsumeUtf16(FuzzedDataProvider& input, std::size_t max_units) {
  const std::string bytes = input.ConsumeRandomLengthString(2 * max_units);
  std::u16string text;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return text;
}
