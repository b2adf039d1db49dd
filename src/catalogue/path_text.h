#pragma once

#include <string_view>

namespace velmoro {

// Whether text can be a file's or folder's path at all: not empty, and holding nothing that
// Windows takes for a control character, a quote, a redirection or a wildcard ("\\?\" at its start
// hands the rest to the file system unparsed; its "?" is no wildcard). Such a text is never handed
// to a file call, which could take it for a pattern.
bool IsPathText(std::u16string_view path);

}  // namespace velmoro
