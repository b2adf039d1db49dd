#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/desktop_api.h"

namespace velmoro {

// An in-memory desktop: a message queue with the platform's quit rule (the quit message comes
// only when nothing else is queued), a scripted menu choice and scripted message box answers,
// and a record of everything shown. Like the platform, it activates the host form when the form
// is shown or a box it owns is closed (unless it is active already), and delivers sent messages
// inside any call that waits for messages, without that call returning for them; as Wine's, a box's
// loop drops the notice of the activation its closing causes. The foreground follows the platform's
// lock: only a program that holds it may give it to another of its windows; hiding the window that
// holds it hands it to another program; the user's click on the taskbar button gives it to the
// program.
class FakeDesktop : public DesktopApi {
 public:
  // Thrown by EndProcess: the process is gone, nothing after it runs.
  struct ProcessEnded {};

  struct Box {
    Owner owner;
    std::u16string text;
    std::optional<std::u16string> caption;
    unsigned flags;
  };
  struct Popup {
    std::vector<MenuEntry> top;
    int x;
    int y;
  };

  // Menu choice: the texts of the entries to open, ending with the one to choose ("@3" names the
  // entry at index 3 of its level). Empty dismisses the menu. Each level shown is drawn: its first
  // `drawn_per_level` entries, and the one chosen in it, as a long level shows only its top.
  // "menu:" before a text highlights that entry and asks for its own menu (the context-menu key);
  // the next text chooses in that menu, an empty one closes it (Escape) and the choice goes on in
  // the level the entry is in.
  std::vector<std::u16string> choice;
  std::size_t drawn_per_level = 20;
  int start_state = kSwShowDefault;
  // The starter let the program take the foreground: its first shown window gets it.
  bool foreground_granted = true;
  // The user clicks the taskbar button once it flashes.
  bool click_flashing_button = false;
  // A box's ended loop takes the next message and drops it, as Wine's does; Windows' does not.
  bool box_drops_next_message = true;
  // Someone can see and click the program's windows; not so with a window station that is not
  // visible (a service's) or without an input desktop.
  bool window_station_visible = true;
  bool input_desktop = true;
  struct Monitor {
    int left, top, width, height, dpi;
  };
  // The primary monitor first.
  std::vector<Monitor> monitors = {{0, 0, 1920, 1080, 96}};
  // The least width a resizable window is given (SM_CXMINTRACK at 96 pixels per inch), scaled to
  // the DPI of the monitor nearest the window's top-right corner, as Windows keeps to it for a
  // window that does not answer WM_GETMINMAXINFO and a window manager may keep to one of its own.
  int min_track_width = 136;
  // The host form's place and size, as last set and kept to the minimum width.
  struct Placement {
    int left, top, width, height;
    bool operator==(const Placement&) const = default;
  };
  std::optional<Placement> host_form_placement;
  std::optional<std::pair<int, int>> cursor = std::make_pair(300, 200);
  std::pair<int, int> work_area_centre{640, 480};
  // Runs inside each message box, before it returns; may post messages.
  std::function<void(const Box&)> on_box;
  // Runs inside each popup menu while it is up, before the choice; may post messages, which the
  // menu's own loop delivers.
  std::function<void()> on_popup;

  // What happened, in order.
  std::vector<std::u16string> log;
  std::vector<Box> boxes;
  std::vector<Popup> popups;
  // The icons the program named for the entries drawn, by command, in the order asked.
  std::vector<std::pair<std::uint16_t, IconSource>> icons;
  // The entries' own menus shown, in order, by the command of the entry they belong to.
  std::vector<std::pair<std::uint16_t, std::vector<MenuEntry>>> program_menus;
  // What the program last put on the clipboard; `clipboard_refused` keeps it from it.
  std::optional<std::u16string> clipboard;
  bool clipboard_refused = false;
  int quit_requests = 0;
  // Boxes that a quit message would have ended before the user closed them.
  int boxes_cut_short = 0;
  // The loop asked for a message when none could ever come: the program would hang.
  bool waited_forever = false;

  // Posts a notice to the queue, as the platform would.
  void PostCommand(std::uint16_t command);
  void PostClose();
  // The user clicks the taskbar button of the minimised or flashing program.
  void PostRestore();
  // WM_QUERYENDSESSION and WM_ENDSESSION(TRUE), sent: delivered by the next call that waits for
  // or dispatches messages.
  void SendEndSession();
  // The last popup's entry reached by following texts; nullptr when there is none.
  const MenuEntry* FindEntry(const std::vector<std::u16string>& path) const;

  void SetEvents(DesktopEvents* events) override { events_ = events; }
  bool InteractiveDesktop() override { return window_station_visible && input_desktop; }
  void SetAppTitle(const std::u16string& title) override;
  ScreenLayout Screen() override;
  int DpiAt(int x, int y) override;
  void PlaceHostForm(int left, int top, int width, int height) override;
  int HostFormWidth() override { return host_form_placement ? host_form_placement->width : 0; }
  int StartShowState() override { return start_state; }
  bool HostFormActive() override { return active_ == Window::kHostForm; }
  void ShowHostForm(int show_command) override;
  void MinimiseAppWindow() override;
  void HideAppWindow() override;
  void HideHostForm() override;
  bool CursorPos(int& x, int& y) override;
  void WorkAreaCentre(int& x, int& y) override;
  void TakeForeground() override;
  bool HoldsForeground() override { return foreground_ == Window::kMenuOwner; }
  void FlashAppWindow() override;
  bool TrackPopup(const std::vector<MenuEntry>& top, int x, int y) override;
  int ShowMessageBox(Owner owner, const std::u16string& text,
                     const std::optional<std::u16string>& caption, unsigned flags) override;
  bool CopyText(const std::u16string& text) override;
  void PostQuit() override;
  bool HandleMessage() override;
  bool ProcessPendingMessages() override;
  void EndProcess() override;

 private:
  enum class Window { kNone, kAppWindow, kHostForm, kBox, kMenuOwner, kOtherProgram };
  struct Message {
    std::function<void()> deliver;
    bool sent = false;
  };

  void Post(std::function<void()> deliver, bool sent = false);
  // Draws a level's entries: an entry with an icon asks for it the first time it is drawn.
  void Draw(const std::vector<MenuEntry>& level, const MenuEntry* chosen);
  // The menu's own loop: follows `choice` and gives the command chosen, if any.
  std::optional<std::uint16_t> Track(const std::vector<MenuEntry>& top, int x, int y);
  // The entry of a level that a choice's text names, or null.
  static MenuEntry* Named(std::vector<MenuEntry>& level, const std::u16string& wanted);
  // "menu:" and the text that follows it, at step `step`: shows the entry's own menu and takes the
  // choice made in it. Returns the command chosen there, or nothing; `step` is left on the last
  // step used.
  std::optional<std::uint16_t> ProgramMenu(std::vector<MenuEntry>& level, std::size_t& step);
  // Takes the first queued message and delivers it; returns whether it was a posted one.
  bool Dispatch();
  void Activate(Window window);

  DesktopEvents* events_ = nullptr;
  std::deque<Message> queue_;
  bool quit_posted_ = false;
  Window active_ = Window::kNone;
  Window foreground_ = Window::kOtherProgram;
};

}  // namespace velmoro
