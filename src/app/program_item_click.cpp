#include "app/host_form.h"
#include "uninstall/run_uninstall_command.h"

namespace velmoro {

// Every program and recent item knows its own entry, so programs of equal names each start their
// own command.
void TForm1::ProgramItemClick(MenuItem& sender) {
  if (!sender.Entry) return;
  const ProgramEntry& entry = ListBox1.At(*sender.Entry);
  std::u16string command = entry.command;
  if (entry.expand_command) command = platform_.shell.ExpandEnvironment(command);
  RunUninstallCommand(platform_.shell, platform_.files, platform_.text, std::move(command));
  Close();
}

}  // namespace velmoro
