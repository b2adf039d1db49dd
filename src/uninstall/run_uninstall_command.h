#pragma once

#include <string>

#include "platform/shell_api.h"
#include "platform/text_api.h"

namespace velmoro {

// Opens the uninstall command's program through the shell with its parameters (always a text).
// Starts nothing for an empty command; reports nothing.
void RunUninstallCommand(ShellApi& shell, TextApi& text, std::u16string command);

}  // namespace velmoro
