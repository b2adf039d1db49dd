#include <stdexcept>

#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_wide.h"

namespace velmoro {
namespace {

constexpr wchar_t kAppWindowClass[] = L"VelmoroApplication";
constexpr wchar_t kHostFormClass[] = L"TForm1";
constexpr wchar_t kMenuOwnerClass[] = L"VelmoroMenuOwner";
constexpr wchar_t kHostFormCaption[] = L"Velmoro Uninstall";
// The program's icon, the first icon resource.
constexpr int kProgramIcon = 1;

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
  host_form_ = MakeWindow(0, kHostFormClass, kHostFormCaption, WS_OVERLAPPEDWINDOW, 0, 0, 0, 0,
                          app_window_.get());
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

bool Win32Desktop::SharedMessage(UINT message, WPARAM wparam, LRESULT& result) {
  switch (message) {
    case WM_CLOSE:
      if (events_ != nullptr) events_->OnEndAsked();
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

// The form has no control: the platform's default handling of its activation gives the form
// itself the keyboard focus.
LRESULT Win32Desktop::HostFormMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  if (SharedMessage(message, wparam, result)) return result;
  switch (message) {
    case WM_GETMINMAXINFO:
      // A resizable window is kept at least the minimum tracking width, wider than the form at
      // some scales: placed left of the virtual screen, it would reach onto the leftmost monitor.
      reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = POINT{0, 0};
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE) PostMessageW(window, kHostActivatedMessage, 0, 0);
      break;
    case kHostActivatedMessage:
      if (events_ != nullptr) events_->OnHostActivated();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
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
    case WM_INITMENUPOPUP:
      SubmenuOpening(reinterpret_cast<HMENU>(wparam), HIWORD(lparam) != 0);
      return 0;
    case WM_MEASUREITEM:
      if (MeasureItemIcon(*reinterpret_cast<MEASUREITEMSTRUCT*>(lparam))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (DrawItemIcon(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam))) return TRUE;
      break;
    case WM_MENUCHAR:
      return MenuChar(reinterpret_cast<HMENU>(lparam), static_cast<char16_t>(LOWORD(wparam)));
    case WM_MENUSELECT:
      MenuSelected(reinterpret_cast<HMENU>(lparam), LOWORD(wparam), HIWORD(wparam));
      return 0;
    case WM_UNINITMENUPOPUP:
      SubmenuClosed(reinterpret_cast<HMENU>(wparam));
      return 0;
    case kShowProgramMenuMessage:
      ShowPendingProgramMenu();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace velmoro
