#pragma once

#include <optional>
#include <string>

#include "platform/text_api.h"

namespace velmoro {

struct LaunchCommand {
  std::u16string file;
  std::u16string parameters;
};

// Splits an uninstall command into the file to open and its parameters. A command that, after
// its leading blanks, begins with a quote closed later opens what the quotes hold, with the rest as
// parameters. Any other splits after the first ".EXE" or ".MSI" (any case) that ends the command or
// stands before a blank, tab or double quote, one character being skipped; without one, after the
// first word. Nothing for an empty command, or empty quotes.
std::optional<LaunchCommand> SplitUninstallCommand(std::u16string command, TextApi& text);

}  // namespace velmoro
