#include "app/host_form.h"
#include "uninstall/run_uninstall_command.h"

namespace velmoro {

// Every program and recent item knows its own entry, so programs of equal names each start their
// own command.
void TForm1::ProgramItemClick(MenuItem& sender) {
  if (!sender.Entry) return;
  RunUninstallCommand(platform_.shell, platform_.files, platform_.text,
                      CommandToRun(ListBox1.At(*sender.Entry), platform_.shell));
}

}  // namespace velmoro
