#include "app/host_form.h"
#include "catalogue/program_entry.h"
#include "uninstall/program_lookup.h"
#include "uninstall/run_uninstall_command.h"

namespace velmoro {

// A program item knows its own entry, so programs of equal names each start their own command;
// a recent item carries a name only and takes the first entry of that name.
void TForm1::ProgramItemClick(MenuItem& sender) {
  std::optional<std::size_t> entry = sender.Entry;
  if (!entry) entry = FindEntryByDisplayName(ListBox1.Items(), sender.Caption);
  if (!entry) return;
  RunUninstallCommand(platform_.shell, platform_.text,
                      std::string(UninstallCommand(ListBox1.At(*entry))));
  Close();
}

}  // namespace velmoro
