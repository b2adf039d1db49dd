#include "platform/win32/win32_process.h"

#include <windows.h>

#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_lookup.h"

namespace velmoro {
namespace {

// Not in every SDK: PROCESS_MITIGATION_POLICY's ProcessRedirectionTrustPolicy and the
// EnforceRedirectionTrust flag of PROCESS_MITIGATION_REDIRECTION_TRUST_POLICY.
constexpr int kRedirectionTrustPolicy = 16;
constexpr DWORD kEnforceRedirectionTrust = 0x1;

template <typename Function>
Function Kernel32(const char* name) {
  return LoadedFunction<Function>(L"kernel32.dll", name);
}

}  // namespace

void ProtectProcess() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  if (const auto set_default = Kernel32<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories")) {
    set_default(LOAD_LIBRARY_SEARCH_SYSTEM32);
  } else {
    SetDllDirectoryW(L"");
  }
  using SetSearchPathModeFn = BOOL(WINAPI*)(DWORD);
  if (const auto set_mode = Kernel32<SetSearchPathModeFn>("SetSearchPathMode")) {
    set_mode(BASE_SEARCH_PATH_ENABLE_SAFE_SEARCHMODE | BASE_SEARCH_PATH_PERMANENT);
  }
  using SetProcessMitigationPolicyFn = BOOL(WINAPI*)(int, PVOID, SIZE_T);
  if (const auto set_policy =
          Kernel32<SetProcessMitigationPolicyFn>("SetProcessMitigationPolicy")) {
    DWORD flags = kEnforceRedirectionTrust;
    set_policy(kRedirectionTrustPolicy, &flags, sizeof(flags));
  }
}

// Whoever starts the program chooses its current folder: an elevated run started from a folder
// that other users can write must not find programs there.
void EnterSystemFolder() {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length > 0 && length < MAX_PATH) SetCurrentDirectoryW(folder);
}

bool Win32Process::IsElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  const UniqueHandle owned(token);
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
         elevation.TokenIsElevated != 0;
}

}  // namespace velmoro
