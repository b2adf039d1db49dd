#include "platform/win32/win32_privileges.h"

#include <cstddef>
#include <initializer_list>

namespace velmoro {
namespace {

template <typename Buffer>
PTOKEN_PRIVILEGES AsTokenPrivileges(Buffer& privileges) {
  return reinterpret_cast<PTOKEN_PRIVILEGES>(&privileges);
}

}  // namespace

BackupPrivileges::BackupPrivileges() {
  static_assert(offsetof(PrivilegeList, entries) == offsetof(TOKEN_PRIVILEGES, Privileges));
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
  token_.reset(token);
  PrivilegeList wanted;
  for (const wchar_t* name : {SE_BACKUP_NAME, SE_RESTORE_NAME}) {
    LUID_AND_ATTRIBUTES& privilege = wanted.entries[wanted.count];
    if (LookupPrivilegeValueW(nullptr, name, &privilege.Luid)) {
      privilege.Attributes = SE_PRIVILEGE_ENABLED;
      ++wanted.count;
    }
  }
  if (wanted.count == 0) return;
  // Succeeds too when the token lacks one of them (ERROR_NOT_ALL_ASSIGNED); the previous state
  // then lists only the privileges it did enable.
  DWORD size = 0;
  if (!AdjustTokenPrivileges(token, FALSE, AsTokenPrivileges(wanted), sizeof(previous_),
                             AsTokenPrivileges(previous_), &size)) {
    previous_.count = 0;
  }
}

BackupPrivileges::~BackupPrivileges() {
  if (token_ && previous_.count > 0) {
    AdjustTokenPrivileges(token_.get(), FALSE, AsTokenPrivileges(previous_), 0, nullptr, nullptr);
  }
}

}  // namespace velmoro
