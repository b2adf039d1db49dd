#pragma once

#include <windows.h>

#include <optional>
#include <vector>

#include "platform/file_api.h"
#include "platform/win32/win32_handles.h"

namespace velmoro {

// A folder's security as Windows takes it: an absolute descriptor whose discretionary list holds
// the grants in their order, protected from inheritance, owning its SIDs and list.
class FolderDescriptor {
 public:
  // The owner is left to whoever applies it (the creator's default). Nothing when a SID is not
  // valid text, a grant carries an inheritance flag beyond the four of file_api.h, or the list
  // would not fit an ACL.
  static std::optional<FolderDescriptor> Make(const FolderSecurity& security);

  PSECURITY_DESCRIPTOR get() { return &descriptor_; }

 private:
  FolderDescriptor() = default;

  // The descriptor points into heap storage that the members own, so a move keeps it valid.
  std::vector<UniqueLocal<void>> trustees_;
  std::vector<DWORD> acl_;  // DWORD units: an ACL must be DWORD-aligned
  SECURITY_DESCRIPTOR descriptor_{};
};

// What a descriptor read from Windows says: its owner and granting entries. Nothing when it cannot
// be read.
std::optional<FolderSecurity> DescribeFolderSecurity(PSECURITY_DESCRIPTOR descriptor);

}  // namespace velmoro
