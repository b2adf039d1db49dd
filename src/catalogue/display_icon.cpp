#include "catalogue/display_icon.h"

#include <cstdint>
#include <limits>

#include "catalogue/path_text.h"

namespace velmoro {
namespace {

constexpr std::u16string_view kBlanks = u" \t";
// Resource ids are 16 bits wide: a larger one would be cut down to another icon's id.
constexpr std::int64_t kLargestResourceId = 0xFFFF;

std::u16string_view Trim(std::u16string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::u16string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool IsDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

// ASCII digits only: after a digit of another script the text is still a file name.
bool IsIndexText(std::u16string_view text) {
  text = Trim(text);
  if (!text.empty() && (text.front() == u'+' || text.front() == u'-')) text.remove_prefix(1);
  if (text.empty()) return false;
  for (const char16_t c : text) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// The value of text that IsIndexText accepts. "-0" is refused: it names resource id 0, which no
// resource has, so it can only be a mistake; "+0" and "0" are the first icon.
std::optional<int> IndexValue(std::u16string_view text) {
  text = Trim(text);
  const bool negative = text.front() == u'-';
  if (negative || text.front() == u'+') text.remove_prefix(1);
  const std::int64_t limit =
      negative ? kLargestResourceId : std::int64_t{std::numeric_limits<int>::max()};
  std::int64_t value = 0;
  for (const char16_t c : text) {
    value = value * 10 + (c - u'0');
    if (value > limit) return std::nullopt;
  }
  if (negative && value == 0) return std::nullopt;
  return static_cast<int>(negative ? -value : value);
}

std::optional<IconLocation> Located(std::u16string_view path, int index) {
  path = Trim(path);
  if (!IsPathText(path)) return std::nullopt;
  return IconLocation{std::u16string(path), index};
}

std::optional<IconLocation> LocatedAt(std::u16string_view path, std::u16string_view index_text) {
  const std::optional<int> index = IndexValue(index_text);
  if (!index) return std::nullopt;
  return Located(path, *index);
}

}  // namespace

std::optional<IconLocation> ParseDisplayIcon(std::u16string_view text) {
  text = Trim(text);
  if (text.starts_with(u'"')) {
    const std::size_t closing = text.find(u'"', 1);
    if (closing == std::u16string_view::npos) return std::nullopt;
    const std::u16string_view path = text.substr(1, closing - 1);
    const std::u16string_view rest = Trim(text.substr(closing + 1));
    if (rest.empty()) return Located(path, 0);
    if (rest.front() != u',' || !IsIndexText(rest.substr(1))) return std::nullopt;
    return LocatedAt(path, rest.substr(1));
  }
  const std::size_t comma = text.rfind(u',');
  if (comma == std::u16string_view::npos || !IsIndexText(text.substr(comma + 1))) {
    return Located(text, 0);
  }
  return LocatedAt(text.substr(0, comma), text.substr(comma + 1));
}

}  // namespace velmoro
