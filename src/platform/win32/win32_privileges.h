#pragma once

#include <windows.h>

#include "platform/win32/win32_handles.h"

namespace velmoro {

// The backup and restore privileges, enabled in the process token while this lives, as far as the
// token holds them (an administrator's elevated token does), then put back as they were. With
// them, an open with backup intent is granted reading, and deleting, whatever the access list
// says.
class BackupPrivileges {
 public:
  BackupPrivileges();
  ~BackupPrivileges();
  BackupPrivileges(const BackupPrivileges&) = delete;
  BackupPrivileges& operator=(const BackupPrivileges&) = delete;

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
