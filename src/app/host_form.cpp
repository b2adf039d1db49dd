#include "app/host_form.h"

#include "app/command_id_pool.h"

namespace velmoro {

// The static tree, in order: N11, Recent1, the line N1, About1 with CheckforUpdates1,
// VistiWebPage1, SendEmail1, the line N2 and About2, then Exit1.
TForm1::TForm1(FormRunner& runner, Platform& platform)
    : PMenu1(CommandIdPool::Process()), runner_(runner), platform_(platform), memory_(platform) {
  MenuItem& top = PMenu1.Items;
  N11 = &AddStatic(top, u"All Programs");
  Recent1 = &AddStatic(top, u"Recent Programs");
  AddStatic(top, u"-");
  MenuItem& About1 = AddStatic(top, u"Velmoro Uninstaller Pro");
  AddStatic(About1, u"Check for Updates", &TForm1::CheckforUpdates1Click);
  AddStatic(About1, u"Visit Web Site", &TForm1::VistiWebPage1Click);
  AddStatic(About1, u"Send Email", &TForm1::SendEmail1Click);
  AddStatic(About1, u"-");
  AddStatic(About1, u"About...", &TForm1::About2Click);
  AddStatic(top, u"Exit", &TForm1::Exit1Click);
  Recent1->SetDefault(true);
}

MenuItem& TForm1::AddStatic(MenuItem& parent, const char16_t* caption,
                            void (TForm1::*handler)(MenuItem&)) {
  auto item = std::make_unique<MenuItem>(CommandIdPool::Process());
  item->Caption = caption;
  if (handler != nullptr)
    item->OnClick = [this, handler](MenuItem& sender) { (this->*handler)(sender); };
  return parent.Add(std::move(item));
}

std::unique_ptr<MenuItem> TForm1::NewDynamicItem(std::size_t entry) {
  auto item = std::make_unique<MenuItem>(CommandIdPool::Process());
  item->Caption = ListBox1.At(entry).name;
  item->Entry = entry;
  item->OnClick = [this](MenuItem& sender) { ProgramItemClick(sender); };
  item->LiteralCaption = true;
  return item;
}

void TForm1::FormCreate() {
  MoveOffScreen();
  // A level of the machine's folder that cannot be made is shown at once, and asks the run to
  // end; start-up still goes on.
  memory_.EnsureDataDir([this](const std::u16string& level) {
    ShowNotice({MemoryNotice::Kind::kFolder, level});
    runner_.AskToEnd();
  });
  BuildProgramMenus();
}

// A fixed place such as -200 lies on a monitor left of the primary one, and a form of 123 pixels at
// 96 pixels per inch is wider at a higher scale: the scale is that of the monitor beside the form's
// top-right corner, its top measured from the virtual screen's. Where the desktop keeps the
// resizable form wider than asked, it is moved left by the difference.
void TForm1::MoveOffScreen() {
  const ScreenLayout screen = platform_.desktop.Screen();
  const int dpi =
      platform_.desktop.DpiAt(screen.virtual_left - 1, screen.virtual_top + kHostFormTop);
  const auto scaled = [dpi](int pixels) { return (pixels * dpi + 95) / 96; };
  const int width = scaled(kHostFormWidth);
  const int top = screen.virtual_top + scaled(kHostFormTop);
  const int height = scaled(kHostFormHeight);
  platform_.desktop.PlaceHostForm(screen.virtual_left - width, top, width, height);
  const int placed = platform_.desktop.HostFormWidth();
  if (placed > width)
    platform_.desktop.PlaceHostForm(screen.virtual_left - placed, top, placed, height);
}

// The menu owner takes the foreground while the host form, the active window, still holds it:
// hidden first, the form would hand the foreground to another program's window.
void TForm1::FormActivate() {
  platform_.desktop.TakeForeground();
  platform_.desktop.HideAppWindow();
  platform_.desktop.HideHostForm();
  if (!platform_.desktop.HoldsForeground()) {
    runner_.ForegroundRefused();
    return;
  }
  int x = 0;
  int y = 0;
  if (!platform_.desktop.CursorPos(x, y)) platform_.desktop.WorkAreaCentre(x, y);
  if (!runner_.MenuOpening()) return;
  runner_.MenuClosed(PMenu1.Popup(platform_.desktop, x, y));
}

}  // namespace velmoro
