#pragma once

#include <optional>
#include <string>

#include "platform/text_api.h"

namespace velmoro {

struct LaunchCommand {
  std::u16string file;
  std::u16string parameters;
};

// Splits an uninstall command into the file to open and its parameters: after the first ".EXE"
// or ".MSI" (any case) that ends the command or stands before a blank, tab or double quote, one
// character being skipped; without one, after the first word. Nothing for an empty command.
std::optional<LaunchCommand> SplitUninstallCommand(std::u16string command, TextApi& text);

}  // namespace velmoro
