#pragma once

#include <string>
#include <vector>

#include "platform/file_api.h"
#include "platform/registry_api.h"

namespace velmoro {

// Common AppData + "\" (unless it already ends in one) + "Quinsett\Velmoro Uninstaller": the
// machine's data directory. Reads the registry; a RegistryError passes out.
std::u16string GetDataDir(RegistryApi& registry);
// The same folder under the user's local application-data folder: the user's data directory.
std::u16string UserDataDir(std::u16string local_app_data);
// Creates a data directory level by level when it is missing. "Quinsett" and the data folder are
// made inside their held parent; in the machine's folder, shared by every user, they get access
// lists of their own. A level that cannot be made does not stop the walk; returns those levels, in
// the order they were met, for the caller to report. Nothing is made beneath a level of the
// program's own that is a link.
std::vector<std::u16string> EnsureDataDir(FileApi& files, const std::u16string& data_dir,
                                          bool shared);

}  // namespace velmoro
