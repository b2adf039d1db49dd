#include "uninstall/program_actions.h"

#include "catalogue/detail_values.h"
#include "catalogue/fixed_drive.h"
#include "uninstall/command_split.h"
#include "uninstall/details_line.h"
#include "uninstall/run_uninstall_command.h"

namespace velmoro {

namespace {

using Kind = ProgramActionKind;

ProgramAction Run(Kind kind, const char16_t* caption, std::u16string command) {
  return {kind, caption, true, false, false, ActionEffect::kRunCommand, std::move(command)};
}

// A command the uninstall command's split can take; empty for any other.
std::u16string Runnable(const std::u16string& command, TextApi& text) {
  return SplitUninstallCommand(command, text) ? command : std::u16string();
}

// The system's Windows Installer on the product, by the name RunUninstallCommand finds in the
// system folder.
std::u16string Installer(const char16_t* option, const std::u16string& product_code,
                         const char16_t* rest = u"") {
  return u"msiexec.exe " + std::u16string(option) + u" " + product_code + rest;
}

bool MissingFile(const std::u16string& command, Platform& platform) {
  const auto launch = SplitUninstallCommand(command, platform.text);
  if (!launch) return false;
  const auto full = OnFixedDrive(launch->file, platform.files);
  if (!full) return false;
  const PathKind found = platform.files.ProbePath(*full);
  return found == PathKind::kAbsent || found == PathKind::kFolder;
}

// "Uninstall" and "Uninstall quietly".
void AddUninstall(const ProgramEntry& entry, const ProgramDetails& details, const bool msi,
                  Platform& platform, std::vector<ProgramAction>& actions) {
  const std::u16string command = CommandToRun(entry, platform.shell);
  const bool missing = MissingFile(command, platform);
  ProgramAction uninstall = Run(Kind::kUninstall, u"Uninstall", command);
  uninstall.is_default = true;
  std::u16string quiet = Runnable(details.quiet_command, platform.text);
  if (quiet.empty() && msi) quiet = Installer(u"/x", details.product_code, u" /passive /norestart");
  std::vector<ProgramAction> items = {uninstall};
  if (!quiet.empty()) items.push_back(Run(Kind::kUninstallQuietly, u"Uninstall quietly", quiet));
  for (ProgramAction& item : items) {
    if (missing) {
      item.enabled = false;
      item.caption = item.kind == Kind::kUninstall ? kUninstallMissingCaption
                                                   : kUninstallQuietlyMissingCaption;
    }
    actions.push_back(std::move(item));
  }
}

// "Modify" and "Repair".
void AddChange(const ProgramDetails& details, const bool msi, TextApi& text,
               std::vector<ProgramAction>& actions) {
  if (!details.no_modify) {
    std::u16string modify = Runnable(details.modify_command, text);
    if (modify.empty() && msi) modify = Installer(u"/i", details.product_code);
    if (!modify.empty()) actions.push_back(Run(Kind::kModify, u"Modify", modify));
  }
  if (msi && !details.no_repair) {
    actions.push_back(Run(Kind::kRepair, u"Repair", Installer(u"/f", details.product_code)));
  }
}

// The folder, ending in "\": so it can name only a folder, never a file put in its place since.
std::u16string InstallFolder(const ProgramDetails& details, FileApi& files) {
  const auto folder = OnFixedDrive(details.install_location, files);
  if (!folder || files.ProbePath(*folder) != PathKind::kFolder) return {};
  return folder->back() == u'\\' ? *folder : *folder + u'\\';
}

ProgramAction Open(Kind kind, const char16_t* caption, std::u16string target) {
  return {kind, caption, true, false, false, ActionEffect::kOpenAsDesktopUser, std::move(target)};
}

}  // namespace

bool UninstallerMissing(const ProgramEntry& entry, Platform& platform) {
  return MissingFile(CommandToRun(entry, platform.shell), platform);
}

std::vector<ProgramAction> ProgramActions(const ProgramEntry& entry, const ProgramDetails& details,
                                          Platform& platform) {
  std::vector<ProgramAction> actions;
  if (std::u16string line = DetailsLine(details, platform.text); !line.empty()) {
    actions.push_back(
        {Kind::kDetails, std::move(line), false, false, true, ActionEffect::kNone, {}});
  }
  const bool msi = details.windows_installer && IsProductCode(details.product_code);
  AddUninstall(entry, details, msi, platform, actions);
  AddChange(details, msi, platform.text, actions);
  if (std::u16string folder = InstallFolder(details, platform.files); !folder.empty()) {
    actions.push_back(Open(Kind::kOpenInstallFolder, u"Open Install Folder", std::move(folder)));
  }
  if (IsWebAddress(details.web_page)) {
    actions.push_back(Open(Kind::kOpenWebPage, u"Publisher's Web Page", details.web_page));
  }
  actions.push_back(
      {Kind::kCopyName, u"Copy Name", true, false, false, ActionEffect::kCopyText, entry.name});
  return actions;
}

}  // namespace velmoro
