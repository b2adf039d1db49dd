#pragma once

#include <string>
#include <string_view>

namespace velmoro {

// The list text form: 8-bit lines, each written with CR LF. Read back, a NUL ends the text, and
// CR LF, a lone CR and a lone LF each end one line.

// Calls visit(line) for each line, in order, each a view into bytes; stops early when visit
// returns false. Costs no memory, however many lines there are.
template <typename Visit>
void ForEachListLine(std::string_view bytes, Visit visit) {
  const std::string_view text = bytes.substr(0, bytes.find('\0'));
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n') ++end;
    if (!visit(text.substr(pos, end - pos))) return;
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
}

// One line of the list text form: its bytes, then CR LF.
inline void AppendListLine(std::string& text, std::string_view line) {
  text.append(line).append("\r\n");
}

}  // namespace velmoro
