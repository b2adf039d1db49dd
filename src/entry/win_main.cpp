#include <windows.h>

#include <exception>

#include "app/program.h"
#include "platform/win32/win32_com.h"
#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_process.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_threads.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  velmoro::ProtectProcess();
  velmoro::EnterSystemFolder();
  // ShellExecuteExW may hand the start to shell extensions, which need COM on the calling thread.
  const velmoro::ComApartment com;
  try {
    velmoro::Win32Registry registry;
    velmoro::Win32Desktop desktop(instance);
    velmoro::Win32Shell shell(desktop);
    velmoro::Win32Files files;
    velmoro::Win32Text text;
    velmoro::Win32Threads threads;
    velmoro::Win32Process process;
    velmoro::Platform platform{registry, shell, desktop, files, text, threads, process};
    return velmoro::RunProgram(platform);
  } catch (const std::exception&) {
    // The windows could not be made, or memory ran out: nothing is left to show an error with.
    return 1;
  }
}
