#pragma once

#include <vector>

#include "app/menu_item.h"
#include "platform/desktop_api.h"
#include "platform/text_api.h"

namespace velmoro {

// Separator reduction on the children of `level`: separators before the first and after the last
// shown item are hidden, and of a run of separators only the last stays shown. Returns whether
// any visibility changed.
bool ReduceSeparators(MenuItem& level);

// The platform entries for the visible children of `level`, submenus included.
std::vector<MenuEntry> BuildMenuEntries(const MenuItem& level);

// The text given to the platform menu for an item's caption.
std::u16string PlatformText(const MenuItem& item);

// Type-ahead: the index among the visible children of `level` of the next item after `current`
// whose caption begins with `key`, letter case ignored, wrapping around; -1 when none does.
int NextItemStartingWith(const MenuItem& level, char16_t key, int current, TextApi& text);

}  // namespace velmoro
