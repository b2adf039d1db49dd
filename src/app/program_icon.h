#pragma once

#include "catalogue/program_entry.h"
#include "platform/desktop_api.h"
#include "platform/platform.h"

namespace velmoro {

// Where a program item's icon comes from, in this order: the uninstall subkey's "DisplayIcon";
// the uninstall program itself, when the command names an ".exe" that exists (the system's
// Windows Installer for "MsiExec.exe" commands); the generic icon. Only paths on this machine's
// fixed drives are ever named or looked at: a network share, a removable or an optical drive
// could keep the menu waiting, so their files give the generic icon untouched.
IconSource ProgramIcon(const ProgramEntry& entry, Platform& platform);

}  // namespace velmoro
