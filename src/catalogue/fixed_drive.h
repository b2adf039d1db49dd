#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/file_api.h"

namespace velmoro {

// Whether the program may touch a path that a program's registry values name, and the full path
// (GetFullPathNameW) that it then touches: only path text (IsPathText: no wildcard, quote or
// control character) of the form "X:\..." (or "\\?\X:\...") on a fixed drive of this machine, with
// no name in it that Windows takes for a device. A network share, or a network,
// removable or optical drive could keep the menu waiting for a server or a disk, and hands an
// administrator's credentials to whoever answers there; a device name in any folder ("C:\x\COM1",
// on older Windows "C:\x\LPT1.ico" too) opens the port or the console. The device names are CON,
// PRN, AUX, NUL, CONIN$, CONOUT$, and COM and LPT with a digit or a superscript 1, 2 or 3, in any
// letter case, also before a "." or ":" and with blanks after them. The path is made full before
// it is checked, so that no ".." climbs out of what was checked; the drive's kind is asked without
// touching the drive.
std::optional<std::u16string> OnFixedDrive(std::u16string_view path, FileApi& files);

}  // namespace velmoro
