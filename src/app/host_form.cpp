#include "app/host_form.h"

#include "app/application.h"
#include "app/command_id_pool.h"
#include "catalogue/data_dir.h"
#include "catalogue/program_entry.h"

namespace velmoro {

TForm1::TForm1(Application& application, Platform& platform)
    : PMenu1(CommandIdPool::Process()), application_(application), platform_(platform) {
  MenuItem& top = PMenu1.Items;
  N11 = &AddStatic(top, "N11", u"All Programs");
  Recent1 = &AddStatic(top, "Recent1", u"Recent Programs");
  N1 = &AddStatic(top, "N1", u"-");
  About1 = &AddStatic(top, "About1", u"Velmoro Uninstaller Pro");
  CheckforUpdates1 =
      &AddStatic(*About1, "CheckforUpdates1", u"Check for Updates", &TForm1::CheckforUpdates1Click);
  VistiWebPage1 =
      &AddStatic(*About1, "VistiWebPage1", u"Visit Web Site", &TForm1::VistiWebPage1Click);
  SendEmail1 = &AddStatic(*About1, "SendEmail1", u"Send Email", &TForm1::SendEmail1Click);
  N2 = &AddStatic(*About1, "N2", u"-");
  About2 = &AddStatic(*About1, "About2", u"About...", &TForm1::About2Click);
  Exit1 = &AddStatic(top, "Exit1", u"Exit", &TForm1::Exit1Click);
  Recent1->SetDefault(true);
}

MenuItem& TForm1::AddStatic(MenuItem& parent, const char* name, const char16_t* caption,
                            void (TForm1::*handler)(MenuItem&)) {
  auto item = std::make_unique<MenuItem>(CommandIdPool::Process());
  item->Name = name;
  item->Caption = caption;
  if (handler != nullptr)
    item->OnClick = [this, handler](MenuItem& sender) { (this->*handler)(sender); };
  return parent.Add(std::move(item));
}

std::unique_ptr<MenuItem> TForm1::NewDynamicItem(std::size_t entry, const char* name) {
  auto item = std::make_unique<MenuItem>(CommandIdPool::Process());
  item->Caption = DisplayName(ListBox1.At(entry).text);
  item->Entry = entry;
  item->OnClick = [this](MenuItem& sender) { ProgramItemClick(sender); };
  item->Name = name;
  item->LiteralCaption = true;
  return item;
}

// The desktop makes the host form's window off-screen (left -200), where it never shows.
void TForm1::FormCreate() {
  for (const std::u16string& level : EnsureDataDir(platform_.registry, platform_.files)) {
    platform_.desktop.ShowMessageBox(Owner::kHostForm, u"Error creating directory:\n\r" + level,
                                     std::nullopt, kMbIconError | kMbOk);
    application_.Terminate();
  }
  BuildProgramMenus();
}

void TForm1::FormActivate() {
  platform_.desktop.HideAppWindow();
  platform_.desktop.HideHostForm();
  int x = 0;
  int y = 0;
  if (!platform_.desktop.CursorPos(x, y)) platform_.desktop.WorkAreaCentre(x, y);
  application_.MenuOpening();
  application_.MenuClosed(PMenu1.Popup(platform_.desktop, x, y));
}

void TForm1::Close() {
  application_.Terminate();
}

}  // namespace velmoro
