#pragma once

#include <string>
#include <vector>

#include "catalogue/program_details.h"
#include "catalogue/program_entry.h"
#include "platform/platform.h"

namespace velmoro {

// The items of a program's own menu, in the order they are shown.
enum class ProgramActionKind {
  kDetails,  // what is known of the program, one line, never chosen
  kUninstall,
  kUninstallQuietly,
  kModify,
  kRepair,
  kOpenInstallFolder,
  kOpenWebPage,
  kCopyName,
};

// What choosing an item does with its argument.
enum class ActionEffect {
  kNone,
  kRunCommand,         // RunUninstallCommand(argument), as an uninstall command is run
  kOpenAsDesktopUser,  // ShellApi::OpenAsDesktopUser(argument): a folder or a web address
  kCopyText,           // the argument to the clipboard, as Unicode text
};

struct ProgramAction {
  ProgramActionKind kind = ProgramActionKind::kDetails;
  std::u16string caption;
  bool enabled = true;
  bool is_default = false;  // shown bold
  // The caption is shown as it stands: an "&" in it is a character, not an access key's mark.
  bool literal = false;
  ActionEffect effect = ActionEffect::kNone;
  std::u16string argument;
  bool operator==(const ProgramAction&) const = default;
};

inline constexpr char16_t kUninstallMissingCaption[] = u"Uninstall (uninstaller missing)";
inline constexpr char16_t kUninstallQuietlyMissingCaption[] =
    u"Uninstall quietly (uninstaller missing)";

// Whether the entry's uninstall command, as it is run, names a file by an absolute path on a fixed
// drive ("X:\..." or "\\?\X:\...") where there is no such file. Only such a path is ever looked at,
// with one look at the drive's kind and one at the file: a network, removable or optical path, a
// bare name, a relative path or one holding a wildcard is taken to be there.
bool UninstallerMissing(const ProgramEntry& entry, Platform& platform);

// The items that apply to the program, in this order:
// - the details line (DetailsLine), when anything is known: disabled, literal;
// - "Uninstall", the default: the entry's own command, as choosing its item runs it;
// - "Uninstall quietly": the quiet command, or for a Windows Installer entry (the DWORD
//   "WindowsInstaller" 1 and a subkey named by a product code) "msiexec.exe /x {code} /passive
//   /norestart";
// - "Modify": the modify command unless "NoModify" is 1; for a Windows Installer entry without
//   one, "msiexec.exe /i {code}" unless "NoModify" is 1;
// - "Repair": for a Windows Installer entry unless "NoRepair" is 1, "msiexec.exe /f {code}";
// - "Open Install Folder": the install location when it is a folder on a fixed drive that exists;
// - "Publisher's Web Page": the web address;
// - "Copy Name": the entry's display name.
// A command that the uninstall command's split cannot take is as none. Where UninstallerMissing,
// both uninstall items are disabled and say so.
std::vector<ProgramAction> ProgramActions(const ProgramEntry& entry, const ProgramDetails& details,
                                          Platform& platform);

}  // namespace velmoro
