#include "app/host_form.h"

#include "app/command_id_pool.h"
#include "catalogue/data_dir.h"
#include "catalogue/program_entry.h"

namespace velmoro {

TForm1::TForm1(FormHost& host, Platform& platform)
    : PMenu1(CommandIdPool::Process()), host_(host), platform_(platform) {
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

void TForm1::FormCreate() {
  MoveOffScreen();
  for (const std::u16string& level : EnsureDataDir(platform_.registry, platform_.files)) {
    platform_.desktop.ShowMessageBox(Owner::kHostForm, u"Error creating directory:\n\r" + level,
                                     std::nullopt, kMbIconError | kMbOk | kMbSetForeground);
    host_.Terminate();
  }
  BuildProgramMenus();
}

// A fixed place such as -200 lies on a monitor left of the primary one, and a form of 123 pixels at
// 96 pixels per inch is wider at a higher scale.
void TForm1::MoveOffScreen() {
  const ScreenLayout screen = platform_.desktop.Screen();
  const auto scaled = [&](int pixels) { return (pixels * screen.dpi + 95) / 96; };
  const int width = scaled(kHostFormWidth);
  platform_.desktop.PlaceHostForm(screen.virtual_left - width, scaled(kHostFormTop), width,
                                  scaled(kHostFormHeight));
}

// The menu owner takes the foreground while the host form, the active window, still holds it:
// hidden first, the form would hand the foreground to another program's window.
void TForm1::FormActivate() {
  platform_.desktop.TakeForeground();
  platform_.desktop.HideAppWindow();
  platform_.desktop.HideHostForm();
  if (!platform_.desktop.HoldsForeground()) {
    host_.ForegroundRefused();
    return;
  }
  int x = 0;
  int y = 0;
  if (!platform_.desktop.CursorPos(x, y)) platform_.desktop.WorkAreaCentre(x, y);
  host_.MenuOpening();
  host_.MenuClosed(PMenu1.Popup(platform_.desktop, x, y));
}

void TForm1::Close() {
  host_.Terminate();
}

}  // namespace velmoro
