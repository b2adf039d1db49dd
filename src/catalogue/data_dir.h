#pragma once

#include <string>
#include <vector>

#include "platform/file_api.h"
#include "platform/registry_api.h"
#include "platform/text_api.h"

namespace velmoro {

// Common AppData + "\" (unless it already ends in a single-byte "\") + "Quinsett\Velmoro
// Uninstaller". Reads the registry on every call; a RegistryError passes out. `text` tells the
// trail byte of a double-byte character from a separator.
std::string GetDataDir(RegistryApi& registry, TextApi& text);
// Creates the data directory level by level when it is missing. A level that cannot be made does
// not stop the walk; returns those levels, in the order they were met, for the caller to report.
std::vector<std::string> EnsureDataDir(RegistryApi& registry, FileApi& files, TextApi& text);

}  // namespace velmoro
