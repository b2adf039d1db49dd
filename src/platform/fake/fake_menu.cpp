#include <algorithm>
#include <utility>

#include "platform/fake/fake_desktop.h"

namespace velmoro {

const MenuEntry* FakeDesktop::FindEntry(const std::vector<std::u16string>& path) const {
  if (popups.empty() || path.empty()) return nullptr;
  const std::vector<MenuEntry>* level = &popups.back().top;
  const MenuEntry* found = nullptr;
  for (const std::u16string& text : path) {
    const auto entry = std::find_if(level->begin(), level->end(),
                                    [&](const MenuEntry& e) { return e.text == text; });
    if (entry == level->end()) return nullptr;
    found = &*entry;
    level = &found->submenu;
  }
  return found;
}

void FakeDesktop::Draw(const std::vector<MenuEntry>& level, const MenuEntry* highlighted) {
  for (std::size_t i = 0; i < level.size(); ++i) {
    const MenuEntry& entry = level[i];
    if (!entry.icon || (i >= drawn_per_level && &entry != highlighted)) continue;
    const bool drawn_before = std::any_of(
        icons.begin(), icons.end(), [&](const auto& icon) { return icon.first == entry.command; });
    if (drawn_before) continue;
    icons.emplace_back(entry.command, events_->OnItemIcon(entry.command));
    log.push_back(u"icon " + icons.back().second.path);
  }
}

MenuEntry* FakeDesktop::Named(std::vector<MenuEntry>& level, const std::u16string& wanted) {
  if (wanted.size() > 1 && wanted[0] == u'@') {
    std::size_t index = 0;
    for (std::size_t i = 1; i < wanted.size(); ++i) index = index * 10 + (wanted[i] - u'0');
    return index < level.size() ? &level[index] : nullptr;
  }
  const auto entry = std::find_if(level.begin(), level.end(),
                                  [&](const MenuEntry& e) { return e.text == wanted; });
  return entry == level.end() ? nullptr : &*entry;
}

MenuEntry* FakeDesktop::Highlight(const std::u16string& text) {
  OpenLevel& level = levels_.back();
  MenuEntry* entry = Named(*level.entries, text);
  if (entry == nullptr) return nullptr;
  level.highlighted = static_cast<std::size_t>(entry - level.entries->data());
  Draw(*level.entries, entry);
  const bool command = entry->submenu.empty() && !entry->separator;
  events_->OnMenuSelect(level.owner, command ? entry->command : 0);
  return entry;
}

void FakeDesktop::Open(MenuEntry& entry) {
  if (auto rebuilt = events_->OnSubmenuOpening(entry.command)) entry.submenu = std::move(*rebuilt);
  levels_.push_back({entry.command, &entry.submenu, std::nullopt});
}

// The entry that owns the level stays highlighted in the level below; the highlight of the level
// that closed is gone with it.
void FakeDesktop::CloseLevel(bool notify) {
  const std::uint16_t owner = levels_.back().owner;
  levels_.pop_back();
  if (notify) events_->OnSubmenuClosed(owner);
}

bool FakeDesktop::MenuEntryHighlighted(std::uint16_t level, std::uint16_t command) {
  return std::any_of(levels_.begin(), levels_.end(), [&](const OpenLevel& open) {
    return open.owner == level && open.highlighted &&
           (*open.entries)[*open.highlighted].command == command;
  });
}

void FakeDesktop::ShowProgramMenu(std::uint16_t level, std::uint16_t command,
                                  const std::vector<MenuEntry>& entries) {
  pending_menu_ = PendingMenu{level, command, entries};
}

void FakeDesktop::EndMenu() {
  log.push_back(u"end menu");
  menu_ended_ = true;
}

bool FakeDesktop::DeliverWhileUp() {
  while (!queue_.empty() && !menu_ended_) Dispatch();
  if (quit_posted_) {
    quit_posted_ = false;
    ++quits_lost_in_menu;
  }
  return !menu_ended_;
}

// What the popup does with input the program leaves to it: F10 closes every menu, and a right
// button's release chooses the highlighted entry.
FakeDesktop::Outcome FakeDesktop::Input(const MenuInput& input, std::size_t& step) {
  if (events_->OnMenuInput(input)) return ProgramMenu(step);
  if (input.kind == MenuInput::Kind::kKeyDown && input.key == kVkF10) return {true, std::nullopt};
  if (input.kind != MenuInput::Kind::kRightButtonUp) return {};
  const OpenLevel& level = levels_.back();
  if (!level.highlighted) return {};
  const MenuEntry& entry = (*level.entries)[*level.highlighted];
  if (!entry.submenu.empty() || entry.separator || entry.disabled) return {};
  return {true, entry.command};
}

// Shown once the input has left the queue, while its entry is still highlighted.
FakeDesktop::Outcome FakeDesktop::ProgramMenu(std::size_t& step) {
  std::optional<PendingMenu> pending = std::exchange(pending_menu_, std::nullopt);
  if (!pending || program_menu_unplaced ||
      !MenuEntryHighlighted(pending->level, pending->command)) {
    return {};
  }
  program_menus.emplace_back(pending->command, std::move(pending->entries));
  while (step + 1 < choice.size() && choice[step + 1] == u"!close") {
    PostClose();
    ++step;
  }
  if (!DeliverWhileUp() || step + 1 == choice.size()) return {true, std::nullopt};
  MenuEntry* chosen = Named(program_menus.back().second, choice[++step]);
  if (chosen == nullptr || chosen->separator || chosen->disabled) return {};
  if (click_beside_program_menu) {
    const OpenLevel& level = levels_.back();
    if (level.highlighted) popup_posted_ = (*level.entries)[*level.highlighted].command;
  }
  return {true, chosen->command};
}

FakeDesktop::Outcome FakeDesktop::Act(const std::u16string& action, std::size_t& step) {
  using Kind = MenuInput::Kind;
  struct NamedInput {
    const char16_t* name;
    MenuInput input;
  };
  static constexpr NamedInput kInputs[] = {
      {u"apps", {Kind::kKeyDown, kVkApps, false}},
      {u"shift+f10", {Kind::kKeyDown, kVkF10, true}},
      {u"shift+rdown", {Kind::kRightButtonDown, 0, true}},
      {u"rdown", {Kind::kRightButtonDown, 0, false}},
      {u"shift+rup", {Kind::kRightButtonUp, 0, true}},
      {u"rup", {Kind::kRightButtonUp, 0, false}},
  };
  for (const NamedInput& named : kInputs) {
    if (action == named.name) return Input(named.input, step);
  }
  if (action == u"close") {
    PostClose();
    return {};
  }
  const bool submenu_open = levels_.size() > 1;
  if (action == u"escape" && !submenu_open) return {true, std::nullopt};
  if (!submenu_open) return {};
  if (action == u"left" || action == u"escape" || action == u"hide") {
    CloseLevel(action != u"hide");
  } else if (action.starts_with(u"point:")) {
    CloseLevel(true);
    Highlight(action.substr(6));
  }
  return {};
}

std::optional<std::uint16_t> FakeDesktop::Track() {
  for (std::size_t step = 0; step < choice.size(); ++step) {
    if (!DeliverWhileUp()) return std::nullopt;
    const std::u16string& text = choice[step];
    if (text.starts_with(u"!") || text.starts_with(u"menu:")) {
      if (text.starts_with(u"menu:") && Highlight(text.substr(5)) == nullptr) return std::nullopt;
      const Outcome outcome = Act(text.starts_with(u"!") ? text.substr(1) : u"apps", step);
      if (outcome.closes) return outcome.command;
      continue;
    }
    MenuEntry* entry = Highlight(text);
    if (entry == nullptr || entry->separator || entry->disabled) return std::nullopt;
    const bool last = step + 1 == choice.size();
    if (!entry->submenu.empty()) {
      if (last) return std::nullopt;  // choosing a submenu entry only opens it
      Open(*entry);
    } else if (last) {
      return entry->command;
    } else if (!choice[step + 1].starts_with(u"!") && !choice[step + 1].starts_with(u"menu:")) {
      return std::nullopt;  // a plain entry opens nothing to go on in
    }
  }
  return std::nullopt;
}

// The menu's own loop delivers what is posted while it is up; the choice is queued once it has
// closed, for the program's loop, after what the popup posted itself.
std::optional<std::uint16_t> FakeDesktop::TrackPopup(const std::vector<MenuEntry>& top, int x,
                                                     int y) {
  log.push_back(u"popup");
  Activate(Window::kMenuOwner);
  popups.push_back({top, x, y});
  menu_ended_ = false;
  levels_ = {{kTopLevel, &popups.back().top, std::nullopt}};
  if (on_popup) on_popup();
  std::optional<std::uint16_t> chosen = Track();
  DeliverWhileUp();
  if (menu_ended_) {
    chosen.reset();
    popup_posted_.reset();
  }
  levels_.clear();
  pending_menu_.reset();
  if (const auto posted = std::exchange(popup_posted_, std::nullopt)) PostCommand(*posted);
  if (chosen) PostCommand(*chosen);
  return chosen;
}

}  // namespace velmoro
