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

// The program's own levels of a data directory, below the known folder (the common or local
// application-data folder, or the root of the current drive where the registry names none).
inline constexpr char16_t kVendorFolderName[] = u"Quinsett";
inline constexpr char16_t kDataFolderName[] = u"Velmoro Uninstaller";
// The known folder of a data directory, as HoldKnownFolder takes it.
std::u16string KnownFolderOf(const std::u16string& data_dir);

// Creates a data directory level by level when it is missing. The levels above the program's own
// are made as they are named. "Quinsett" and the data folder are made inside their held parent,
// relative to its handle; the known folder may be a link, and is followed; in the machine's
// folder, shared by every user, they get access lists of their own. A level that cannot be made
// does not stop the walk; returns those levels, in the order they were met, for the caller to
// report. Nothing is made beneath a level of the program's own that is a link.
std::vector<std::u16string> EnsureDataDir(FileApi& files, const std::u16string& data_dir,
                                          bool shared);

}  // namespace velmoro
