#include "app/popup_menu.h"

#include "app/menu_rules.h"

namespace velmoro {

std::optional<std::uint16_t> PopupMenu::Popup(DesktopApi& desktop, int x, int y) {
  ReduceSeparators(Items);
  return desktop.TrackPopup(BuildMenuEntries(Items), x, y);
}

std::optional<std::vector<MenuEntry>> PopupMenu::SubmenuOpening(std::uint16_t owner) {
  MenuItem* item = FindItem(owner);
  if (item == nullptr || item->Count() == 0) return std::nullopt;
  if (!ReduceSeparators(*item)) return std::nullopt;
  return BuildMenuEntries(*item);
}

MenuItem* PopupMenu::Level(std::uint16_t owner) {
  if (owner == kTopLevel) return &Items;
  if (program_menu_ && owner == program_menu_item_) return program_menu_.get();
  return FindItem(owner);
}

MenuItem* PopupMenu::FindItem(std::uint16_t command) {
  if (command == kTopLevel) return nullptr;
  if (MenuItem* item = Items.Find(command)) return item;
  return program_menu_ ? program_menu_->Find(command) : nullptr;
}

std::vector<MenuEntry> PopupMenu::KeepProgramMenu(std::uint16_t item,
                                                  std::unique_ptr<MenuItem> menu) {
  program_menu_ = std::move(menu);
  program_menu_item_ = item;
  return BuildMenuEntries(*program_menu_);
}

}  // namespace velmoro
