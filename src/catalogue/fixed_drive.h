#pragma once

#include <string_view>

#include "platform/file_api.h"

namespace velmoro {

// Whether the program may touch a path that a program's registry values name: only "X:\..." (or
// "\\?\X:\...") on a fixed drive of this machine. A network share, or a network, removable or
// optical drive could keep the menu waiting for a server or a disk, and hands an administrator's
// credentials to whoever answers there. The drive's kind is asked without touching the drive.
bool OnFixedDrive(std::u16string_view path, FileApi& files);

}  // namespace velmoro
