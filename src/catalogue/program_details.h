#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "catalogue/program_entry.h"
#include "platform/registry_api.h"
#include "platform/shell_api.h"
#include "platform/text_api.h"

namespace velmoro {

// What a program's uninstall subkey tells beyond its name and command, as the program's own menu
// needs it. Every value is checked as it is read: one that is missing, of another type, too long or
// not of its form is left empty (or nothing, or false), as if the subkey did not hold it. Commands,
// folders and the icon are expanded where the registry holds them as REG_EXPAND_SZ.
struct ProgramDetails {
  std::u16string version;                    // "DisplayVersion", as it stands
  std::u16string publisher;                  // "Publisher", as it stands
  std::optional<CalendarDate> install_date;  // "InstallDate", "YYYYMMDD"
  std::optional<std::uint32_t> size_kb;      // "EstimatedSize" in KB, a DWORD above 0
  std::u16string quiet_command;              // "QuietUninstallString"
  std::u16string modify_command;             // "ModifyPath"
  bool no_modify = false;                    // "NoModify" is the DWORD 1
  bool no_repair = false;                    // "NoRepair" is the DWORD 1
  bool windows_installer = false;            // "WindowsInstaller" is the DWORD 1
  std::u16string product_code;               // the subkey's name, when it is a product code
  std::u16string install_location;           // "InstallLocation"
  std::u16string web_page;                   // "URLInfoAbout", else "HelpLink": a web address
  std::u16string display_icon;               // "DisplayIcon"
  bool operator==(const ProgramDetails&) const = default;
};

// Reads the entry's subkey, opened once, where the entry was found (its root and view): besides
// the open and the close, one registry call per value, a second only for a value of more than
// 1,024 bytes, and "HelpLink" only where "URLInfoAbout" is no web address. A subkey that cannot be
// opened gives no details.
ProgramDetails ReadProgramDetails(const ProgramEntry& entry, RegistryApi& registry,
                                  ShellApi& shell);

// Only "DisplayIcon", as ReadProgramDetails reads it: what drawing an item needs, at the cost of
// one value.
std::u16string ReadDisplayIcon(const ProgramEntry& entry, RegistryApi& registry, ShellApi& shell);

}  // namespace velmoro
