#include "catalogue/folder_security.h"

#include <string_view>

namespace velmoro {

namespace {

constexpr std::uint32_t kFullControl = 0x1F01FF;
// List, read attributes and extended attributes, traverse, read permissions, synchronise.
constexpr std::uint32_t kLook = 0x1200a9;
// The same and create files.
constexpr std::uint32_t kLookAndCreateFiles = 0x1200ab;
// Read, write, append, attributes, delete, read permissions, synchronise; never the permissions.
constexpr std::uint32_t kChangeFiles = 0x13019f;
constexpr std::uint8_t kEverywhere = kObjectInherit | kContainerInherit;
constexpr std::uint8_t kFilesOnly = kObjectInherit | kInheritOnly;

FolderSecurity Protected(std::vector<AccessGrant> allowed) {
  return {kAdministratorsSid, true, true, std::move(allowed)};
}

bool IsAdministration(std::u16string_view sid, std::u16string_view administrator) {
  return sid == kSystemSid || sid == kAdministratorsSid || sid == kTrustedInstallerSid ||
         (!administrator.empty() && sid == administrator);
}

// Where an entry's rights apply: the folder itself, the files made in it, the folders made in it.
enum Target { kSelf, kFiles, kFolders };

bool AppliesTo(const AccessGrant& grant, Target target) {
  switch (target) {
    case kSelf:
      return (grant.inheritance & kInheritOnly) == 0;
    case kFiles:
      return (grant.inheritance & kObjectInherit) != 0;
    case kFolders:
      return (grant.inheritance & kContainerInherit) != 0;
  }
  return false;
}

// What `security` grants the trustee on that target, all its entries together.
std::uint32_t Granted(const FolderSecurity& security, std::u16string_view trustee, Target target) {
  std::uint32_t rights = 0;
  for (const AccessGrant& grant : security.allowed) {
    if (grant.trustee == trustee && AppliesTo(grant, target)) rights |= grant.rights;
  }
  return rights;
}

}  // namespace

FolderSecurity VendorFolderSecurity() {
  return Protected({{kSystemSid, kFullControl, kEverywhere},
                    {kAdministratorsSid, kFullControl, kEverywhere},
                    {kUsersSid, kLook, 0},
                    {kOwnerRightsSid, kLook, 0}});
}

FolderSecurity DataFolderSecurity() {
  return Protected({{kSystemSid, kFullControl, kEverywhere},
                    {kAdministratorsSid, kFullControl, kEverywhere},
                    {kUsersSid, kLookAndCreateFiles, 0},
                    {kUsersSid, kChangeFiles, kFilesOnly},
                    {kOwnerRightsSid, kLookAndCreateFiles, 0},
                    {kOwnerRightsSid, kChangeFiles, kFilesOnly}});
}

bool IsSecureFolder(const FolderSecurity& actual, const FolderSecurity& expected,
                    std::u16string_view administrator) {
  if (!IsAdministration(actual.owner, administrator) || !actual.has_dacl) return false;
  for (const AccessGrant& grant : actual.allowed) {
    if (IsAdministration(grant.trustee, administrator)) continue;
    for (const Target target : {kSelf, kFiles, kFolders}) {
      if (!AppliesTo(grant, target)) continue;
      if ((grant.rights & ~kLook & ~Granted(expected, grant.trustee, target)) != 0) return false;
    }
  }
  return true;
}

}  // namespace velmoro
