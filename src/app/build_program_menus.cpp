#include "app/command_id_pool.h"
#include "app/error_display.h"
#include "app/host_form.h"
#include "app/program_groups.h"
#include "catalogue/enumeration.h"
#include "catalogue/program_order.h"

namespace velmoro {

void TForm1::BuildProgramMenus() {
  bool finished = false;
  ListBox1.Assign(EnumeratePrograms(
      platform_.registry, platform_.threads, [this] { runner_.ProcessMessages(); }, &finished));
  SortPrograms(ListBox1.Items(), platform_.text);
  AddProgramItems();
  const Recollection memory = memory_.Update(ListBox1.Items(), finished);
  for (const std::size_t entry : memory.recent) Recent1->Add(NewDynamicItem(entry));
  for (const MemoryNotice& notice : memory.notices) ShowNotice(notice);
}

void TForm1::AddProgramItems() {
  const std::vector<ProgramGroup> groups = GroupPrograms(ListBox1.Count());
  if (groups.empty()) {
    for (std::size_t i = 0; i < ListBox1.Count(); ++i) N11->Add(NewDynamicItem(i));
    return;
  }
  for (const ProgramGroup& range : groups) {
    auto group = std::make_unique<MenuItem>(CommandIdPool::Process());
    group->Caption = GroupCaption(ListBox1.At(range.begin).name, ListBox1.At(range.end - 1).name);
    group->LiteralCaption = true;
    for (std::size_t i = range.begin; i < range.end; ++i) {
      group->Add(NewDynamicItem(i));
    }
    N11->Add(std::move(group));
  }
}

// Start-up's boxes come to the front: the program may not hold the foreground yet.
void TForm1::ShowNotice(const MemoryNotice& notice) {
  constexpr unsigned kFlags = kMbOk | kMbSetForeground;
  switch (notice.kind) {
    case MemoryNotice::Kind::kWarning:
      platform_.desktop.ShowMessageBox(Owner::kAppWindow, notice.text, runner_.Title(),
                                       kFlags | kMbIconWarning);
      break;
    case MemoryNotice::Kind::kError:
      platform_.desktop.ShowMessageBox(Owner::kAppWindow, ErrorDisplayText(notice.text),
                                       runner_.Title(), kFlags | kMbIconError);
      break;
    case MemoryNotice::Kind::kFolder:
      platform_.desktop.ShowMessageBox(Owner::kHostForm,
                                       u"Error creating directory:\n\r" + notice.text, std::nullopt,
                                       kFlags | kMbIconError);
      break;
  }
}

}  // namespace velmoro
