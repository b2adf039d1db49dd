#include <cstdint>
#include <string>

#include "fuzz_check.h"
#include "platform/fake/fake_text.h"
#include "uninstall/command_split.h"

namespace {

bool IsProgramExtension(std::string tail, velmoro::TextApi& text) {
  text.UpperCase(tail);
  return tail == ".EXE" || tail == ".MSI";
}

}  // namespace

// The file and parameters are the command itself, split around one skipped character; nothing is
// started only for a command that is blank or a lone quote.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  velmoro::FakeText text;
  const std::string command(reinterpret_cast<const char*>(data), size);
  const auto launch = velmoro::SplitUninstallCommand(command, text);

  std::string rest = command.substr(std::min(command.find_first_not_of(' '), command.size()));
  const bool quoted = !rest.empty() && rest.front() == '"';
  if (quoted) rest.erase(0, 1);
  FUZZ_CHECK(launch.has_value() == !rest.empty());
  if (!launch) return 0;

  FUZZ_CHECK(rest.compare(0, launch->file.size(), launch->file) == 0);
  if (rest.size() == launch->file.size()) {
    FUZZ_CHECK(launch->parameters.empty());
  } else {
    FUZZ_CHECK(rest.size() == launch->file.size() + 1 + launch->parameters.size());
    FUZZ_CHECK(rest.compare(launch->file.size() + 1, std::string::npos, launch->parameters) == 0);
  }
  const bool by_extension = launch->file.size() >= 4 &&
                            IsProgramExtension(launch->file.substr(launch->file.size() - 4), text);
  // Without an extension hit the file is the first word.
  if (!by_extension) FUZZ_CHECK(launch->file.find(quoted ? '"' : ' ') == std::string::npos);
  return 0;
}
