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

  // Menu choice, step by step. A text highlights the entry of the open level that it names ("@3"
  // names the entry at index 3): a submenu entry opens, and the last text chooses its entry (a
  // submenu entry then only opens). Empty dismisses the menu. Each level shown is drawn: its first
  // `drawn_per_level` entries, and the one highlighted in it, as a long level shows only its top.
  // Steps that begin with "!" are the user's input, on what is highlighted:
  //   "!apps", "!shift+f10": the context-menu key, Shift+F10;
  //   "!shift+rdown", "!rdown", "!shift+rup", "!rup": the right button pressed or let go, with
  //   Shift held or not; a release the program does not take chooses the highlighted entry;
  //   "!left", "!escape": the open submenu closes (WM_UNINITMENUPOPUP, and as under Wine no
  //   WM_MENUSELECT for the entry that owns it); Escape at the top dismisses the menu;
  //   "!hide": the open submenu closes with no notice at all;
  //   "!point:<text>": the pointer moves onto an entry of the level below the open submenu, which
  //   closes;
  //   "!close": a close request (WM_CLOSE) is posted, also as the step of an entry's own menu.
  // "menu:<text>" highlights the entry and presses the context-menu key. Once an entry's own menu
  // shows, the next step chooses in it, or, empty, closes it (Escape) and the choice goes on in the
  // level the entry is in.
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
  // menu's own loop delivers before each step of the choice.
  std::function<void()> on_popup;
  // An entry's own menu cannot be placed beside its entry (GetMenuItemRect fails).
  bool program_menu_unplaced = false;
  // A click on the popup's highlighted entry reaches the popup just as a choice made in an entry's
  // own menu closes it: the popup posts its own choice first.
  bool click_beside_program_menu = false;

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
  // Quit messages that the menu's loop took and dropped, as Wine's does.
  int quits_lost_in_menu = 0;
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
  std::optional<std::uint16_t> TrackPopup(const std::vector<MenuEntry>& top, int x, int y) override;
  bool MenuEntryHighlighted(std::uint16_t level, std::uint16_t command) override;
  void ShowProgramMenu(std::uint16_t level, std::uint16_t command,
                       const std::vector<MenuEntry>& entries) override;
  void EndMenu() override;
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
  // A level of the popup on the screen, and the index of its highlighted entry.
  struct OpenLevel {
    std::uint16_t owner;
    std::vector<MenuEntry>* entries;
    std::optional<std::size_t> highlighted;
  };
  // How a step of the choice leaves the menu: still up, or closed with the command chosen, if any.
  struct Outcome {
    bool closes = false;
    std::optional<std::uint16_t> command;
  };
  struct PendingMenu {
    std::uint16_t level;
    std::uint16_t command;
    std::vector<MenuEntry> entries;
  };

  // Draws a level's entries: an entry with an icon asks for it the first time it is drawn.
  void Draw(const std::vector<MenuEntry>& level, const MenuEntry* highlighted);
  // The menu's own loop: follows `choice` and gives the command chosen, if any.
  std::optional<std::uint16_t> Track();
  // The entry of a level that a choice's text names, or null.
  static MenuEntry* Named(std::vector<MenuEntry>& level, const std::u16string& wanted);
  // Highlights the entry of the open level that `text` names (WM_MENUSELECT); null for none.
  MenuEntry* Highlight(const std::u16string& text);
  void Open(MenuEntry& entry);
  void CloseLevel(bool notify);
  // A step that begins with "!", at `step`, which is left on the last step used.
  Outcome Act(const std::u16string& action, std::size_t& step);
  // The input as the menu's message filter sees it, then as the popup takes what the program
  // leaves.
  Outcome Input(const MenuInput& input, std::size_t& step);
  // An entry's own menu asked for by the input just taken: shown, and the choice made in it.
  Outcome ProgramMenu(std::size_t& step);
  // The menu's loop delivers what is posted while it is up; false once the menu has been ended.
  bool DeliverWhileUp();
  // Takes the first queued message and delivers it; returns whether it was a posted one.
  bool Dispatch();
  void Activate(Window window);

  DesktopEvents* events_ = nullptr;
  std::deque<Message> queue_;
  bool quit_posted_ = false;
  std::vector<OpenLevel> levels_;
  std::optional<PendingMenu> pending_menu_;
  bool menu_ended_ = false;
  // The command the popup itself posted beside a choice made in an entry's own menu.
  std::optional<std::uint16_t> popup_posted_;
  Window active_ = Window::kNone;
  Window foreground_ = Window::kOtherProgram;
};

}  // namespace velmoro
