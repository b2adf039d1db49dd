#include <utility>

#include "platform/win32/win32_desktop.h"

namespace velmoro {

namespace {

// The menu's loop looks at its input before it takes it from the queue, so the key state may not
// have caught up with a Shift pressed just before; the key itself is down either way.
bool ShiftDown() {
  return GetKeyState(VK_SHIFT) < 0 || GetAsyncKeyState(VK_SHIFT) < 0;
}

// Shift+F10 comes as WM_SYSKEYDOWN, the context-menu key as WM_KEYDOWN.
MenuInput InputOf(const MSG& message) {
  using Kind = MenuInput::Kind;
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      return {Kind::kKeyDown, static_cast<std::uint16_t>(message.wParam), ShiftDown()};
    case WM_RBUTTONDOWN:
      return {Kind::kRightButtonDown, 0, (message.wParam & MK_SHIFT) != 0};
    case WM_RBUTTONUP:
      return {Kind::kRightButtonUp, 0, (message.wParam & MK_SHIFT) != 0};
    default:
      return {};
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

// The menu's own input passes here first, on the thread that tracks it (code MSGF_MENU). What the
// hook takes, the menu's loop removes from the queue and does nothing with.
LRESULT CALLBACK Win32Desktop::MenuFilter(int code, WPARAM wparam, LPARAM lparam) noexcept {
  if (code == MSGF_MENU && tracking_ != nullptr) {
    try {
      if (tracking_->TakesMenuInput(*reinterpret_cast<const MSG*>(lparam))) return TRUE;
    } catch (...) {
      tracking_->ReportFailure(std::current_exception());
      return TRUE;
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

// An entry's own menu answers its input itself.
bool Win32Desktop::TakesMenuInput(const MSG& message) {
  if (program_menu_open_ || events_ == nullptr) return false;
  const MenuInput input = InputOf(message);
  return input.kind != MenuInput::Kind::kOther && events_->OnMenuInput(input);
}

// WM_MENUSELECT: the entry the user has highlighted in a level of the popup. The program menu's
// own entries belong to no level of the popup.
void Win32Desktop::MenuSelected(HMENU menu, UINT item, UINT flags) {
  if (program_menu_open_ || events_ == nullptr) return;
  const auto owner = menu_owners_.find(menu);
  if (owner == menu_owners_.end()) return;
  const bool command = (flags & (MF_POPUP | MF_SEPARATOR)) == 0;
  events_->OnMenuSelect(owner->second, command ? static_cast<std::uint16_t>(item) : 0);
}

// WM_UNINITMENUPOPUP.
void Win32Desktop::SubmenuClosed(HMENU menu) {
  open_menus_.erase(menu);
  const auto owner = menu_owners_.find(menu);
  if (program_menu_open_ || owner == menu_owners_.end() || events_ == nullptr) return;
  events_->OnSubmenuClosed(owner->second);
}

// Closing a submenu highlights the entry that owns it again without a WM_MENUSELECT, and takes
// the highlight of the entries in it (Wine's hide_sub_popups): only the menu's own state tells
// what the user sees highlighted now.
std::optional<Win32Desktop::EntryPlace> Win32Desktop::HighlightedEntry(
    std::uint16_t level, std::uint16_t command) const {
  for (const HMENU menu : open_menus_) {
    const auto owner = menu_owners_.find(menu);
    if (owner == menu_owners_.end() || owner->second != level) continue;
    const int index = PositionOf(menu, command);
    if (index < 0) return std::nullopt;
    const UINT state = GetMenuState(menu, static_cast<UINT>(index), MF_BYPOSITION);
    if (state == static_cast<UINT>(-1) || (state & MF_HILITE) == 0) return std::nullopt;
    return EntryPlace{menu, static_cast<UINT>(index)};
  }
  return std::nullopt;
}

bool Win32Desktop::MenuEntryHighlighted(std::uint16_t level, std::uint16_t command) {
  return HighlightedEntry(level, command).has_value();
}

// Shown from the menu's loop once it has taken the input away: shown from the hook, the entry's
// menu would find that input still queued, and F10 there closes every menu.
void Win32Desktop::ShowProgramMenu(std::uint16_t level, std::uint16_t command,
                                   const std::vector<MenuEntry>& entries) {
  pending_program_menu_ = PendingProgramMenu{level, command, entries};
  PostMessageW(menu_owner_.get(), kShowProgramMenuMessage, 0, 0);
}

// Beside the entry, as a submenu would open; TPM_RECURSE lets it open inside the popup's loop, and
// TPM_RETURNCMD hands the choice back here, so the popup can be closed with it. An entry that is
// no longer highlighted, or whose place cannot be had, gets no menu: nothing is shown at a place
// of its own.
void Win32Desktop::ShowPendingProgramMenu() {
  const std::optional<PendingProgramMenu> pending = std::exchange(pending_program_menu_, {});
  if (!pending || tracking_ != this) return;
  const std::optional<EntryPlace> place = HighlightedEntry(pending->level, pending->command);
  RECT item{};
  if (!place || !GetMenuItemRect(nullptr, place->menu, place->index, &item)) return;
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return;
  FillMenu(menu.get(), pending->entries);
  TPMPARAMS beside{};
  beside.cbSize = sizeof(beside);
  beside.rcExclude = item;
  // Its keys are answered as the entry's level: a first letter finds an item there.
  menu_owners_[menu.get()] = pending->command;
  program_menu_open_ = true;
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenuEx(menu.get(), TPM_RECURSE | TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                       item.right, item.top, menu_owner_.get(), &beside));
  program_menu_open_ = false;
  menu_owners_.erase(menu.get());
  // The program was asked to end while the entry's menu was up: the popup ends too.
  if (menu_ended_) {
    ::EndMenu();
    return;
  }
  if (chosen == 0) return;
  // Queued once the popup has closed (TrackPopup): posted now, the popup's own loop would deliver
  // it while the menu is still up.
  program_menu_choice_ = static_cast<std::uint16_t>(chosen);
  ::EndMenu();
}

void Win32Desktop::EndMenu() {
  menu_ended_ = true;
  ::EndMenu();
}

}  // namespace velmoro
