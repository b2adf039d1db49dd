#include "app/host_form.h"

namespace velmoro {

namespace {

// The folder of a path: everything up to and including its last "\" or ":".
std::u16string FolderOf(const std::u16string& path) {
  const auto end = path.find_last_of(u"\\:");
  return end == path.npos ? std::u16string() : path.substr(0, end + 1);
}

}  // namespace

// An elevated run would start the browser or the mail program elevated too.
void TForm1::OpenLink(const char16_t* link) {
  if (platform_.process.IsElevated() && platform_.shell.OpenAsDesktopUser(link)) return;
  platform_.shell.OpenWithShell(Owner::kMenuOwner, link, std::nullopt);
}

void TForm1::CheckforUpdates1Click(MenuItem&) {
  platform_.shell.OpenWithShell(
      Owner::kMenuOwner, FolderOf(platform_.files.ModuleFileName()) + kUpdaterName, std::nullopt);
  Close();
}

void TForm1::VistiWebPage1Click(MenuItem&) {
  OpenLink(kWebSiteUrl);
  Close();
}

void TForm1::SendEmail1Click(MenuItem&) {
  OpenLink(kSupportMail);
  Close();
}

void TForm1::About2Click(MenuItem&) {
  platform_.desktop.ShowMessageBox(Owner::kHostForm, kAboutText, kAboutCaption,
                                   kMbOk | kMbIconInformation);
  Close();
}

void TForm1::Exit1Click(MenuItem&) {
  Close();
}

}  // namespace velmoro
