#include "catalogue/path_text.h"

#include "platform/file_api.h"

namespace velmoro {

bool IsPathText(std::u16string_view path) {
  if (path.empty()) return false;
  const std::size_t parsed_from =
      path.starts_with(kUnparsedPathPrefix) ? kUnparsedPathPrefix.size() : 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const char16_t c = path[i];
    if (c < 0x20 || c == u'"' || c == u'<' || c == u'>' || c == u'|') return false;
    if ((c == u'*' || c == u'?') && i >= parsed_from) return false;
  }
  return true;
}

}  // namespace velmoro
