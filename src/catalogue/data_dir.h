#pragma once

#include <functional>
#include <string>

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

// The folder of the program's own first level, "Quinsett", of a data directory.
std::u16string VendorFolderOf(const std::u16string& data_dir);

// Called with each level of a data directory that cannot be made, as the walk meets it: the
// caller reports it, and names what follows from it.
using LevelNotMade = std::function<void(const std::u16string& level)>;

// Creates a data directory level by level when it is missing. The levels above the program's own
// are made as they are named. "Quinsett" and the data folder are made inside their held parent,
// relative to its handle; the known folder may be a link, and is followed; in the machine's
// folder, shared by every user, they get access lists of their own. A level that cannot be made
// goes to `not_made` and does not stop the walk. Nothing is made beneath a level of the
// program's own that is a link. False when any level could not be made.
bool EnsureDataDir(FileApi& files, const std::u16string& data_dir, bool shared,
                   const LevelNotMade& not_made);

}  // namespace velmoro
