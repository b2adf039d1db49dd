#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

namespace velmoro {

// Every handle of the win32 layer, owned: none is left open on an early return or an exception.

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// A kernel object handle (files, mutexes); null when there is none, never INVALID_HANDLE_VALUE.
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

inline UniqueHandle OwnHandle(HANDLE handle) {
  return UniqueHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// Memory the platform allocated with LocalAlloc for the caller.
struct LocalFreer {
  void operator()(void* memory) const { LocalFree(memory); }
};
template <typename T>
using UniqueLocal = std::unique_ptr<T, LocalFreer>;

struct WindowDestroyer {
  void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer>;

struct MenuDestroyer {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDestroyer>;

// An icon this program made; a shared one (LR_SHARED) belongs to the system and is never held here.
struct IconDestroyer {
  void operator()(HICON icon) const { DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDestroyer>;

struct ModuleFreer {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using UniqueModule = std::unique_ptr<std::remove_pointer_t<HMODULE>, ModuleFreer>;

struct HookRemover {
  void operator()(HHOOK hook) const { UnhookWindowsHookEx(hook); }
};
using UniqueHook = std::unique_ptr<std::remove_pointer_t<HHOOK>, HookRemover>;

// A mutex this thread owns: released, then closed.
struct MutexReleaser {
  void operator()(HANDLE mutex) const {
    ReleaseMutex(mutex);
    CloseHandle(mutex);
  }
};
using OwnedMutex = std::unique_ptr<void, MutexReleaser>;

}  // namespace velmoro
