#include "platform/win32/win32_shell.h"

#include <windows.h>
// The shell's headers build on the types of windows.h.
#include <exdisp.h>
#include <servprov.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <atomic>
#include <memory>

#include "platform/win32/win32_bounded.h"
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

namespace {

// The desktop window's folder view leads to the shell's automation object, which runs in the
// desktop shell's process, with its user's token.
bool FindDesktopShell(ComRef<IShellDispatch2>& shell) {
  ComRef<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                              windows.out()))) {
    return false;
  }
  Variant location(CSIDL_DESKTOP);
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
  return SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, services.out())) &&
         SUCCEEDED(
             services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.out())) &&
         SUCCEEDED(browser->QueryActiveShellView(view.put())) &&
         SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.out())) &&
         SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, folder_view.out())) &&
         SUCCEEDED(folder_view->get_Application(application.put())) &&
         SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, shell.out()));
}

// Run on a worker in an apartment of its own: every call here waits for the desktop shell's
// process. Once nobody waits for the answer, the file is no longer opened, so that it does not
// open beside the box that shows its address.
bool OpenThroughDesktopShell(const std::u16string& file, const std::atomic<bool>& late) {
  const ComApartment apartment;
  ComRef<IShellDispatch2> shell;
  if (!apartment || !FindDesktopShell(shell)) return false;
  const Bstr target(file);
  const Bstr verb(u"open");
  if (!target || !verb || late.load()) return false;
  Variant arguments;
  Variant folder;
  Variant operation(verb);
  Variant show(SW_SHOWNORMAL);
  return SUCCEEDED(shell->ShellExecute(target.get(), *arguments.get(), *folder.get(),
                                       *operation.get(), *show.get()));
}

}  // namespace

bool Win32Shell::OpenAsDesktopUser(const std::u16string& file) {
  const auto opened = std::make_shared<std::atomic<bool>>(false);
  const bool answered =
      RunWithin(kDesktopShellWaitMs, [file, opened](const std::atomic<bool>& late) {
        opened->store(OpenThroughDesktopShell(file, late));
      });
  return answered && opened->load();
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
