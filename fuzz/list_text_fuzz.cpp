#include <cstdint>
#include <string_view>

#include "catalogue/list_text.h"
#include "fuzz_check.h"

// Reading any bytes gives lines without line breaks or NULs, and writing them reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto lines = velmoro::ParseListText(bytes);
  FUZZ_CHECK(lines.size() <= size);
  for (const auto& line : lines)
    FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
  const std::string text = velmoro::FormatListText(lines);
  FUZZ_CHECK(velmoro::ParseListText(text) == lines);
  FUZZ_CHECK(text.size() <= 2 * size + 2 * lines.size());
  return 0;
}
