#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmoro {

// Where an icon is: a file and, for an executable or library, which of its icons.
struct IconLocation {
  std::u16string path;
  // 0 and up: the icon at that position; negative: the icon whose resource id is -index.
  int index = 0;
  bool operator==(const IconLocation&) const = default;
};

// Reads an uninstall subkey's DisplayIcon text, as installers write it: a path, in double quotes
// or not, and optionally a comma and an index, with blanks and tabs around each part. Without
// quotes the index follows the last comma, and only a sign and digits make an index there: any
// other text after it belongs to the path, as a folder name may hold a comma. Nothing when no
// file can be named: blank text, a quote never closed, text after the closing quote that is not
// ",index", an index no icon can have (beyond int, -0, a resource id above 65535), an empty path
// or one holding a character that no Windows path holds. Environment references are left as they
// are: the caller expands a REG_EXPAND_SZ value first.
std::optional<IconLocation> ParseDisplayIcon(std::u16string_view text);

}  // namespace velmoro
