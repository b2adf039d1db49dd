#pragma once

#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace velmoro {

inline constexpr int kSwShowNormal = 1;
inline constexpr int kSwShowMaximized = 3;
inline constexpr int kSwShowMinNoActive = 7;
inline constexpr int kSwShowDefault = 10;

inline constexpr unsigned kMbOk = 0x00;
inline constexpr unsigned kMbIconError = 0x10;
inline constexpr unsigned kMbIconWarning = 0x30;
inline constexpr unsigned kMbIconInformation = 0x40;
// Brings the box to the front even when the program does not hold the foreground.
inline constexpr unsigned kMbSetForeground = 0x10000;

// One entry of a platform popup menu, as given to InsertMenuItemW.
struct MenuEntry {
  std::u16string text;
  std::uint16_t command = 0;
  bool separator = false;
  bool disabled = false;
  bool is_default = false;
  // Drawn with an icon, which the program names when the entry is first drawn (OnItemIcon).
  bool icon = false;
  std::vector<MenuEntry> submenu;  // not empty: the entry opens this submenu
};

// Where a menu entry's icon comes from: a file, by the position of its icon (0 and up) or, when
// negative, by the icon's resource id; or the shell's generic icon of a program.
struct IconSource {
  enum class Kind { kGeneric, kFile };
  Kind kind = Kind::kGeneric;
  std::u16string path;
  int index = 0;
  // Drawn with a small warning sign over it: the entry's program has lost its uninstaller.
  bool warning = false;
  bool operator==(const IconSource&) const = default;
};

// Submenus are named by the command identifier of the entry that owns them; the top level is 0.
inline constexpr std::uint16_t kTopLevel = 0;

// The program's windows that boxes and started programs are given as their owner.
enum class Owner { kAppWindow, kHostForm, kMenuOwner };

// What the popup's message filter sees of the user's input while the menu is tracked.
struct MenuInput {
  enum class Kind { kKeyDown, kRightButtonDown, kRightButtonUp, kOther };
  Kind kind = Kind::kOther;
  std::uint16_t key = 0;  // the virtual key of a key pressed (WM_KEYDOWN, WM_SYSKEYDOWN)
  bool shift = false;     // Shift is held
};
inline constexpr std::uint16_t kVkApps = 0x5D;
inline constexpr std::uint16_t kVkF10 = 0x79;

// Where the monitors are: the top-left corner of the virtual screen (SM_XVIRTUALSCREEN,
// SM_YVIRTUALSCREEN), negative with a monitor left of or above the primary one.
struct ScreenLayout {
  int virtual_left = 0;
  int virtual_top = 0;
};

// What the desktop reports to the program, from its window procedures.
class DesktopEvents {
 public:
  virtual ~DesktopEvents() = default;

  // The host form was activated (delivered through the message queue).
  virtual void OnHostActivated() = 0;
  // The user restored the minimised program from its taskbar button.
  virtual void OnRestore() = 0;
  // WM_COMMAND to the menu owner window.
  virtual void OnCommand(std::uint16_t command) = 0;
  // WM_INITMENUPOPUP: the submenu owned by `owner` is about to open. Returns its new entries
  // when showing it changed anything, so the platform rebuilds it before it is drawn.
  virtual std::optional<std::vector<MenuEntry>> OnSubmenuOpening(std::uint16_t owner) = 0;
  // WM_MENUCHAR: a character key matched no access key in the menu level owned by `owner`, whose
  // highlighted entry is `current` (-1 for none). Returns the entry to highlight, or -1.
  virtual int OnMenuChar(std::uint16_t owner, char16_t key, int current) = 0;
  // An entry with an icon is drawn for the first time (WM_DRAWITEM): where its icon comes from.
  virtual IconSource OnItemIcon(std::uint16_t command) = 0;
  // WM_MENUSELECT: in the open level owned by `level`, the entry `command` is highlighted now; 0
  // when what is highlighted is a submenu entry, a separator or nothing. Closing a submenu sends no
  // such notice for the entry that owns it, which is highlighted again.
  virtual void OnMenuSelect(std::uint16_t level, std::uint16_t command) = 0;
  // WM_UNINITMENUPOPUP: the level owned by `level` has closed.
  virtual void OnSubmenuClosed(std::uint16_t level) = 0;
  // The popup's own input, seen before the popup acts on it (a MSGF_MENU message filter). True
  // takes it: the popup removes it from the queue and does nothing with it.
  virtual bool OnMenuInput(const MenuInput& input) = 0;
  // WM_CLOSE to any window of the program: someone asks the program to end.
  virtual void OnEndAsked() = 0;
  // WM_ENDSESSION with the logon really ending.
  virtual void OnEndSession() = 0;
  // Handling a message failed with an exception, which no window procedure may let through: the
  // program shows it (the platform's own failures reach the program this way too).
  virtual void OnFailure(const std::exception_ptr& failure) = 0;
};

// Windows, menus and messages of the desktop.
class DesktopApi {
 public:
  virtual ~DesktopApi() = default;

  virtual void SetEvents(DesktopEvents* events) = 0;
  // Someone can see the program's windows and click them: the process's window station is visible
  // (GetUserObjectInformationW UOI_FLAGS with WSF_VISIBLE) and the desktop that receives the
  // user's input can be opened (OpenInputDesktop). Not so under a service, or a scheduled task
  // run whether the user is logged on or not.
  virtual bool InteractiveDesktop() = 0;
  // SetWindowTextW on the application window.
  virtual void SetAppTitle(const std::u16string& title) = 0;
  // GetStartupInfoW's show state when the starter gave one, else SW_SHOWDEFAULT.
  virtual int StartShowState() = 0;
  virtual ScreenLayout Screen() = 0;
  // The pixels per inch of the monitor nearest a point (MonitorFromPoint, GetDpiForMonitor), or
  // the system's where the per-monitor call is missing.
  virtual int DpiAt(int x, int y) = 0;
  // SetWindowPos of the host form, and of the application window to the same place.
  virtual void PlaceHostForm(int left, int top, int width, int height) = 0;
  // The host form's width as placed (GetWindowRect): more than asked for where the desktop keeps
  // a minimum width for resizable windows.
  virtual int HostFormWidth() = 0;
  // GetActiveWindow is the host form.
  virtual bool HostFormActive() = 0;
  // Shows the application window (taskbar button), then the host form with show_command, which
  // activates it (OnHostActivated) unless it is active already.
  virtual void ShowHostForm(int show_command) = 0;
  // Minimises the application window without showing the host form.
  virtual void MinimiseAppWindow() = 0;
  virtual void HideAppWindow() = 0;
  virtual void HideHostForm() = 0;
  // GetCursorPos; false when the position cannot be read.
  virtual bool CursorPos(int& x, int& y) = 0;
  // Centre of the primary monitor's work area.
  virtual void WorkAreaCentre(int& x, int& y) = 0;
  // SetForegroundWindow on the menu owner window: allowed only while the program holds the
  // foreground, so it is asked before the host form, the active window, is hidden.
  virtual void TakeForeground() = 0;
  // GetForegroundWindow is the menu owner window: a popup menu gets the keyboard and closes on a
  // click outside only then.
  virtual bool HoldsForeground() = 0;
  // Shows the application window minimised and flashes its taskbar button (FlashWindowEx) until
  // the user clicks it, which restores it (OnRestore).
  virtual void FlashAppWindow() = 0;
  // Builds the platform menu and runs TrackPopupMenu(flags 2) at x, y, owned by the menu owner
  // window, then posts it WM_NULL. Returns when the menu has closed: the command that the choice
  // left in the queue (still delivered by the loop), nothing when the menu was dismissed or the
  // chosen entry gives no command. A choice made in an entry's own menu is queued once the popup
  // has closed, after anything the popup itself posted meanwhile.
  virtual std::optional<std::uint16_t> TrackPopup(const std::vector<MenuEntry>& top, int x,
                                                  int y) = 0;
  // The level owned by `level` is open on the screen and its entry `command` is highlighted in it
  // (GetMenuState with MF_HILITE).
  virtual bool MenuEntryHighlighted(std::uint16_t level, std::uint16_t command) = 0;
  // Shows an entry's own menu beside the entry `command` of the level `level` once the input that
  // asked for it has left the queue, inside the popup's loop (TrackPopupMenuEx, TPM_RECURSE), and
  // only while that entry is still highlighted and its place on the screen can be had: otherwise
  // nothing shows. Choosing one of its entries closes the whole menu with that entry's command as
  // the choice; Escape closes only the entry's menu.
  virtual void ShowProgramMenu(std::uint16_t level, std::uint16_t command,
                               const std::vector<MenuEntry>& entries) = 0;
  // EndMenu: the popup being tracked closes without a choice, and TrackPopup returns.
  virtual void EndMenu() = 0;
  // MessageBoxW; no caption gives the platform's default caption.
  virtual int ShowMessageBox(Owner owner, const std::u16string& text,
                             const std::optional<std::u16string>& caption, unsigned flags) = 0;
  // Puts the text on the clipboard as Unicode text (CF_UNICODETEXT), where it stays once the
  // program has ended. False when the clipboard could not be had.
  virtual bool CopyText(const std::u16string& text) = 0;
  // PostQuitMessage(0).
  virtual void PostQuit() = 0;
  // Waits for one message and dispatches it. Returns false when it was the quit message.
  virtual bool HandleMessage() = 0;
  // Dispatches every pending message. Returns false when the quit message was among them.
  virtual bool ProcessPendingMessages() = 0;
  // ExitProcess(0): ends the program at once; does not return.
  virtual void EndProcess() = 0;
};

}  // namespace velmoro
