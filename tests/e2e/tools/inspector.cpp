// Reports and drives the visible top-level windows for the end-to-end tests.
//   inspector list                        one JSON object per visible top-level window
//   inspector press <caption> <button>    clicks a button of the visible window with that caption
//   inspector restore <title>             posts SC_RESTORE, as a click on the taskbar button does
//   inspector close <title>               posts WM_CLOSE
// Exit code 0 on success, 1 when there is no such window, 2 on a usage error.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr UINT kTimeoutMs = 2000;

// Window texts come in the ANSI code page; JSON wants UTF-8.
std::string ToUtf8(const std::string& text) {
  if (text.empty()) return text;
  const int wide_length =
      MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(wide_length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      wide_length);
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, utf8.data(), length, nullptr, nullptr);
  return utf8;
}

std::string Json(const std::string& text) {
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

std::vector<HWND> VisibleTopLevelWindows() {
  std::vector<HWND> windows;
  EnumWindows(
      [](HWND window, LPARAM found) -> BOOL {
        if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
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

HWND FindVisibleWindow(const std::string& caption) {
  for (HWND window : VisibleTopLevelWindows()) {
    if (Text(window) == caption) return window;
  }
  return nullptr;
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
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    RECT rect{};
    GetWindowRect(window, &rect);
    std::string line =
        "{\"hwnd\":" + std::to_string(reinterpret_cast<UINT_PTR>(window)) +
        ",\"pid\":" + std::to_string(pid) + ",\"class\":" + Json(ClassName(window)) +
        ",\"caption\":" + Json(Text(window)) + ",\"rect\":{\"left\":" + std::to_string(rect.left) +
        ",\"top\":" + std::to_string(rect.top) + ",\"right\":" + std::to_string(rect.right) +
        ",\"bottom\":" + std::to_string(rect.bottom) +
        "},\"iconic\":" + (IsIconic(window) ? "true" : "false") + ",\"children\":[";
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

int Press(const std::string& caption, const std::string& button_text) {
  HWND window = FindVisibleWindow(caption);
  if (window == nullptr) return 1;
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

int Post(const std::string& title, UINT message, WPARAM wparam) {
  HWND window = FindWindowA(nullptr, title.c_str());
  if (window == nullptr) return 1;
  return PostMessageA(window, message, wparam, 0) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  int result = 2;
  if (args.size() == 1 && args[0] == "list") result = List();
  if (args.size() == 3 && args[0] == "press") result = Press(args[1], args[2]);
  if (args.size() == 2 && args[0] == "restore") result = Post(args[1], WM_SYSCOMMAND, SC_RESTORE);
  if (args.size() == 2 && args[0] == "close") result = Post(args[1], WM_CLOSE, 0);
  if (result == 2) std::fprintf(stderr, "usage: inspector list|press|restore|close ...\n");
  std::fflush(stdout);
  return result;
}
