#include "platform/fake/fake_shell.h"

#include "platform/fake/ascii_upper.h"

namespace velmoro {

std::u16string FakeShell::ExpandEnvironment(const std::u16string& text) {
  std::u16string expanded;
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t start = text.find(u'%', pos);
    const std::size_t end = start == text.npos ? text.npos : text.find(u'%', start + 1);
    if (end == text.npos) break;
    const std::u16string name = AsciiUpper(text.substr(start + 1, end - start - 1));
    expanded += text.substr(pos, start - pos);
    if (const auto value = environment.find(name); value != environment.end()) {
      expanded += value->second;
      pos = end + 1;
    } else {
      // An unknown name stays, and its closing "%" may open the next reference.
      expanded += text.substr(start, end - start);
      pos = end;
    }
  }
  return expanded + text.substr(pos);
}

}  // namespace velmoro
