#pragma once

#include <windows.h>

namespace velmoro {

// A function that older versions of Windows lack, looked up in a module the program has loaded
// already; null where it is missing.
template <typename Function>
Function LoadedFunction(const wchar_t* module, const char* name) {
  const HMODULE loaded = GetModuleHandleW(module);
  const FARPROC found = loaded == nullptr ? nullptr : GetProcAddress(loaded, name);
  return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

}  // namespace velmoro
