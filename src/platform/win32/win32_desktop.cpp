#include "platform/win32/win32_desktop.h"

#include <stdexcept>
#include <string>

#include "platform/win32/win32_lookup.h"
#include "platform/win32/win32_wide.h"

namespace velmoro {
namespace {

constexpr wchar_t kAppWindowClass[] = L"VelmoroApplication";
constexpr wchar_t kHostFormClass[] = L"TForm1";
constexpr wchar_t kMenuOwnerClass[] = L"VelmoroMenuOwner";
constexpr wchar_t kHostFormCaption[] = L"Velmoro Uninstall";
// The program's icon, the first icon resource.
constexpr int kProgramIcon = 1;

constexpr int kListBoxId = 1;

// Posted so that the program's reactions run from the message loop, not inside the platform's
// own handling of activation and restore.
constexpr UINT kHostActivatedMessage = WM_APP + 1;
constexpr UINT kRestoredMessage = WM_APP + 2;

constexpr wchar_t kOutOfMemory[] = L"Out of memory.";

// The platform's own answer to a message whose handler failed, but for a close request, which it
// would answer by destroying the window: no window of the program is closed that way.
LRESULT DefaultAnswer(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(window, message, wparam, lparam);
}

// The DPI of the monitor nearest a point; nothing before Windows 8.1. The shell's scaling
// library is loaded with shell32, which the program imports.
std::optional<UINT> MonitorDpi(int x, int y) {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  const auto dpi_for_monitor =
      LoadedFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  UINT dpi_x = 0;
  UINT dpi_y = 0;
  const HMONITOR monitor = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
  if (dpi_for_monitor == nullptr || FAILED(dpi_for_monitor(monitor, 0, &dpi_x, &dpi_y))) {
    return std::nullopt;
  }
  return dpi_x;
}

int HighlightedItem(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int index = 0; index < count; ++index) {
    if (GetMenuState(menu, static_cast<UINT>(index), MF_BYPOSITION) & MF_HILITE) return index;
  }
  return -1;
}

}  // namespace

Win32Desktop::WindowClass::WindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                                       int icon)
    : instance_(instance), name_(name) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  if (icon != 0) {
    // Shared icons of the module: the system frees them with it.
    window_class.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(icon), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(icon),
                                                         IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  }
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = name;
  if (RegisterClassExW(&window_class) == 0) throw std::runtime_error("RegisterClassExW failed");
}

Win32Desktop::WindowClass::~WindowClass() {
  UnregisterClassW(name_, instance_);
}

template <typename Handle>
LRESULT Win32Desktop::Guarded(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                              Handle handle) noexcept {
  try {
    return handle();
  } catch (...) {
    ReportFailure(std::current_exception());
  }
  return DefaultAnswer(window, message, wparam, lparam);
}

template <Win32Desktop::Handler handler>
LRESULT CALLBACK Win32Desktop::WindowProcedure(HWND window, UINT message, WPARAM wparam,
                                               LPARAM lparam) noexcept {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<Win32Desktop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wparam, lparam);
  return self->Guarded(window, message, wparam, lparam,
                       [&] { return (self->*handler)(window, message, wparam, lparam); });
}

// The program words and shows the failure; should that fail too, memory is what ran out.
void Win32Desktop::ReportFailure(const std::exception_ptr& failure) noexcept {
  try {
    if (events_ != nullptr) {
      events_->OnFailure(failure);
      return;
    }
  } catch (...) {
  }
  MessageBoxW(app_window_.get(), kOutOfMemory, Wide(app_title_),
              MB_ICONERROR | MB_OK | MB_SETFOREGROUND);
}

Win32Desktop::Win32Desktop(HINSTANCE instance)
    : instance_(instance),
      app_class_(instance, kAppWindowClass, &WindowProcedure<&Win32Desktop::AppWindowMessage>,
                 kProgramIcon),
      host_class_(instance, kHostFormClass, &WindowProcedure<&Win32Desktop::HostFormMessage>),
      owner_class_(instance, kMenuOwnerClass, &WindowProcedure<&Win32Desktop::MenuOwnerMessage>) {
  // No size, and beside the host form off the screen: while it carries the taskbar button
  // nothing of it appears, and an X server never maps it, so hiding it does not wait for a
  // window manager. Both are placed before they are ever shown (PlaceHostForm).
  app_window_ = MakeWindow(0, kAppWindowClass, L"",
                           WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0,
                           0, 0, 0, nullptr);
  // Owned by the application window, so it has no taskbar button of its own.
  host_form_ = MakeWindow(0, kHostFormClass, kHostFormCaption,
                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 0, 0, app_window_.get());
  // ListBox1, the form's only focusable control, which takes the focus on activation. The program
  // list is put in its sorted order by sort keys, not by filling it.
  list_box_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY |
                                  LBS_SORT | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT,
                              8, 8, 25, 25, host_form_.get(),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListBoxId)), instance_,
                              nullptr);
  if (list_box_ == nullptr) throw std::runtime_error("ListBox1 could not be created");
  SetWindowLongPtrW(list_box_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  list_box_procedure_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
      list_box_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Win32Desktop::ListBoxProcedure)));
  // A top-level window, not a message-only one: it must be able to become the foreground window
  // so that the popup menu gets the keyboard.
  menu_owner_ = MakeWindow(WS_EX_TOOLWINDOW, kMenuOwnerClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr);
}

Win32Desktop::~Win32Desktop() {
  // The windows are destroyed after this body; nothing may reach the program by then.
  events_ = nullptr;
}

UniqueWindow Win32Desktop::MakeWindow(DWORD ex_style, const wchar_t* class_name,
                                      const wchar_t* caption, DWORD style, int x, int y, int width,
                                      int height, HWND owner) {
  UniqueWindow window(CreateWindowExW(ex_style, class_name, caption, style, x, y, width, height,
                                      owner, nullptr, instance_, this));
  if (!window) throw std::runtime_error("a window could not be created");
  return window;
}

void Win32Desktop::SetEvents(DesktopEvents* events) {
  events_ = events;
}

void Win32Desktop::SetAppTitle(const std::u16string& title) {
  app_title_ = title;
  SetWindowTextW(app_window_.get(), Wide(title));
}

int Win32Desktop::StartShowState() {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  GetStartupInfoW(&startup);
  return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
}

// The DPI of the monitor at the virtual screen's left edge, where the host form goes; the system's
// DPI where the per-monitor call is missing.
ScreenLayout Win32Desktop::Screen() {
  ScreenLayout screen;
  screen.virtual_left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  if (const auto dpi = MonitorDpi(screen.virtual_left, GetSystemMetrics(SM_YVIRTUALSCREEN))) {
    screen.dpi = static_cast<int>(*dpi);
  } else if (HDC screen_dc = GetDC(nullptr)) {
    screen.dpi = GetDeviceCaps(screen_dc, LOGPIXELSX);
    ReleaseDC(nullptr, screen_dc);
  }
  return screen;
}

void Win32Desktop::PlaceHostForm(int left, int top, int width, int height) {
  constexpr UINT kFlags = SWP_NOZORDER | SWP_NOACTIVATE;
  SetWindowPos(host_form_.get(), nullptr, left, top, width, height, kFlags);
  SetWindowPos(app_window_.get(), nullptr, left, top, 0, 0, kFlags | SWP_NOSIZE);
}

bool Win32Desktop::HostFormActive() {
  return GetActiveWindow() == host_form_.get();
}

void Win32Desktop::ShowHostForm(int show_command) {
  ShowWindow(app_window_.get(), SW_SHOWNOACTIVATE);
  ShowWindow(host_form_.get(), show_command);
}

void Win32Desktop::MinimiseAppWindow() {
  app_minimised_ = true;
  ShowWindow(app_window_.get(), SW_SHOWMINNOACTIVE);
}

void Win32Desktop::HideAppWindow() {
  ShowWindow(app_window_.get(), SW_HIDE);
}

void Win32Desktop::HideHostForm() {
  ShowWindow(host_form_.get(), SW_HIDE);
}

bool Win32Desktop::CursorPos(int& x, int& y) {
  POINT point{};
  if (!GetCursorPos(&point)) return false;
  x = point.x;
  y = point.y;
  return true;
}

void Win32Desktop::WorkAreaCentre(int& x, int& y) {
  RECT area{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  x = area.left + (area.right - area.left) / 2;
  y = area.top + (area.bottom - area.top) / 2;
}

void Win32Desktop::TakeForeground() {
  SetForegroundWindow(menu_owner_.get());
}

bool Win32Desktop::HoldsForeground() {
  return GetForegroundWindow() == menu_owner_.get();
}

void Win32Desktop::FlashAppWindow() {
  MinimiseAppWindow();
  FLASHWINFO flash{};
  flash.cbSize = sizeof(flash);
  flash.hwnd = app_window_.get();
  flash.dwFlags = FLASHW_TRAY | FLASHW_TIMERNOFG;
  FlashWindowEx(&flash);
}

bool Win32Desktop::TrackPopup(const std::vector<MenuEntry>& top, int x, int y) {
  UniqueMenu menu(CreatePopupMenu());
  if (!menu) return false;
  menu_owners_[menu.get()] = kTopLevel;
  FillMenu(menu.get(), top);
  icon_size_ = IconSize(x, y);
  TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, menu_owner_.get(), nullptr);
  // Lets the platform finish closing the menu before anything else takes the foreground.
  PostMessageW(menu_owner_.get(), WM_NULL, 0, 0);
  menu_owners_.clear();
  unfilled_.clear();
  item_icons_.clear();
  MSG command{};
  return PeekMessageW(&command, menu_owner_.get(), WM_COMMAND, WM_COMMAND, PM_NOREMOVE) != 0;
}

void Win32Desktop::FillMenu(HMENU menu, const std::vector<MenuEntry>& entries) {
  UINT position = 0;
  for (const MenuEntry& entry : entries) {
    std::u16string text = entry.text;
    MENUITEMINFOW item{};
    item.cbSize = sizeof(item);
    item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
    item.fType = entry.separator ? MFT_SEPARATOR : MFT_STRING;
    item.fState = (entry.is_default ? MFS_DEFAULT : 0u) | (entry.checked ? MFS_CHECKED : 0u) |
                  (entry.disabled ? MFS_DISABLED : 0u);
    item.wID = entry.command;
    if (entry.icon) {
      // Drawn by the menu's owner when the entry is drawn (WM_DRAWITEM): nothing is read before.
      item.fMask |= MIIM_BITMAP;
      item.hbmpItem = HBMMENU_CALLBACK;
    }
    item.dwTypeData = Wide(text.data());
    item.cch = static_cast<UINT>(text.size());
    // A submenu is filled only when it is about to open: a submenu of many thousand programs
    // then costs nothing until the user asks for it.
    UniqueMenu submenu;
    if (!entry.submenu.empty()) {
      submenu.reset(CreatePopupMenu());
      if (submenu) item.hSubMenu = submenu.get();
    }
    if (InsertMenuItemW(menu, position, TRUE, &item)) {
      ++position;
      if (submenu) {
        menu_owners_[submenu.get()] = entry.command;
        unfilled_[submenu.get()] = entry.submenu;
        submenu.release();  // now destroyed with its parent menu
      }
    }
  }
}

// Before Windows 10 1607 there is only the system's size.
int Win32Desktop::IconSize(int x, int y) {
  using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
  const auto metrics_for_dpi =
      LoadedFunction<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
  const std::optional<UINT> dpi = MonitorDpi(x, y);
  if (metrics_for_dpi != nullptr && dpi) return metrics_for_dpi(SM_CXSMICON, *dpi);
  return GetSystemMetrics(SM_CXSMICON);
}

void Win32Desktop::DrawItemIcon(const DRAWITEMSTRUCT& draw) {
  const auto command = static_cast<std::uint16_t>(draw.itemID);
  auto icon = item_icons_.find(command);
  if (icon == item_icons_.end()) {
    const IconSource source = events_ != nullptr ? events_->OnItemIcon(command) : IconSource{};
    if (!icons_) icons_.emplace();
    icon = item_icons_.emplace(command, icons_->Get(source, icon_size_)).first;
  }
  if (icon->second == nullptr) return;
  const int top = draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - icon_size_) / 2;
  DrawIconEx(draw.hDC, draw.rcItem.left, top, icon->second, icon_size_, icon_size_, 0, nullptr,
             DI_NORMAL);
}

void Win32Desktop::ForgetSubmenus(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int index = 0; index < count; ++index) {
    if (HMENU submenu = GetSubMenu(menu, index)) {
      ForgetSubmenus(submenu);
      menu_owners_.erase(submenu);
      unfilled_.erase(submenu);
    }
  }
}

void Win32Desktop::RebuildMenu(HMENU menu, const std::vector<MenuEntry>& entries) {
  ForgetSubmenus(menu);
  // DeleteMenu also destroys the submenus of the entries it removes.
  while (GetMenuItemCount(menu) > 0) DeleteMenu(menu, 0, MF_BYPOSITION);
  FillMenu(menu, entries);
}

HWND Win32Desktop::Window(Owner owner) const {
  switch (owner) {
    case Owner::kAppWindow:
      return app_window_.get();
    case Owner::kHostForm:
      return host_form_.get();
    case Owner::kMenuOwner:
      break;
  }
  return menu_owner_.get();
}

int Win32Desktop::ShowMessageBox(Owner owner, const std::u16string& text,
                                 const std::optional<std::u16string>& caption, unsigned flags) {
  return MessageBoxW(Window(owner), Wide(text), caption ? Wide(*caption) : nullptr, flags);
}

void Win32Desktop::PostQuit() {
  PostQuitMessage(0);
}

void Win32Desktop::EndProcess() {
  ExitProcess(0);
}

bool Win32Desktop::HandleMessage() {
  MSG message{};
  if (GetMessageW(&message, nullptr, 0, 0) <= 0) return false;
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return true;
}

bool Win32Desktop::ProcessPendingMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return false;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

bool Win32Desktop::SharedMessage(UINT message, WPARAM wparam, LRESULT& result) {
  switch (message) {
    case WM_CLOSE:
      if (events_ != nullptr) events_->OnCloseRequest();
      result = 0;
      return true;
    case WM_QUERYENDSESSION:
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      if (wparam && events_ != nullptr) events_->OnEndSession();
      result = 0;
      return true;
    case WM_HELP:
      result = TRUE;
      return true;
    default:
      return false;
  }
}

LRESULT Win32Desktop::AppWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (SharedMessage(message, wparam, result)) return result;
  switch (message) {
    case WM_SIZE:
      // Catches a restore from the taskbar (SC_RESTORE) and a ShowWindow(SW_RESTORE) alike.
      if (wparam == SIZE_MINIMIZED) {
        app_minimised_ = true;
      } else if (app_minimised_) {
        app_minimised_ = false;
        PostMessageW(window, kRestoredMessage, 0, 0);
      }
      break;
    case kRestoredMessage:
      if (events_ != nullptr) events_->OnRestore();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT Win32Desktop::HostFormMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (SharedMessage(message, wparam, result)) return result;
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE) {
        SetFocus(list_box_);
        PostMessageW(window, kHostActivatedMessage, 0, 0);
        return 0;
      }
      break;
    case kHostActivatedMessage:
      if (events_ != nullptr) events_->OnHostActivated();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT CALLBACK Win32Desktop::ListBoxProcedure(HWND window, UINT message, WPARAM wparam,
                                                LPARAM lparam) noexcept {
  auto* self = reinterpret_cast<Win32Desktop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  return self->Guarded(window, message, wparam, lparam, [&] {
    LRESULT result = 0;
    if (self->SharedMessage(message, wparam, result)) return result;
    return CallWindowProcW(self->list_box_procedure_, window, message, wparam, lparam);
  });
}

LRESULT Win32Desktop::MenuOwnerMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (SharedMessage(message, wparam, result)) return result;
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == 0 && lparam == 0) {
        if (events_ != nullptr) events_->OnCommand(LOWORD(wparam));
        return 0;
      }
      break;
    case WM_INITMENUPOPUP: {
      const auto menu = reinterpret_cast<HMENU>(wparam);
      const auto owner = menu_owners_.find(menu);
      if (HIWORD(lparam) != 0 || owner == menu_owners_.end() || events_ == nullptr) return 0;
      std::optional<std::vector<MenuEntry>> entries = events_->OnSubmenuOpening(owner->second);
      if (auto unfilled = unfilled_.find(menu); unfilled != unfilled_.end()) {
        if (!entries) entries = std::move(unfilled->second);
        unfilled_.erase(unfilled);
      }
      if (entries) RebuildMenu(menu, *entries);
      return 0;
    }
    case WM_MEASUREITEM: {
      // The room of a program entry's icon needs no file.
      auto& measure = *reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      if (measure.CtlType != ODT_MENU) break;
      measure.itemWidth = static_cast<UINT>(icon_size_);
      measure.itemHeight = static_cast<UINT>(icon_size_);
      return TRUE;
    }
    case WM_DRAWITEM: {
      const auto& draw = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (draw.CtlType != ODT_MENU) break;
      DrawItemIcon(draw);
      return TRUE;
    }
    case WM_MENUCHAR: {
      const auto menu = reinterpret_cast<HMENU>(lparam);
      const auto owner = menu_owners_.find(menu);
      if (owner == menu_owners_.end() || events_ == nullptr) return MNC_IGNORE;
      const int index = events_->OnMenuChar(owner->second, static_cast<char16_t>(LOWORD(wparam)),
                                            HighlightedItem(menu));
      return index < 0 ? MNC_IGNORE : MAKELRESULT(index, MNC_SELECT);
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace velmoro
