#include <windows.h>
// After windows.h, whose types it uses.
#include <sddl.h>

#include "platform/win32/win32_files.h"

namespace velmoro {

// One name for every session of the machine, as the data files are the machine's.
constexpr wchar_t kDataFilesMutex[] = L"Global\\Quinsett.VelmoroUninstaller.DataFiles";
// Another copy holds the lock only while it reads and replaces the files, which takes
// milliseconds; whoever holds it longer is not waited for.
constexpr DWORD kLockWaitMs = 2000;
// SYSTEM and Administrators may do anything with the lock (MUTEX_ALL_ACCESS); every signed-in
// user may only wait for it (SYNCHRONIZE), which is all that holding it takes (ReleaseMutex asks
// only that the caller own it). Whoever made it (OWNER RIGHTS) may only wait too: without that
// entry a user whose copy made it would keep the owner's implied right to change its access list.
// A stranger who holds it costs each run the wait, no more.
constexpr wchar_t kDataFilesMutexSecurity[] =
    L"D:P(A;;0x1F0001;;;SY)(A;;0x1F0001;;;BA)(A;;0x100000;;;IU)(A;;0x100000;;;AU)"
    L"(A;;0x100000;;;OW)";

bool Win32Files::LockDataFiles() {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          kDataFilesMutexSecurity, SDDL_REVISION_1, &descriptor, nullptr)) {
    return false;
  }
  const UniqueLocal<void> owned(descriptor);
  SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
  // Made, or opened where it exists, for waiting on it and nothing more: another user's copy, or a
  // stranger who took the name, may have made it, and waiting is all the lock needs.
  UniqueHandle mutex(CreateMutexExW(&attributes, kDataFilesMutex, 0, SYNCHRONIZE));
  if (!mutex) return false;
  const DWORD waited = WaitForSingleObject(mutex.get(), kLockWaitMs);
  // An abandoned lock is ours now: its holder ended without replacing the files.
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return false;
  lock_.reset(mutex.release());
  return true;
}

void Win32Files::UnlockDataFiles() {
  lock_.reset();
}

}  // namespace velmoro
