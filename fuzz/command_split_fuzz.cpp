#include <cstdint>
#include <string>
#include <string_view>

#include "catalogue/display_icon.h"
#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/fake/fake_text.h"
#include "uninstall/command_split.h"

namespace {

bool IsProgramExtension(std::u16string tail, velmoro::TextApi& text) {
  text.UpperCase(tail);
  return tail == u".EXE" || tail == u".MSI";
}

// Written out apart from the parser, so that a slip in either shows.
bool MayBeInPath(std::u16string_view path, std::size_t i) {
  const char16_t c = path[i];
  if (c == u'*' || c == u'?') return path.starts_with(u"\\\\?\\") && i == 2;
  return c >= 0x20 && c != u'"' && c != u'<' && c != u'>' && c != u'|';
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t';
}

std::u16string Number(int value) {
  const std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

// A location read from any text names a path that Windows could hold, and writing it back, quoted
// or not, reads the same; text that can be nothing but a path is read as that path.
void CheckDisplayIcon(const std::u16string& text) {
  const auto location = velmoro::ParseDisplayIcon(text);

  std::u16string_view trimmed(text);
  while (!trimmed.empty() && IsBlank(trimmed.front())) trimmed.remove_prefix(1);
  while (!trimmed.empty() && IsBlank(trimmed.back())) trimmed.remove_suffix(1);
  bool plain = !trimmed.empty() && trimmed.find_first_of(u",\"") == std::u16string_view::npos;
  for (std::size_t i = 0; plain && i < trimmed.size(); ++i) plain = MayBeInPath(trimmed, i);
  if (plain) FUZZ_CHECK((location == velmoro::IconLocation{std::u16string(trimmed), 0}));
  if (!trimmed.empty() && trimmed.front() == u'"' && trimmed.find(u'"', 1) == trimmed.npos) {
    FUZZ_CHECK(!location);
  }
  if (!location) return;

  const std::u16string& path = location->path;
  FUZZ_CHECK(!path.empty());
  FUZZ_CHECK(!IsBlank(path.front()) && !IsBlank(path.back()));
  for (std::size_t i = 0; i < path.size(); ++i) FUZZ_CHECK(MayBeInPath(path, i));
  FUZZ_CHECK(location->index >= -0xFFFF);
  if (trimmed.front() != u'"') FUZZ_CHECK(trimmed.starts_with(path));

  const std::u16string index = Number(location->index);
  FUZZ_CHECK(velmoro::ParseDisplayIcon(u"\"" + path + u"\"," + index) == location);
  FUZZ_CHECK(velmoro::ParseDisplayIcon(u"\t\"" + path + u"\" , " + index + u" ") == location);
  FUZZ_CHECK(velmoro::ParseDisplayIcon(path + u"," + index) == location);
}

}  // namespace

// The file and parameters are the command itself, split around one skipped character; what closed
// quotes hold is the file; nothing is started only for a command that is blank, a lone quote or
// empty quotes. The same text is read as an icon's location too: both come from the registry as
// any installer wrote them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  velmoro::FakeText text;
  const std::u16string command = ConsumeUtf16(input, size);
  CheckDisplayIcon(command);
  const auto launch = velmoro::SplitUninstallCommand(command, text);

  std::u16string rest = command.substr(std::min(command.find_first_not_of(u' '), command.size()));
  const bool quoted = !rest.empty() && rest.front() == u'"';
  if (quoted) rest.erase(0, 1);
  const std::size_t closing = quoted ? rest.find(u'"') : std::u16string::npos;
  FUZZ_CHECK(launch.has_value() == (!rest.empty() && closing != 0));
  if (!launch) return 0;
  if (closing != std::u16string::npos) FUZZ_CHECK(launch->file == rest.substr(0, closing));

  FUZZ_CHECK(rest.compare(0, launch->file.size(), launch->file) == 0);
  if (rest.size() == launch->file.size()) {
    FUZZ_CHECK(launch->parameters.empty());
  } else {
    FUZZ_CHECK(rest.size() == launch->file.size() + 1 + launch->parameters.size());
    FUZZ_CHECK(rest.compare(launch->file.size() + 1, std::u16string::npos, launch->parameters) ==
               0);
  }
  const bool by_extension = launch->file.size() >= 4 &&
                            IsProgramExtension(launch->file.substr(launch->file.size() - 4), text);
  // Without an extension hit the file is the first word.
  if (!by_extension) FUZZ_CHECK(launch->file.find(quoted ? u'"' : u' ') == std::u16string::npos);
  return 0;
}
