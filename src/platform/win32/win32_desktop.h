#pragma once

#include <windows.h>

#include <exception>
#include <map>
#include <optional>
#include <set>

#include "platform/desktop_api.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_icons.h"

namespace velmoro {

// The program's windows: the hidden application window (title, taskbar button), the host form,
// and the hidden window that owns the popup menu. The windows and their procedures, the platform
// menus, the entries' icons and the message loop each have a source file of their own.
class Win32Desktop final : public DesktopApi {
 public:
  explicit Win32Desktop(HINSTANCE instance);
  ~Win32Desktop() override;
  Win32Desktop(const Win32Desktop&) = delete;
  Win32Desktop& operator=(const Win32Desktop&) = delete;

  void SetEvents(DesktopEvents* events) override;
  bool InteractiveDesktop() override;
  void SetAppTitle(const std::u16string& title) override;
  ScreenLayout Screen() override;
  int DpiAt(int x, int y) override;
  void PlaceHostForm(int left, int top, int width, int height) override;
  int HostFormWidth() override;
  int StartShowState() override;
  bool HostFormActive() override;
  void ShowHostForm(int show_command) override;
  void MinimiseAppWindow() override;
  void HideAppWindow() override;
  void HideHostForm() override;
  bool CursorPos(int& x, int& y) override;
  void WorkAreaCentre(int& x, int& y) override;
  void TakeForeground() override;
  bool HoldsForeground() override;
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

  // The window that stands for an owner.
  HWND Window(Owner owner) const;

 private:
  class WindowClass {
   public:
    // With `icon`, the program's icon resource of that id shows on the taskbar and in Alt+Tab.
    WindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, int icon = 0);
    ~WindowClass();
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;

   private:
    HINSTANCE instance_;
    const wchar_t* name_;
  };

  using Handler = LRESULT (Win32Desktop::*)(HWND, UINT, WPARAM, LPARAM);
  // No exception crosses a window procedure into the platform: a handler's failure is shown in a
  // box and the message gets the platform's default answer.
  template <Handler handler>
  static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wparam,
                                          LPARAM lparam) noexcept;

  LRESULT AppWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HostFormMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT MenuOwnerMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  // Runs `handle` for a message of `window`; whatever it throws goes to the program's error
  // display, and the message gets the platform's default answer.
  template <typename Handle>
  LRESULT Guarded(HWND window, UINT message, WPARAM wparam, LPARAM lparam, Handle handle) noexcept;
  void ReportFailure(const std::exception_ptr& failure) noexcept;
  // Close and session messages, answered alike by every window of the program: none of them is
  // ever destroyed by a close request, which asks the program to end instead.
  bool SharedMessage(UINT message, WPARAM wparam, LRESULT& result);

  UniqueWindow MakeWindow(DWORD ex_style, const wchar_t* class_name, const wchar_t* caption,
                          DWORD style, int x, int y, int width, int height, HWND owner);
  void FillMenu(HMENU menu, const std::vector<MenuEntry>& entries);
  void ForgetSubmenus(HMENU menu);
  void RebuildMenu(HMENU menu, const std::vector<MenuEntry>& entries);
  // WM_INITMENUPOPUP: a submenu is filled, or rebuilt when the program changed it, as it opens.
  void SubmenuOpening(HMENU menu, bool window_menu);
  // WM_MENUCHAR's answer: the entry the program highlights for a key, or MNC_IGNORE.
  LRESULT MenuChar(HMENU menu, char16_t key);
  // The small-icon size of the monitor at a point, in its pixels.
  static int IconSize(int x, int y);
  // WM_MEASUREITEM and WM_DRAWITEM of a menu entry (false for anything else): a program entry's
  // icon, beside its text, named by the program the first time it is drawn.
  bool MeasureItemIcon(MEASUREITEMSTRUCT& measure) const;
  bool DrawItemIcon(const DRAWITEMSTRUCT& draw);
  // An entry's own menu: while the popup is tracked, a message-filter hook of this thread sees the
  // menu's input first, and the program takes what asks for the highlighted entry's menu;
  // WM_MENUSELECT and WM_UNINITMENUPOPUP tell the program what is highlighted.
  static LRESULT CALLBACK MenuFilter(int code, WPARAM wparam, LPARAM lparam) noexcept;
  bool TakesMenuInput(const MSG& message);
  void MenuSelected(HMENU menu, UINT item, UINT flags);
  void SubmenuClosed(HMENU menu);
  // Where the entry `command` of the open level `level` is, while it is highlighted there.
  struct EntryPlace {
    HMENU menu;
    UINT index;
  };
  std::optional<EntryPlace> HighlightedEntry(std::uint16_t level, std::uint16_t command) const;
  void ShowPendingProgramMenu();

  // Posted to the menu owner so that the entry's menu shows from the popup's loop.
  static constexpr UINT kShowProgramMenuMessage = WM_APP + 3;

  HINSTANCE instance_;
  DesktopEvents* events_ = nullptr;
  std::u16string app_title_;  // the caption of the error boxes
  // Which entry's command owns each platform menu of the popup that is open.
  std::map<HMENU, std::uint16_t> menu_owners_;
  // Submenus created empty, with the entries they get when they first open.
  std::map<HMENU, std::vector<MenuEntry>> unfilled_;
  // The icons of the entries drawn so far, by command (the warning sign of an entry whose
  // uninstaller is gone, or null), and their size on the menu's monitor.
  struct ItemIcon {
    HICON icon;
    HICON warning;
  };
  std::map<std::uint16_t, ItemIcon> item_icons_;
  int icon_size_ = 16;
  // Made when the first icon is drawn, and kept, with every icon read, until the program ends.
  std::optional<Win32IconCache> icons_;
  bool app_minimised_ = false;
  // The desktop whose popup the hook serves: one thread, one popup at a time.
  static Win32Desktop* tracking_;
  // The levels of the popup on the screen, from WM_INITMENUPOPUP to WM_UNINITMENUPOPUP.
  std::set<HMENU> open_menus_;
  struct PendingProgramMenu {
    std::uint16_t level;
    std::uint16_t command;
    std::vector<MenuEntry> entries;
  };
  std::optional<PendingProgramMenu> pending_program_menu_;
  bool program_menu_open_ = false;
  std::uint16_t program_menu_choice_ = 0;  // chosen in an entry's own menu, queued once closed
  bool menu_ended_ = false;                // EndMenu was asked for while the popup is up

  WindowClass app_class_;
  WindowClass host_class_;
  WindowClass owner_class_;
  // Declared owner first, so the owned windows are destroyed before the window that owns them.
  UniqueWindow app_window_;
  UniqueWindow host_form_;
  UniqueWindow menu_owner_;
};

}  // namespace velmoro
