#include <utility>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_wide.h"

namespace velmoro {
namespace {

int HighlightedItem(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int index = 0; index < count; ++index) {
    if (GetMenuState(menu, static_cast<UINT>(index), MF_BYPOSITION) & MF_HILITE) return index;
  }
  return -1;
}

}  // namespace

std::optional<std::uint16_t> Win32Desktop::TrackPopup(const std::vector<MenuEntry>& top, int x,
                                                      int y) {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return std::nullopt;
  menu_owners_[menu.get()] = kTopLevel;
  FillMenu(menu.get(), top);
  icon_size_ = IconSize(x, y);
  menu_ended_ = false;
  open_menus_ = {menu.get()};
  {
    tracking_ = this;
    const UniqueHook filter(
        SetWindowsHookExW(WH_MSGFILTER, &Win32Desktop::MenuFilter, nullptr, GetCurrentThreadId()));
    TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, menu_owner_.get(),
                   nullptr);
    tracking_ = nullptr;
  }
  open_menus_.clear();
  pending_program_menu_.reset();
  std::optional<std::uint16_t> choice;
  MSG command{};
  if (program_menu_choice_ != 0) {
    // After whatever the popup posted itself as it closed: the program carries out only this.
    PostMessageW(menu_owner_.get(), WM_COMMAND, program_menu_choice_, 0);
    choice = std::exchange(program_menu_choice_, 0);
  } else if (PeekMessageW(&command, menu_owner_.get(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE)) {
    choice = LOWORD(command.wParam);
  }
  // Lets the platform finish closing the menu before anything else takes the foreground.
  PostMessageW(menu_owner_.get(), WM_NULL, 0, 0);
  menu_owners_.clear();
  unfilled_.clear();
  item_icons_.clear();
  return choice;
}

void Win32Desktop::FillMenu(HMENU menu, const std::vector<MenuEntry>& entries) {
  UINT position = 0;
  for (const MenuEntry& entry : entries) {
    std::u16string text = entry.text;
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
    item.fType = entry.separator ? MFT_SEPARATOR : MFT_STRING;
    item.fState = (entry.is_default ? MFS_DEFAULT : 0u) | (entry.disabled ? MFS_DISABLED : 0u);
    item.wID = entry.command;
    if (entry.icon) {
      // Drawn by the menu's owner when the entry is drawn (WM_DRAWITEM): nothing is read before.
      item.fMask |= MIIM_BITMAP;
      item.hbmpItem = HBMMENU_CALLBACK;
    }
    item.dwTypeData = Wide(text.data());
    item.cch = static_cast<UINT>(text.size());
    // A submenu is filled only when it is about to open: a submenu of many thousand programs
    // then costs nothing until the user asks for it.
    UniqueMenu submenu;
    if (!entry.submenu.empty()) {
      submenu.reset(CreatePopupMenu());
      if (submenu) item.hSubMenu = submenu.get();
    }
    if (InsertMenuItemW(menu, position, TRUE, &item)) {
      ++position;
      if (submenu) {
        menu_owners_[submenu.get()] = entry.command;
        unfilled_[submenu.get()] = entry.submenu;
        submenu.release();  // now destroyed with its parent menu
      }
    }
  }
}

void Win32Desktop::ForgetSubmenus(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int index = 0; index < count; ++index) {
    if (HMENU submenu = GetSubMenu(menu, index)) {
      ForgetSubmenus(submenu);
      menu_owners_.erase(submenu);
      unfilled_.erase(submenu);
    }
  }
}

void Win32Desktop::RebuildMenu(HMENU menu, const std::vector<MenuEntry>& entries) {
  ForgetSubmenus(menu);
  // DeleteMenu also destroys the submenus of the entries it removes.
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  FillMenu(menu, entries);
}

void Win32Desktop::SubmenuOpening(HMENU menu, bool window_menu) {
  const auto owner = menu_owners_.find(menu);
  // An entry's own menu is whole when shown: its entry owns no submenu.
  if (window_menu || program_menu_open_ || owner == menu_owners_.end() || events_ == nullptr) {
    return;
  }
  open_menus_.insert(menu);
  std::optional<std::vector<MenuEntry>> entries = events_->OnSubmenuOpening(owner->second);
  if (auto unfilled = unfilled_.find(menu); unfilled != unfilled_.end()) {
    if (!entries) entries = std::move(unfilled->second);
    unfilled_.erase(unfilled);
  }
  if (entries) RebuildMenu(menu, *entries);
}

LRESULT Win32Desktop::MenuChar(HMENU menu, char16_t key) {
  const auto owner = menu_owners_.find(menu);
  if (owner == menu_owners_.end() || events_ == nullptr) return MNC_IGNORE;
  const int index = events_->OnMenuChar(owner->second, key, HighlightedItem(menu));
  return index < 0 ? MNC_IGNORE : MAKELRESULT(index, MNC_SELECT);
}

}  // namespace velmoro
