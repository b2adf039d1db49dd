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
  // Returns whether a choice was queued.
  bool Popup(DesktopApi& desktop, int x, int y);
  // A submenu is opening: clicks its owner, applies the rules to its children and returns its new
  // entries when anything changed.
  std::optional<std::vector<MenuEntry>> SubmenuOpening(std::uint16_t owner);
  // The item that owns the level named by `owner` (the root for the top level).
  MenuItem* Level(std::uint16_t owner);
  // An item of the tree, or of the program menu last shown.
  MenuItem* FindItem(std::uint16_t command);

  // The program menu last shown: the own menu of the item `item`, whose items are chosen like any
  // other, and whose level that item names (its keys are answered like a submenu's). Showing
  // another one replaces it.
  std::vector<MenuEntry> ShowProgramMenu(std::uint16_t item, std::unique_ptr<MenuItem> menu);

 private:
  std::unique_ptr<MenuItem> program_menu_;
  std::uint16_t program_menu_item_ = kTopLevel;
};

}  // namespace velmoro
