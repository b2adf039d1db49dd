#include "app/menu_rules.h"

#include <string>

namespace velmoro {

namespace {

void SetVisible(MenuItem& item, bool visible, bool& changed) {
  if (item.Visible != visible) {
    item.Visible = visible;
    changed = true;
  }
}

}  // namespace

bool ReduceSeparators(MenuItem& level) {
  bool changed = false;
  bool seen_item = false;
  MenuItem* pending = nullptr;  // last separator of the current run
  for (std::size_t i = 0; i < level.Count(); ++i) {
    MenuItem& item = level[i];
    if (item.IsLine()) {
      if (!seen_item) {
        SetVisible(item, false, changed);
        continue;
      }
      if (pending != nullptr) SetVisible(*pending, false, changed);
      pending = &item;
    } else if (item.Visible) {
      if (pending != nullptr) SetVisible(*pending, true, changed);
      pending = nullptr;
      seen_item = true;
    }
  }
  if (pending != nullptr) SetVisible(*pending, false, changed);
  return changed;
}

std::u16string PlatformText(const MenuItem& item) {
  if (!item.LiteralCaption) return item.Caption;
  std::u16string text;
  text.reserve(item.Caption.size());
  for (char16_t c : item.Caption) {
    text += c;
    if (c == u'&') text += u'&';
  }
  return text;
}

std::vector<MenuEntry> BuildMenuEntries(const MenuItem& level) {
  std::vector<MenuEntry> entries;
  entries.reserve(level.Count());
  for (std::size_t i = 0; i < level.Count(); ++i) {
    const MenuItem& item = level[i];
    if (!item.Visible) continue;
    MenuEntry entry;
    entry.text = PlatformText(item);
    entry.command = item.Command();
    entry.separator = item.IsLine();
    entry.disabled = !item.Enabled;
    entry.is_default = item.Default();
    entry.icon = item.Entry.has_value();
    if (item.Count() > 0) entry.submenu = BuildMenuEntries(item);
    entries.push_back(std::move(entry));
  }
  return entries;
}

int NextItemStartingWith(const MenuItem& level, char16_t key, int current, TextApi& text) {
  std::vector<const MenuItem*> shown;
  for (std::size_t i = 0; i < level.Count(); ++i) {
    if (level[i].Visible) shown.push_back(&level[i]);
  }
  const int count = static_cast<int>(shown.size());
  std::u16string wanted(1, key);
  text.UpperCase(wanted);
  for (int step = 1; step <= count; ++step) {
    const int index = ((current < 0 ? -1 : current) + step) % count;
    const MenuItem& item = *shown[index];
    if (item.IsLine() || item.Caption.empty()) continue;
    std::u16string first(1, item.Caption[0]);
    text.UpperCase(first);
    if (first == wanted) return index;
  }
  return -1;
}

}  // namespace velmoro
