#include "platform/win32/win32_shell.h"

#include <windows.h>
// The shell's headers build on the types of windows.h.
#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include "platform/win32/win32_com.h"
#include "platform/win32/win32_wide.h"

namespace velmoro {

void Win32Shell::OpenWithShell(Owner owner, const std::u16string& file,
                               const std::optional<std::u16string>& parameters,
                               const std::optional<std::u16string>& directory) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOASYNC;
  info.hwnd = desktop_.Window(owner);
  info.lpVerb = L"open";
  info.lpFile = Wide(file);
  info.lpParameters = parameters ? Wide(*parameters) : nullptr;
  info.lpDirectory = directory ? Wide(*directory) : nullptr;
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
}

// The desktop window's folder view leads to the shell's automation object, which runs in the
// desktop shell's process, with its user's token.
bool Win32Shell::OpenAsDesktopUser(const std::u16string& file) {
  ComRef<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                              windows.out()))) {
    return false;
  }
  Variant location;
  Variant root;
  long window = 0;
  ComRef<IDispatch> desktop;
  if (windows->FindWindowSW(location.get(), root.get(), SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                            desktop.put()) != S_OK) {
    return false;
  }
  ComRef<IServiceProvider> services;
  ComRef<IShellBrowser> browser;
  ComRef<IShellView> view;
  ComRef<IDispatch> background;
  ComRef<IShellFolderViewDual> folder_view;
  ComRef<IDispatch> application;
  ComRef<IShellDispatch2> shell;
  if (FAILED(desktop->QueryInterface(IID_IServiceProvider, services.out())) ||
      FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.out())) ||
      FAILED(browser->QueryActiveShellView(view.put())) ||
      FAILED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.out())) ||
      FAILED(background->QueryInterface(IID_IShellFolderViewDual, folder_view.out())) ||
      FAILED(folder_view->get_Application(application.put())) ||
      FAILED(application->QueryInterface(IID_IShellDispatch2, shell.out()))) {
    return false;
  }
  const Bstr target(file);
  const Bstr verb(u"open");
  if (!target || !verb) return false;
  Variant arguments;
  Variant folder;
  Variant operation(verb);
  Variant show(SW_SHOWNORMAL);
  return SUCCEEDED(shell->ShellExecute(target.get(), *arguments.get(), *folder.get(),
                                       *operation.get(), *show.get()));
}

std::u16string Win32Shell::ExpandEnvironment(const std::u16string& text) {
  // The size needed, NUL included, may grow between the calls when the environment changes.
  std::u16string expanded(text.size() + 1, u'\0');
  for (;;) {
    const DWORD needed = ExpandEnvironmentStringsW(Wide(text), Wide(expanded.data()),
                                                   static_cast<DWORD>(expanded.size()));
    if (needed == 0) return text;
    if (needed <= expanded.size()) {
      expanded.resize(needed - 1);
      return expanded;
    }
    expanded.resize(needed);
  }
}

namespace {

// A folder from one of the calls that report the length they need when the buffer is too small.
template <typename Call>
std::u16string Folder(Call call) {
  std::u16string folder(MAX_PATH, u'\0');
  for (;;) {
    const UINT length = call(Wide(folder.data()), static_cast<UINT>(folder.size()));
    if (length == 0) return {};
    if (length < folder.size()) {
      folder.resize(length);
      return folder;
    }
    folder.resize(length);
  }
}

}  // namespace

std::u16string Win32Shell::SystemFolder() {
  return Folder(GetSystemDirectoryW);
}

// The machine's Windows folder, not a per-user one that a terminal server may give.
std::u16string Win32Shell::WindowsFolder() {
  return Folder(GetSystemWindowsDirectoryW);
}

}  // namespace velmoro
