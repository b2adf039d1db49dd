#include "platform/win32/win32_desktop.h"

#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_wide.h"

namespace velmoro {

void Win32Desktop::SetEvents(DesktopEvents* events) {
  events_ = events;
}

void Win32Desktop::SetAppTitle(const std::u16string& title) {
  app_title_ = title;
  SetWindowTextW(app_window_.get(), Wide(title));
}

int Win32Desktop::StartShowState() {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
}

// A window station is visible only where it has a display, and the input desktop is the one that
// receives the keyboard and the mouse: the program's windows could be seen and clicked only there.
bool Win32Desktop::InteractiveDesktop() {
  USEROBJECTFLAGS flags{};
  if (GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof(flags),
                                nullptr) &&
      (flags.dwFlags & WSF_VISIBLE) == 0) {
    return false;
  }
  const HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_READOBJECTS);
  if (input == nullptr) return false;
  CloseDesktop(input);
  return true;
}

ScreenLayout Win32Desktop::Screen() {
  return {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN)};
}

// The system's DPI where the per-monitor call is missing.
int Win32Desktop::DpiAt(int x, int y) {
  if (const auto dpi = MonitorDpi(x, y)) return static_cast<int>(*dpi);
  int dpi = USER_DEFAULT_SCREEN_DPI;
  if (HDC screen_dc = GetDC(nullptr)) {
    dpi = GetDeviceCaps(screen_dc, LOGPIXELSX);
    ReleaseDC(nullptr, screen_dc);
  }
  return dpi;
}

void Win32Desktop::PlaceHostForm(int left, int top, int width, int height) {
  constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(host_form_.get(), nullptr, left, top, width, height, kFlags);
  SetWindowPos(app_window_.get(), nullptr, left, top, 0, 0, kFlags | SWP_NOSIZE);
}

int Win32Desktop::HostFormWidth() {
  RECT placed{};
  if (!GetWindowRect(host_form_.get(), &placed)) return 0;
  return placed.right - placed.left;
}

bool Win32Desktop::HostFormActive() {
  return GetActiveWindow() == host_form_.get();
}

void Win32Desktop::ShowHostForm(int show_command) {
  ShowWindow(app_window_.get(), SW_SHOWNOACTIVATE);
  ShowWindow(host_form_.get(), show_command);
}

void Win32Desktop::MinimiseAppWindow() {
  app_minimised_ = true;
  ShowWindow(app_window_.get(), SW_SHOWMINNOACTIVE);
}

void Win32Desktop::HideAppWindow() {
  ShowWindow(app_window_.get(), SW_HIDE);
}

void Win32Desktop::HideHostForm() {
  ShowWindow(host_form_.get(), SW_HIDE);
}

bool Win32Desktop::CursorPos(int& x, int& y) {
  POINT point{};
  if (!GetCursorPos(&point)) return false;
  x = point.x;
  y = point.y;
  return true;
}

void Win32Desktop::WorkAreaCentre(int& x, int& y) {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  x = area.left + (area.right - area.left) / 2;
  y = area.top + (area.bottom - area.top) / 2;
}

void Win32Desktop::TakeForeground() {
  SetForegroundWindow(menu_owner_.get());
}

bool Win32Desktop::HoldsForeground() {
  return GetForegroundWindow() == menu_owner_.get();
}

void Win32Desktop::FlashAppWindow() {
  MinimiseAppWindow();
  FLASHWINFO flash{};
  flash.cbSize = sizeof(flash);
  flash.hwnd = app_window_.get();
  flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
  FlashWindowEx(&flash);
}

int Win32Desktop::ShowMessageBox(Owner owner, const std::u16string& text,
                                 const std::optional<std::u16string>& caption, unsigned flags) {
  return MessageBoxW(Window(owner), Wide(text), caption ? Wide(*caption) : nullptr, flags);
}

}  // namespace velmoro
