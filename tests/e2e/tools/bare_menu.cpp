// The least a menu program can do, for the start-up benchmark to measure the program against: one
// hidden window, a popup menu of the program's top level at the pointer ("All Programs" holding one
// entry, so it opens like the program's), and the end once the menu has closed.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, instance, nullptr);
  HMENU top = CreatePopupMenu();
  HMENU programs = CreatePopupMenu();
  AppendMenuW(programs, MF_STRING, 1, L"A Program");
  AppendMenuW(top, MF_POPUP, reinterpret_cast<UINT_PTR>(programs), L"All Programs");
  AppendMenuW(top, MF_STRING, 2, L"Recent Programs");
  AppendMenuW(top, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(top, MF_STRING, 3, L"Velmoro Uninstaller Pro");
  AppendMenuW(top, MF_STRING, 4, L"Exit");
  POINT at{};
  GetCursorPos(&at);
  SetForegroundWindow(owner);
  TrackPopupMenu(top, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
  DestroyMenu(top);
  DestroyWindow(owner);
  return 0;
}
