#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "list_text_form.h"

namespace {

std::vector<std::string> Lines(std::string_view bytes) {
  std::vector<std::string> lines;
  velmoro::ForEachListLine(bytes, [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  });
  return lines;
}

}  // namespace

// Reading any bytes gives lines without line breaks or NULs, and writing them reads back the same.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto lines = Lines(bytes);
  FUZZ_CHECK(lines.size() <= size);
  for (const auto& line : lines)
    FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
  const std::string text = velmoro::FormatListText(lines);
  FUZZ_CHECK(Lines(text) == lines);
  FUZZ_CHECK(text.size() <= 2 * size + 2 * lines.size());
  return 0;
}
