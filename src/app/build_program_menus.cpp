#include "app/application.h"
#include "app/host_form.h"
#include "catalogue/data_dir.h"
#include "catalogue/enumeration.h"
#include "catalogue/list_files.h"
#include "catalogue/program_entry.h"
#include "catalogue/recent_list.h"

namespace velmoro {

namespace {

std::string DataFile(Platform& platform, const char* name) {
  return GetDataDir(platform.registry, platform.text) + "\\" + name;
}

}  // namespace

void TForm1::BuildProgramMenus() {
  ListBox1.Assign(
      EnumeratePrograms(platform_.registry, [this] { application_.ProcessMessages(); }));
  ListBox1.Sort();

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

  for (std::size_t i = 0; i < ListBox1.Count(); ++i) {
    auto item = NewDynamicItem(std::string(DisplayName(ListBox1.At(i))), "MyItem");
    item->Entry = i;
    N11->Add(std::move(item));
  }

  UpdateRecentList(ListBox1.Items(), previous_snapshot, recent);
  for (const std::string& line : recent) Recent1->Add(NewDynamicItem(line, "MyItem2"));

  SaveListFiles(platform_.files, GetDataDir(platform_.registry, platform_.text), ListBox1.Items(),
                recent, old_recent);
}

}  // namespace velmoro
