#include "app/host_form.h"

namespace velmoro {

namespace {

constexpr char16_t kLinkNotOpened[] =
    u"This could not be opened as your own user, and a program run as administrator does not "
    u"open it with its own rights. Press Ctrl+C to copy this message, then open its last line "
    u"yourself, in your browser, mail program or Explorer:\r\n\r\n";

// The folder of a path: everything up to and including its last "\" or ":".
std::u16string FolderOf(const std::u16string& path) {
  const auto end = path.find_last_of(u"\\:");
  return end == path.npos ? std::u16string() : path.substr(0, end + 1);
}

}  // namespace

// An elevated run would start the browser, the mail program or Explorer elevated too: where the
// desktop's user cannot open it, the address is only shown, for the user to copy (Ctrl+C copies a
// box).
void TForm1::OpenLink(const std::u16string& link) {
  if (!platform_.process.IsElevated()) {
    platform_.shell.OpenWithShell(Owner::kMenuOwner, link, std::nullopt);
  } else if (!platform_.shell.OpenAsDesktopUser(link)) {
    platform_.desktop.ShowMessageBox(Owner::kMenuOwner, kLinkNotOpened + link, runner_.Title(),
                                     kMbOk | kMbIconInformation | kMbSetForeground);
  }
}

void TForm1::CheckforUpdates1Click(MenuItem&) {
  platform_.shell.OpenWithShell(
      Owner::kMenuOwner, FolderOf(platform_.files.ModuleFileName()) + kUpdaterName, std::nullopt);
}

void TForm1::VistiWebPage1Click(MenuItem&) {
  OpenLink(kWebSiteUrl);
}

void TForm1::SendEmail1Click(MenuItem&) {
  OpenLink(kSupportMail);
}

void TForm1::About2Click(MenuItem&) {
  platform_.desktop.ShowMessageBox(Owner::kHostForm, kAboutText, kAboutCaption,
                                   kMbOk | kMbIconInformation);
}

// The run ends after every command; this one does nothing else.
void TForm1::Exit1Click(MenuItem&) {}

}  // namespace velmoro
