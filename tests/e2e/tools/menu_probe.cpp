// menu_probe.exe <x> <y> <item>...: shows a popup menu of the items at x, y, as any program's
// menu looks, until it is closed; an item is its text, after "~" disabled, after "*" the default.
// The tests hold a menu of the program against it, pixel for pixel, where no other program can
// read its texts.
#include <windows.h>

#include <cstdlib>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc < 4) return 2;
  HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
  HMENU menu = CreatePopupMenu();
  for (int i = 3; i < argc; ++i) {
    std::wstring text = argv[i];
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE;
    item.fType = MFT_STRING;
    if (text.size() > 1 && text[0] == L'~') {
      item.fState = MFS_DISABLED;
      text.erase(0, 1);
    } else if (text.size() > 1 && text[0] == L'*') {
      item.fState = MFS_DEFAULT;
      text.erase(0, 1);
    }
    item.wID = static_cast<UINT>(i);
    item.dwTypeData = text.data();
    item.cch = static_cast<UINT>(text.size());
    InsertMenuItemW(menu, static_cast<UINT>(i - 3), TRUE, &item);
  }
  SetForegroundWindow(owner);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RETURNCMD, std::wcstol(argv[1], nullptr, 10),
                 std::wcstol(argv[2], nullptr, 10), 0, owner, nullptr);
  DestroyMenu(menu);
  DestroyWindow(owner);
  return 0;
}
