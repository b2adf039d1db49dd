#include "app/command_id_pool.h"
#include "app/host_form.h"
#include "app/program_groups.h"
#include "catalogue/data_dir.h"
#include "catalogue/enumeration.h"
#include "catalogue/file_error.h"
#include "catalogue/list_files.h"
#include "catalogue/program_entry.h"
#include "catalogue/program_order.h"
#include "catalogue/recent_list.h"

namespace velmoro {

namespace {

std::u16string DataFile(Platform& platform, const char16_t* name) {
  return GetDataDir(platform.registry) + u"\\" + name;
}

std::u16string LinkNotice(const DataLink& link) {
  return u"The data folder is not used: \"" + link.path +
         (link.kind == LinkKind::kHardLinks ? u"\" has more than one name."
                                            : u"\" is a link to another place.");
}

std::u16string TooLargeNotice(const std::u16string& path) {
  return u"\"" + path + u"\" is larger than 64 MB and was not read; it is replaced.";
}

}  // namespace

void TForm1::BuildProgramMenus() {
  ListBox1.Assign(EnumeratePrograms(platform_.registry, platform_.threads,
                                    [this] { host_.ProcessMessages(); }));
  SortPrograms(ListBox1.Items(), platform_.text);

  std::optional<DataLink> link;
  std::vector<std::u16string> too_large;
  try {
    link = UpdateDataFiles(too_large);
  } catch (const FileError&) {
    for (const std::u16string& path : too_large) ShowDataNotice(TooLargeNotice(path));
    throw;
  }
  if (link) ShowDataNotice(LinkNotice(*link));
  for (const std::u16string& path : too_large) ShowDataNotice(TooLargeNotice(path));
}

std::optional<DataLink> TForm1::UpdateDataFiles(std::vector<std::u16string>& too_large) {
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
  // may take seconds, so that copies wait only for each other's file work; no box is shown while
  // it is held. A failed read leaves the menus without program and recent items. A file too large
  // to read counts as absent.
  const DataFilesLock lock(platform_.files);
  // Nothing is read, written or deleted through a link: the run goes on without its memory. A
  // look at the files is work on them too, which another copy's replacing them must not meet.
  if (auto link = FindDataLink(platform_.files, GetDataDir(platform_.registry))) {
    AddProgramItems();
    return link;
  }
  std::vector<std::string> previous_snapshot;
  std::vector<std::string> recent;
  bool all_too_large = false;
  bool recent_too_large = false;
  const std::u16string all_path = DataFile(platform_, kAllFileName);
  const std::u16string recent_path = DataFile(platform_, kRecentFileName);
  LoadListFile(platform_.files, all_path, previous_snapshot, all_too_large);
  const std::optional<std::string> old_recent =
      LoadListFile(platform_.files, recent_path, recent, recent_too_large);
  if (all_too_large) too_large.push_back(all_path);
  if (recent_too_large) too_large.push_back(recent_path);

  AddProgramItems();

  // A recent line names the first of the machine's programs whose 8-bit name it is; the item
  // shows that program's real name and starts it.
  UpdateRecentList(machine, previous_snapshot, recent);
  for (const std::string& line : recent) {
    if (const auto found = FindEntryByDisplayName(machine, line)) {
      Recent1->Add(NewDynamicItem(machine_entry[*found], "MyItem2"));
    }
  }

  SaveListFiles(platform_.files, GetDataDir(platform_.registry), machine, recent, old_recent);
  return std::nullopt;
}

void TForm1::AddProgramItems() {
  const std::vector<ProgramGroup> groups = GroupPrograms(ListBox1.Count());
  if (groups.empty()) {
    for (std::size_t i = 0; i < ListBox1.Count(); ++i) N11->Add(NewDynamicItem(i, "MyItem"));
    return;
  }
  for (const ProgramGroup& range : groups) {
    auto group = std::make_unique<MenuItem>(CommandIdPool::Process());
    group->Caption = GroupCaption(DisplayName(ListBox1.At(range.begin).text),
                                  DisplayName(ListBox1.At(range.end - 1).text));
    group->LiteralCaption = true;
    group->Name = "MyGroup";
    for (std::size_t i = range.begin; i < range.end; ++i) {
      group->Add(NewDynamicItem(i, "MyItem"));
    }
    N11->Add(std::move(group));
  }
}

void TForm1::ShowDataNotice(const std::u16string& text) {
  platform_.desktop.ShowMessageBox(Owner::kAppWindow, text, kTitle,
                                   kMbOk | kMbIconWarning | kMbSetForeground);
}

}  // namespace velmoro
