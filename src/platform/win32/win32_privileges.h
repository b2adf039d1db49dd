#pragma once

#include <windows.h>

#include "platform/win32/win32_handles.h"

namespace velmoro {

// The restore and take-ownership privileges, enabled in the process token while this lives, as far
// as the token holds them (an administrator's elevated token does), then put back as they were.
class OwnershipPrivileges {
 public:
  OwnershipPrivileges();
  ~OwnershipPrivileges();
  OwnershipPrivileges(const OwnershipPrivileges&) = delete;
  OwnershipPrivileges& operator=(const OwnershipPrivileges&) = delete;

 private:
  // TOKEN_PRIVILEGES with room for both.
  struct PrivilegeList {
    DWORD count = 0;
    LUID_AND_ATTRIBUTES entries[2]{};
  };

  UniqueHandle token_;
  PrivilegeList previous_;  // those this changed, as they were
};

}  // namespace velmoro
