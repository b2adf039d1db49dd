#include "platform/win32/win32_security.h"

#include <sddl.h>

#include <cstddef>
#include <cwchar>
#include <utility>

#include "platform/win32/win32_wide.h"

namespace velmoro {
namespace {

constexpr std::size_t kSidOffset = offsetof(ACCESS_ALLOWED_ACE, SidStart);
// A SID's fixed part: revision, count and authority, before its sub-authorities.
constexpr std::size_t kSidHeader = 8;
constexpr BYTE kInheritanceFlags =
    OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE | NO_PROPAGATE_INHERIT_ACE | INHERIT_ONLY_ACE;

UniqueLocal<void> SidFromText(const std::u16string& text) {
  PSID sid = nullptr;
  if (!ConvertStringSidToSidW(Wide(text), &sid)) return nullptr;
  return UniqueLocal<void>(sid);
}

std::optional<std::u16string> SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return std::nullopt;
  const UniqueLocal<wchar_t> owned(text);
  return FromWide(text, std::wcslen(text));
}

bool IsDenial(BYTE type) {
  return type == ACCESS_DENIED_ACE_TYPE || type == ACCESS_DENIED_OBJECT_ACE_TYPE ||
         type == ACCESS_DENIED_CALLBACK_ACE_TYPE || type == ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE;
}

// An entry this program does not read exactly (an object, callback or compound entry, or one of a
// type it does not know) may grant anything to anyone: it is reported as such, so that a folder
// carrying it is never taken for one that only its owners control.
AccessGrant UnreadGrant() {
  return {u"S-1-1-0", 0xFFFFFFFF, 0};
}

// The trustee of a plain allowing entry, when the SID lies whole inside the entry.
PSID AllowedTrustee(const ACE_HEADER* header) {
  if (header->AceSize < kSidOffset + kSidHeader) return nullptr;
  const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
  const PSID sid = const_cast<DWORD*>(&ace->SidStart);
  if (!IsValidSid(sid) || kSidOffset + GetLengthSid(sid) > header->AceSize) return nullptr;
  return sid;
}

}  // namespace

std::optional<FolderDescriptor> FolderDescriptor::Make(const FolderSecurity& security) {
  FolderDescriptor made;
  if (!InitializeSecurityDescriptor(&made.descriptor_, SECURITY_DESCRIPTOR_REVISION)) {
    return std::nullopt;
  }
  PACL acl = nullptr;  // no list at all where `security` has none
  if (security.has_dacl) {
    std::size_t bytes = sizeof(ACL);
    made.trustees_.reserve(security.allowed.size());
    for (const AccessGrant& grant : security.allowed) {
      if ((grant.inheritance & ~kInheritanceFlags) != 0) return std::nullopt;
      UniqueLocal<void> sid = SidFromText(grant.trustee);
      if (!sid) return std::nullopt;
      bytes += kSidOffset + GetLengthSid(sid.get());
      made.trustees_.push_back(std::move(sid));
    }
    made.acl_.assign((bytes + sizeof(DWORD) - 1) / sizeof(DWORD), 0);
    const std::size_t acl_bytes = made.acl_.size() * sizeof(DWORD);
    if (acl_bytes > MAXWORD) return std::nullopt;  // an ACL states its size in 16 bits
    acl = reinterpret_cast<PACL>(made.acl_.data());
    if (!InitializeAcl(acl, static_cast<DWORD>(acl_bytes), ACL_REVISION)) return std::nullopt;
    for (std::size_t index = 0; index < security.allowed.size(); ++index) {
      const AccessGrant& grant = security.allowed[index];
      if (!AddAccessAllowedAceEx(acl, ACL_REVISION, grant.inheritance, grant.rights,
                                 made.trustees_[index].get())) {
        return std::nullopt;
      }
    }
  }
  if (!SetSecurityDescriptorDacl(&made.descriptor_, TRUE, acl, FALSE) ||
      !SetSecurityDescriptorControl(&made.descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
    return std::nullopt;
  }
  return made;
}

std::optional<FolderSecurity> DescribeFolderSecurity(PSECURITY_DESCRIPTOR descriptor) {
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  PSID owner = nullptr;
  BOOL owner_defaulted = FALSE;
  BOOL dacl_present = FALSE;
  PACL dacl = nullptr;
  BOOL dacl_defaulted = FALSE;
  if (!GetSecurityDescriptorControl(descriptor, &control, &revision) ||
      !GetSecurityDescriptorOwner(descriptor, &owner, &owner_defaulted) ||
      !GetSecurityDescriptorDacl(descriptor, &dacl_present, &dacl, &dacl_defaulted)) {
    return std::nullopt;
  }
  FolderSecurity security;
  // An object without an owner is left with an empty one, which is nobody's SID.
  if (owner != nullptr) {
    std::optional<std::u16string> text = SidText(owner);
    if (!text) return std::nullopt;
    security.owner = std::move(*text);
  }
  security.protected_dacl = (control & SE_DACL_PROTECTED) != 0;
  // Both a missing list and a null one let everyone in.
  security.has_dacl = dacl_present && dacl != nullptr;
  if (!security.has_dacl) return security;
  if (!IsValidAcl(dacl)) return std::nullopt;
  GENERIC_MAPPING file_rights{FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                              FILE_ALL_ACCESS};
  for (DWORD index = 0; index < dacl->AceCount; ++index) {
    void* entry = nullptr;
    if (!GetAce(dacl, index, &entry)) return std::nullopt;
    const auto* header = static_cast<const ACE_HEADER*>(entry);
    if (IsDenial(header->AceType)) continue;
    const PSID trustee =
        header->AceType == ACCESS_ALLOWED_ACE_TYPE ? AllowedTrustee(header) : nullptr;
    if (trustee == nullptr) {
      security.allowed.push_back(UnreadGrant());
      continue;
    }
    std::optional<std::u16string> text = SidText(trustee);
    if (!text) return std::nullopt;
    ACCESS_MASK rights = static_cast<const ACCESS_ALLOWED_ACE*>(entry)->Mask;
    MapGenericMask(&rights, &file_rights);
    security.allowed.push_back(AccessGrant{
        std::move(*text), rights, static_cast<std::uint8_t>(header->AceFlags & kInheritanceFlags)});
  }
  return security;
}

}  // namespace velmoro
