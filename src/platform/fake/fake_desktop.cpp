#include "platform/fake/fake_desktop.h"

#include <algorithm>
#include <limits>

namespace velmoro {

void FakeDesktop::Post(std::function<void()> deliver, bool sent) {
  queue_.push_back({std::move(deliver), sent});
}

void FakeDesktop::PostCommand(std::uint16_t command) {
  Post([this, command] { events_->OnCommand(command); });
}

void FakeDesktop::PostClose() {
  Post([this] { events_->OnCloseRequest(); });
}

void FakeDesktop::PostRestore() {
  Post([this] {
    log.push_back(u"restore");
    foreground_ = Window::kAppWindow;
    events_->OnRestore();
  });
}

void FakeDesktop::SendEndSession() {
  Post(
      [this] {
        log.push_back(u"end session");
        events_->OnEndSession();
      },
      true);
}

void FakeDesktop::Activate(Window window) {
  if (active_ == window) return;
  active_ = window;
  if (window == Window::kHostForm) Post([this] { events_->OnHostActivated(); });
}

const MenuEntry* FakeDesktop::FindEntry(const std::vector<std::u16string>& path) const {
  if (popups.empty() || path.empty()) return nullptr;
  const std::vector<MenuEntry>* level = &popups.back().top;
  const MenuEntry* found = nullptr;
  for (const std::u16string& text : path) {
    found = nullptr;
    for (const MenuEntry& entry : *level) {
      if (entry.text == text) {
        found = &entry;
        break;
      }
    }
    if (found == nullptr) return nullptr;
    level = &found->submenu;
  }
  return found;
}

void FakeDesktop::SetAppTitle(const std::u16string& title) {
  log.push_back(u"title " + title);
}

ScreenLayout FakeDesktop::Screen() {
  ScreenLayout screen{std::numeric_limits<int>::max(), std::numeric_limits<int>::max()};
  for (const Monitor& monitor : monitors) {
    screen.virtual_left = std::min(screen.virtual_left, monitor.left);
    screen.virtual_top = std::min(screen.virtual_top, monitor.top);
  }
  return screen;
}

// The monitor that holds the point, else the one whose edge is nearest, as MONITOR_DEFAULTTONEAREST
// picks it.
int FakeDesktop::DpiAt(int x, int y) {
  const auto distance = [](int point, int start, int length) {
    return point < start ? start - point : point >= start + length ? point - start - length + 1 : 0;
  };
  long long nearest = std::numeric_limits<long long>::max();
  int dpi = 96;
  for (const Monitor& monitor : monitors) {
    const long long dx = distance(x, monitor.left, monitor.width);
    const long long dy = distance(y, monitor.top, monitor.height);
    if (dx * dx + dy * dy < nearest) {
      nearest = dx * dx + dy * dy;
      dpi = monitor.dpi;
    }
  }
  return dpi;
}

void FakeDesktop::PlaceHostForm(int left, int top, int width, int height) {
  const int least = (min_track_width * DpiAt(left + width - 1, top) + 95) / 96;
  host_form_placement = Placement{left, top, std::max(width, least), height};
}

void FakeDesktop::ShowHostForm(int show_command) {
  log.push_back(u"show host " + std::u16string(1, static_cast<char16_t>(u'0' + show_command)));
  if (foreground_granted || foreground_ != Window::kOtherProgram) foreground_ = Window::kHostForm;
  Activate(Window::kHostForm);
}

void FakeDesktop::MinimiseAppWindow() {
  log.push_back(u"minimise app");
}
void FakeDesktop::HideAppWindow() {
  log.push_back(u"hide app");
  if (foreground_ == Window::kAppWindow) foreground_ = Window::kOtherProgram;
}
void FakeDesktop::HideHostForm() {
  log.push_back(u"hide host");
  if (active_ == Window::kHostForm) active_ = Window::kNone;
  if (foreground_ == Window::kHostForm) foreground_ = Window::kOtherProgram;
}

void FakeDesktop::TakeForeground() {
  log.push_back(u"foreground menu owner");
  if (foreground_ != Window::kOtherProgram) foreground_ = Window::kMenuOwner;
}

void FakeDesktop::FlashAppWindow() {
  log.push_back(u"flash app");
  if (click_flashing_button) PostRestore();
}

bool FakeDesktop::CursorPos(int& x, int& y) {
  if (!cursor) return false;
  x = cursor->first;
  y = cursor->second;
  return true;
}

void FakeDesktop::WorkAreaCentre(int& x, int& y) {
  x = work_area_centre.first;
  y = work_area_centre.second;
}

void FakeDesktop::Draw(const std::vector<MenuEntry>& level, const MenuEntry* chosen) {
  for (std::size_t i = 0; i < level.size(); ++i) {
    const MenuEntry& entry = level[i];
    if (!entry.icon || (i >= drawn_per_level && &entry != chosen)) continue;
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
  for (MenuEntry& entry : level) {
    if (entry.text == wanted) return &entry;
  }
  return nullptr;
}

std::optional<std::uint16_t> FakeDesktop::ProgramMenu(std::vector<MenuEntry>& level,
                                                      std::size_t& step) {
  const MenuEntry* entry = Named(level, choice[step].substr(5));
  if (entry == nullptr) return std::nullopt;
  log.push_back(u"program menu " + entry->text);
  std::optional<std::vector<MenuEntry>> entries = events_->OnProgramMenu(entry->command);
  if (!entries) return std::nullopt;
  program_menus.emplace_back(entry->command, std::move(*entries));
  if (step + 1 == choice.size()) return std::nullopt;
  MenuEntry* chosen = Named(program_menus.back().second, choice[++step]);
  if (chosen == nullptr || chosen->separator || chosen->disabled) return std::nullopt;
  return chosen->command;
}

// The menu's own loop delivers what is posted while it is up; the choice is queued once it has
// closed, for the program's loop.
bool FakeDesktop::TrackPopup(const std::vector<MenuEntry>& top, int x, int y) {
  const std::optional<std::uint16_t> chosen = Track(top, x, y);
  while (!queue_.empty()) Dispatch();
  if (chosen) PostCommand(*chosen);
  return chosen.has_value();
}

std::optional<std::uint16_t> FakeDesktop::Track(const std::vector<MenuEntry>& top, int x, int y) {
  log.push_back(u"popup");
  Activate(Window::kMenuOwner);
  popups.push_back({top, x, y});
  if (on_popup) on_popup();
  std::vector<MenuEntry>* level = &popups.back().top;
  std::uint16_t owner = kTopLevel;
  bool opened = false;
  for (std::size_t step = 0; step < choice.size(); ++step) {
    if (owner != kTopLevel && !opened) {
      if (auto rebuilt = events_->OnSubmenuOpening(owner)) *level = std::move(*rebuilt);
      opened = true;
    }
    if (choice[step].starts_with(u"menu:")) {
      if (const auto command = ProgramMenu(*level, step)) return command;
      continue;
    }
    MenuEntry* chosen = Named(*level, choice[step]);
    Draw(*level, chosen);
    if (chosen == nullptr || chosen->separator || chosen->disabled) return std::nullopt;
    if (step + 1 == choice.size()) {
      if (!chosen->submenu.empty()) return std::nullopt;  // choosing a submenu entry only opens it
      return chosen->command;
    }
    if (chosen->submenu.empty()) return std::nullopt;  // a plain entry opens nothing to go on in
    owner = chosen->command;
    level = &chosen->submenu;
    opened = false;
  }
  return std::nullopt;
}

bool FakeDesktop::CopyText(const std::u16string& text) {
  log.push_back(u"copy " + text);
  if (clipboard_refused) return false;
  clipboard = text;
  return true;
}

int FakeDesktop::ShowMessageBox(Owner owner, const std::u16string& text,
                                const std::optional<std::u16string>& caption, unsigned flags) {
  log.push_back(u"box " + text);
  boxes.push_back({owner, text, caption, flags});
  Activate(Window::kBox);
  if (on_box) on_box(boxes.back());
  // A modal box runs its own loop, and like the platform's it ends on a quit message.
  while (!queue_.empty()) Dispatch();
  if (quit_posted_) ++boxes_cut_short;
  Activate(owner == Owner::kHostForm ? Window::kHostForm : Window::kAppWindow);
  // The box's loop, ended, still takes one more message, and drops it: the activation it has
  // just caused.
  if (box_drops_next_message && !queue_.empty()) queue_.pop_front();
  return 1;
}

void FakeDesktop::PostQuit() {
  ++quit_requests;
  quit_posted_ = true;
}

bool FakeDesktop::Dispatch() {
  Message message = std::move(queue_.front());
  queue_.pop_front();
  message.deliver();
  return !message.sent;
}

bool FakeDesktop::HandleMessage() {
  while (!queue_.empty()) {
    if (Dispatch()) return true;
  }
  if (quit_posted_) {
    quit_posted_ = false;
    return false;
  }
  waited_forever = true;
  return false;
}

bool FakeDesktop::ProcessPendingMessages() {
  while (!queue_.empty()) Dispatch();
  if (!quit_posted_) return true;
  quit_posted_ = false;
  return false;
}

void FakeDesktop::EndProcess() {
  log.push_back(u"end process");
  throw ProcessEnded{};
}

}  // namespace velmoro
