#include "app/application.h"
#include "app/host_form.h"
#include "catalogue/data_dir.h"
#include "catalogue/enumeration.h"
#include "catalogue/list_files.h"
#include "catalogue/program_entry.h"
#include "catalogue/recent_list.h"

namespace velmoro {

namespace {

std::u16string DataFile(Platform& platform, const char16_t* name) {
  return GetDataDir(platform.registry) + u"\\" + name;
}

}  // namespace

void TForm1::BuildProgramMenus() {
  ListBox1.Assign(
      EnumeratePrograms(platform_.registry, [this] { application_.ProcessMessages(); }));
  ListBox1.Sort();

  // The data files are the memory of the machine, shared by all its users: they hold the
  // machine's programs only, in the 8-bit form in which they are compared with the files' lines.
  std::vector<std::string> machine;
  std::vector<std::size_t> machine_entry;
  for (std::size_t i = 0; i < ListBox1.Count(); ++i) {
    if (ListBox1.At(i).per_user) continue;
    machine.push_back(platform_.text.ToAnsi(ListBox1.At(i).text));
    machine_entry.push_back(i);
  }

  // From reading the files to replacing them, so that a copy started at the same time works on
  // what this one wrote and no detection is lost between them. Taken after the enumeration, which
  // may take seconds, so that copies wait only for each other's file work. A failed read leaves
  // the menus without program and recent items.
  const DataFilesLock lock(platform_.files);
  std::vector<std::string> previous_snapshot;
  std::vector<std::string> recent;
  LoadListFile(platform_.files, DataFile(platform_, kAllFileName), previous_snapshot);
  const std::optional<std::string> old_recent =
      LoadListFile(platform_.files, DataFile(platform_, kRecentFileName), recent);

  for (std::size_t i = 0; i < ListBox1.Count(); ++i) N11->Add(NewDynamicItem(i, "MyItem"));

  // A recent line names the first of the machine's programs whose 8-bit name it is; the item
  // shows that program's real name and starts it.
  UpdateRecentList(machine, previous_snapshot, recent);
  for (const std::string& line : recent) {
    if (const auto found = FindEntryByDisplayName(machine, line)) {
      Recent1->Add(NewDynamicItem(machine_entry[*found], "MyItem2"));
    }
  }

  SaveListFiles(platform_.files, GetDataDir(platform_.registry), machine, recent, old_recent);
}

}  // namespace velmoro
