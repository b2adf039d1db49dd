// Reports and drives the top-level windows for the end-to-end tests. A window is named by its
// caption, or by its class as "class=<name>" (hidden windows included). Texts are UTF-8.
//   inspector list                        one JSON object per visible top-level window
//   inspector press <caption> <button>    clicks a button of the visible window with that caption
//   inspector restore <window>            posts SC_RESTORE, as a click on the taskbar button does,
//                                         to a minimised window of that name where there is one
//   inspector close <window>              posts WM_CLOSE
//   inspector endsession <window>         sends WM_QUERYENDSESSION, then WM_ENDSESSION (TRUE), to
//                                         every top-level window of that window's process, as the
//                                         system does when the logon ends
// Exit code 0 on success, 1 when there is no such window, 2 on a usage error.
#include <windows.h>
// shellapi.h builds on the types of windows.h.
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

#include "utf8.h"

namespace {

constexpr UINT kTimeoutMs = 2000;

std::string Json(const std::wstring& text) {
  std::string out = "\"";
  for (const char c : ToUtf8(text)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

// WM_GETTEXT reaches controls of other processes, which GetWindowTextW does not read.
std::wstring Text(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &length)) {
    return {};
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kTimeoutMs, &copied)) {
    return {};
  }
  text.resize(copied);
  return text;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND window, LPARAM found) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::vector<HWND> VisibleTopLevelWindows() {
  std::vector<HWND> windows;
  for (HWND window : TopLevelWindows()) {
    if (IsWindowVisible(window)) windows.push_back(window);
  }
  return windows;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(
      parent,
      [](HWND window, LPARAM found) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&children));
  return children;
}

HWND FindVisibleWindow(const std::wstring& caption) {
  for (HWND window : VisibleTopLevelWindows()) {
    if (Text(window) == caption) return window;
  }
  return nullptr;
}

HWND FindNamedWindow(const std::wstring& name) {
  const std::wstring by_class = L"class=";
  if (name.rfind(by_class, 0) == 0)
    return FindWindowW(name.substr(by_class.size()).c_str(), nullptr);
  return FindWindowW(nullptr, name.c_str());
}

// Of two copies of a program, the one whose taskbar button is to be clicked.
int Restore(const std::wstring& caption) {
  HWND found = nullptr;
  for (HWND window : TopLevelWindows()) {
    if (Text(window) == caption && (found == nullptr || IsIconic(window))) found = window;
  }
  if (found == nullptr) return 1;
  return PostMessageW(found, WM_SYSCOMMAND, SC_RESTORE, 0) ? 0 : 1;
}

std::wstring WithoutAccessMarks(const std::wstring& text) {
  std::wstring plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    plain += text[i];
  }
  return plain;
}

int List() {
  for (HWND window : VisibleTopLevelWindows()) {
    std::string line = "{\"hwnd\":" + std::to_string(reinterpret_cast<UINT_PTR>(window)) +
                       ",\"class\":" + Json(ClassName(window)) +
                       ",\"caption\":" + Json(Text(window)) +
                       ",\"iconic\":" + (IsIconic(window) ? "true" : "false") + ",\"children\":[";
    bool first = true;
    for (HWND child : Children(window)) {
      if (!first) line += ",";
      first = false;
      line += "{\"class\":" + Json(ClassName(child)) +
              ",\"id\":" + std::to_string(GetDlgCtrlID(child) & 0xFFFF) +
              ",\"text\":" + Json(Text(child)) + "}";
    }
    std::printf("%s]}\n", line.c_str());
  }
  return 0;
}

int Press(const std::wstring& caption, const std::wstring& button_text) {
  HWND window = FindVisibleWindow(caption);
  if (window == nullptr) return 1;
  for (HWND child : Children(window)) {
    const std::wstring text = Text(child);
    if (ClassName(child) == L"Button" &&
        (text == button_text || WithoutAccessMarks(text) == button_text)) {
      SetForegroundWindow(window);
      DWORD_PTR ignored = 0;
      SendMessageTimeoutA(child, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &ignored);
      return 0;
    }
  }
  return 1;
}

int Post(const std::wstring& name, UINT message, WPARAM wparam) {
  HWND window = FindNamedWindow(name);
  if (window == nullptr) return 1;
  return PostMessageW(window, message, wparam, 0) ? 0 : 1;
}

int EndSession(const std::wstring& name) {
  HWND target = FindNamedWindow(name);
  if (target == nullptr) return 1;
  DWORD process = 0;
  GetWindowThreadProcessId(target, &process);
  std::vector<HWND> windows;
  for (HWND window : TopLevelWindows()) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process) windows.push_back(window);
  }
  DWORD_PTR ignored = 0;
  for (HWND window : windows) {
    SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                        kTimeoutMs, &ignored);
  }
  for (HWND window : windows) {
    SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                        kTimeoutMs, &ignored);
  }
  return 0;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  const std::vector<std::wstring> args(argv + 1, argv + count);
  LocalFree(argv);
  int result = 2;
  if (args.size() == 1 && args[0] == L"list") result = List();
  if (args.size() == 3 && args[0] == L"press") result = Press(args[1], args[2]);
  if (args.size() == 2 && args[0] == L"restore") result = Restore(args[1]);
  if (args.size() == 2 && args[0] == L"close") result = Post(args[1], WM_CLOSE, 0);
  if (args.size() == 2 && args[0] == L"endsession") result = EndSession(args[1]);
  if (result == 2)
    std::fprintf(stderr, "usage: inspector list|press|restore|close|endsession ...\n");
  std::fflush(stdout);
  return result;
}
