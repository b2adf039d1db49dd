#include "uninstall/run_uninstall_command.h"

#include "uninstall/command_split.h"

namespace velmoro {

void RunUninstallCommand(ShellApi& shell, TextApi& text, std::u16string command) {
  if (auto launch = SplitUninstallCommand(std::move(command), text)) {
    shell.OpenWithShell(launch->file, launch->parameters);
  }
}

}  // namespace velmoro
