// Reports and drives the visible top-level windows for the end-to-end tests.
//   inspector list                        one JSON object per visible top-level window, its texts
//                                         in the ANSI code page
//   inspector press <caption> <button>    clicks a button of the visible window with that caption
//   inspector restore <title>             posts SC_RESTORE, as a click on the taskbar button does
// Exit code 0 on success, 1 when there is no such window, 2 on a usage error.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr UINT kTimeoutMs = 2000;

std::string Json(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned char>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::string ClassName(HWND window) {
  char name[256] = {};
  const int length = GetClassNameA(window, name, sizeof(name));
  return std::string(name, static_cast<std::size_t>(length > 0 ? length : 0));
}

// WM_GETTEXT reaches controls of other processes, which GetWindowTextA does not read.
std::string Text(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &length)) {
    return {};
  }
  std::string text(length + 1, '\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, kTimeoutMs, &copied)) {
    return {};
  }
  text.resize(copied);
  return text;
}

BOOL CALLBACK Collect(HWND window, LPARAM found) {
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

std::vector<HWND> VisibleTopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&windows));
  std::erase_if(windows, [](HWND window) { return !IsWindowVisible(window); });
  return windows;
}

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&children));
  return children;
}

std::string WithoutAccessMarks(const std::string& text) {
  std::string plain;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    plain += text[i];
  }
  return plain;
}

int List() {
  for (HWND window : VisibleTopLevelWindows()) {
    std::string line = "{\"hwnd\":" + std::to_string(reinterpret_cast<UINT_PTR>(window)) +
                       ",\"class\":" + Json(ClassName(window)) + ",\"caption\":" +
                       Json(Text(window)) + ",\"iconic\":" + (IsIconic(window) ? "true" : "false") +
                       ",\"children\":[";
    for (HWND child : Children(window)) {
      if (line.back() == '}') line += ",";
      line += "{\"class\":" + Json(ClassName(child)) +
              ",\"id\":" + std::to_string(GetDlgCtrlID(child) & 0xFFFF) +
              ",\"text\":" + Json(Text(child)) + "}";
    }
    std::printf("%s]}\n", line.c_str());
  }
  return 0;
}

int Press(const std::string& caption, const std::string& button_text) {
  for (HWND window : VisibleTopLevelWindows()) {
    if (Text(window) != caption) continue;
    for (HWND child : Children(window)) {
      const std::string text = Text(child);
      if (ClassName(child) == "Button" &&
          (text == button_text || WithoutAccessMarks(text) == button_text)) {
        SetForegroundWindow(window);
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(child, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &ignored);
        return 0;
      }
    }
    return 1;
  }
  return 1;
}

int Restore(const std::string& title) {
  HWND window = FindWindowA(nullptr, title.c_str());
  return window != nullptr && PostMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  int result = 2;
  if (args.size() == 1 && args[0] == "list") result = List();
  if (args.size() == 3 && args[0] == "press") result = Press(args[1], args[2]);
  if (args.size() == 2 && args[0] == "restore") result = Restore(args[1]);
  if (result == 2) std::fprintf(stderr, "usage: inspector list|press|restore ...\n");
  std::fflush(stdout);
  return result;
}
