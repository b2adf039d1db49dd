#pragma once

#include <string>
#include <vector>

#include "platform/file_api.h"
#include "platform/registry_api.h"

namespace velmoro {

// Common AppData + "\" (unless it already ends in one) + "Quinsett\Velmoro Uninstaller". Reads
// the registry on every call; a RegistryError passes out.
std::u16string GetDataDir(RegistryApi& registry);
// Creates the data directory level by level when it is missing. A level that cannot be made does
// not stop the walk; returns those levels, in the order they were met, for the caller to report.
std::vector<std::u16string> EnsureDataDir(RegistryApi& registry, FileApi& files);

}  // namespace velmoro
