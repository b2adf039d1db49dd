#include "platform/win32/win32_desktop.h"

namespace velmoro {

namespace {

// The menu's loop looks at its input before it takes it from the queue, so the key state may not
// have caught up with a Shift pressed just before; the key itself is down either way.
bool ShiftDown() {
  return GetKeyState(VK_SHIFT) < 0 || GetAsyncKeyState(VK_SHIFT) < 0;
}

// Shift+F10 comes as WM_SYSKEYDOWN, the context-menu key as WM_KEYDOWN.
bool AsksForProgramMenu(const MSG& message) {
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      return message.wParam == VK_APPS || (message.wParam == VK_F10 && ShiftDown());
    case WM_RBUTTONUP:
      return (message.wParam & MK_SHIFT) != 0;
    default:
      return false;
  }
}

int PositionOf(HMENU menu, UINT command) {
  const int count = GetMenuItemCount(menu);
  for (int index = 0; index < count; ++index) {
    if (GetMenuItemID(menu, index) == command) return index;
  }
  return -1;
}

}  // namespace

Win32Desktop* Win32Desktop::tracking_ = nullptr;

// The menu's own input passes here first, on the thread that tracks it (code MSGF_MENU).
LRESULT CALLBACK Win32Desktop::MenuFilter(int code, WPARAM wparam, LPARAM lparam) noexcept {
  if (code == MSGF_MENU && tracking_ != nullptr) {
    try {
      if (tracking_->ProgramMenuInput(*reinterpret_cast<const MSG*>(lparam))) return TRUE;
    } catch (...) {
      tracking_->ReportFailure(std::current_exception());
      return TRUE;
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// WM_MENUSELECT: the entry the user has highlighted, while it is a command entry of the popup.
// The program menu's own entries are not: they belong to no entry of the popup.
void Win32Desktop::MenuSelected(HMENU menu, UINT item, UINT flags) {
  if (program_menu_open_) return;
  const bool closed = flags == 0xFFFF && menu == nullptr;
  const bool command = !closed && (flags & (MF_POPUP | MF_SEPARATOR)) == 0;
  highlighted_menu_ = command ? menu : nullptr;
  highlighted_command_ = command ? static_cast<std::uint16_t>(item) : 0;
}

// A right click with Shift held is taken from the menu, which would choose the entry: its release
// opens the entry's own menu instead.
bool Win32Desktop::ProgramMenuInput(const MSG& message) {
  if (program_menu_open_ || highlighted_command_ == 0 || events_ == nullptr) return false;
  if (message.message == WM_RBUTTONDOWN) return (message.wParam & MK_SHIFT) != 0;
  if (!AsksForProgramMenu(message)) return false;
  std::optional<std::vector<MenuEntry>> entries = events_->OnProgramMenu(highlighted_command_);
  if (!entries) return false;
  // The popup's loop looks at its input before it takes it: left queued, the request would reach
  // the entry's menu too, where F10 closes every menu.
  MSG taken{};
  PeekMessageW(&taken, message.hwnd, message.message, message.message, PM_REMOVE);
  ShowProgramMenu(*entries);
  return true;
}

// Beside the entry, as a submenu would open; TPM_RECURSE lets it open inside the popup's loop, and
// TPM_RETURNCMD hands the choice back here, so the popup can be closed with it.
void Win32Desktop::ShowProgramMenu(const std::vector<MenuEntry>& entries) {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  FillMenu(menu.get(), entries);
  RECT item{};
  const int index = PositionOf(highlighted_menu_, highlighted_command_);
  if (index < 0 || !GetMenuItemRect(nullptr, highlighted_menu_, static_cast<UINT>(index), &item)) {
    POINT cursor{};
    GetCursorPos(&cursor);
    item = RECT{cursor.x, cursor.y, cursor.x, cursor.y};
  }
  TPMPARAMS beside{};
  beside.cbSize = sizeof(beside);
  beside.rcExclude = item;
  // Its keys are answered as the entry's level: a first letter finds an item there.
  menu_owners_[menu.get()] = highlighted_command_;
  program_menu_open_ = true;
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenuEx(menu.get(), TPM_RECURSE | TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                       item.right, item.top, menu_owner_.get(), &beside));
  program_menu_open_ = false;
  menu_owners_.erase(menu.get());
  if (chosen == 0) return;
  // Queued once the popup has closed (TrackPopup): posted now, the popup's own loop would deliver
  // it while the menu is still up.
  program_menu_choice_ = static_cast<std::uint16_t>(chosen);
  EndMenu();
}

}  // namespace velmoro
