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
  Post([this] { events_->OnEndAsked(); });
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
