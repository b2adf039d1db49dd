#pragma once

#include <optional>
#include <vector>

#include "app/menu_item.h"
#include "platform/desktop_api.h"

namespace velmoro {

// A popup menu: its root item holds the top level. Access keys are manual: captions are never
// given "&" markers of their own.
class PopupMenu {
 public:
  explicit PopupMenu(CommandIdPool& pool) : Items(pool) {}

  MenuItem Items;

  // Applies the menu rules to the top level, builds the platform menu and tracks it at x, y.
  // Returns the command of the choice queued, if any.
  std::optional<std::uint16_t> Popup(DesktopApi& desktop, int x, int y);
  // A submenu is opening: applies the rules to its children and returns its new entries when
  // anything changed.
  std::optional<std::vector<MenuEntry>> SubmenuOpening(std::uint16_t owner);
  // The item that owns the level named by `owner` (the root for the top level).
  MenuItem* Level(std::uint16_t owner);
  // An item of the tree, or of the program menu last shown.
  MenuItem* FindItem(std::uint16_t command);

  // Keeps the own menu of the item `item` while it may be shown: its items are chosen like any
  // other, and that item names its level (its keys are answered like a submenu's). Another one
  // replaces it. Returns its entries, for the platform to show.
  std::vector<MenuEntry> KeepProgramMenu(std::uint16_t item, std::unique_ptr<MenuItem> menu);

 private:
  std::unique_ptr<MenuItem> program_menu_;
  std::uint16_t program_menu_item_ = kTopLevel;
};

}  // namespace velmoro
