#pragma once

#include <string>

#include "catalogue/program_entry.h"
#include "platform/file_api.h"
#include "platform/shell_api.h"
#include "platform/text_api.h"

namespace velmoro {

// Opens the uninstall command's program through the shell with its parameters (always a text),
// in the system folder. A program named without a folder is started by its full path from the
// system folder or the Windows folder when it is there, so no folder the user happens to be in is
// ever searched for it. Starts nothing for an empty command; reports nothing.
void RunUninstallCommand(ShellApi& shell, FileApi& files, TextApi& text, std::u16string command);

// A program's uninstall command as it is run: its environment references expanded where the
// registry holds it as REG_EXPAND_SZ, as it stands otherwise.
std::u16string CommandToRun(const ProgramEntry& entry, ShellApi& shell);

}  // namespace velmoro
