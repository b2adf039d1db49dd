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

// The DPI of the monitor at the virtual screen's left edge, where the host form goes; the system's
// DPI where the per-monitor call is missing.
ScreenLayout Win32Desktop::Screen() {
  ScreenLayout screen;
  screen.virtual_left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  if (const auto dpi = MonitorDpi(screen.virtual_left, GetSystemMetrics(SM_YVIRTUALSCREEN))) {
    screen.dpi = static_cast<int>(*dpi);
  } else if (HDC screen_dc = GetDC(nullptr)) {
    screen.dpi = GetDeviceCaps(screen_dc, LOGPIXELSX);
    ReleaseDC(nullptr, screen_dc);
  }
  return screen;
}

void Win32Desktop::PlaceHostForm(int left, int top, int width, int height) {
  constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(host_form_.get(), nullptr, left, top, width, height, kFlags);
  SetWindowPos(app_window_.get(), nullptr, left, top, 0, 0, kFlags | SWP_NOSIZE);
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
