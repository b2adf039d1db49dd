#pragma once

#include <functional>
#include <string>

#include "platform/platform.h"

namespace velmoro {

// Common AppData + "\" (unless it already ends in a single-byte "\") + "Quinsett\Velmoro
// Uninstaller". Reads the registry on every call; a RegistryError passes out. `text` tells the
// trail byte of a double-byte character from a separator.
std::string GetDataDir(RegistryApi& registry, TextApi& text);
// Creates the data directory level by level; each failing level gets an error box owned by the
// host form, then `request_end` is called (the program is asked to end), and the walk goes on.
void EnsureDataDir(Platform& platform, const std::function<void()>& request_end);

}  // namespace velmoro
