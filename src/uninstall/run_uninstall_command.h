#pragma once

#include <string>

#include "catalogue/program_entry.h"
#include "platform/file_api.h"
#include "platform/shell_api.h"
#include "platform/text_api.h"
#include "uninstall/command_split.h"

namespace velmoro {

// The program an uninstall command starts, and its parameters (always a text): the command split
// as SplitUninstallCommand does, a program named without a folder by its full path from the system
// folder or the Windows folder when it is there, so no folder the user happens to be in is ever
// searched for it. Nothing for a command that starts nothing.
std::optional<LaunchCommand> ProgramToStart(std::u16string command, ShellApi& shell, FileApi& files,
                                            TextApi& text);

// Opens the program the uninstall command starts through the shell, in the system folder.
// Reports nothing.
void RunUninstallCommand(ShellApi& shell, FileApi& files, TextApi& text, std::u16string command);

// A program's uninstall command as it is run: its environment references expanded where the
// registry holds it as REG_EXPAND_SZ, as it stands otherwise.
std::u16string CommandToRun(const ProgramEntry& entry, ShellApi& shell);

}  // namespace velmoro
