#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "fuzz_input.h"
#include "platform/fake/fake_text.h"
#include "uninstall/command_split.h"

namespace {

bool IsProgramExtension(std::u16string tail, velmoro::TextApi& text) {
  text.UpperCase(tail);
  return tail == u".EXE" || tail == u".MSI";
}

}  // namespace

// The file and parameters are the command itself, split around one skipped character; nothing is
// started only for a command that is blank or a lone quote.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  velmoro::FakeText text;
  const std::u16string command = ConsumeUtf16(input, size);
  const auto launch = velmoro::SplitUninstallCommand(command, text);

  std::u16string rest = command.substr(std::min(command.find_first_not_of(u' '), command.size()));
  const bool quoted = !rest.empty() && rest.front() == u'"';
  if (quoted) rest.erase(0, 1);
  FUZZ_CHECK(launch.has_value() == !rest.empty());
  if (!launch) return 0;

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
