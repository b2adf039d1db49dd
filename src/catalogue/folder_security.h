#pragma once

#include <string_view>

#include "platform/file_api.h"

namespace velmoro {

// Trustees by SID.
inline constexpr char16_t kSystemSid[] = u"S-1-5-18";
inline constexpr char16_t kAdministratorsSid[] = u"S-1-5-32-544";
inline constexpr char16_t kUsersSid[] = u"S-1-5-32-545";
inline constexpr char16_t kOwnerRightsSid[] = u"S-1-3-4";
inline constexpr char16_t kTrustedInstallerSid[] =
    u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";

// The access lists of the program's own folders in the machine's data folder, which every user
// shares. They inherit nothing from the common application-data folder, where every user may make
// folders and own what they make. SYSTEM and Administrators have full control; Users may look into
// both, create files in the data folder, and read, write, replace and delete the files in it (a
// grant that files alone inherit), but may not delete, rename or re-permission either folder. The
// same holds for whoever owns a folder or a file (OWNER RIGHTS), so a user whose own run made them
// keeps no right to change their permissions. The owner is Administrators.
FolderSecurity VendorFolderSecurity();  // "Quinsett"
FolderSecurity DataFolderSecurity();    // "Velmoro Uninstaller"

// The folder belongs to Administrators, SYSTEM, TrustedInstaller or `administrator` (the user whose
// elevated run asks: whoever could own or open it to others could as well run as that user), and
// grants no one else more than `expected` does, on the folder itself, on the files or on the
// folders made in it. Looking into it and reading is no threat to an administrator's run, and
// anyone may be granted that much.
bool IsSecureFolder(const FolderSecurity& actual, const FolderSecurity& expected,
                    std::u16string_view administrator);

}  // namespace velmoro
