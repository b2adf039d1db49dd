// Stands in for an uninstaller, Updater.exe or a URL handler: appends its own path and its whole
// command line, as the wide calls give them, to a log in UTF-8, one line per start, and exits.
#include <windows.h>

#include <memory>
#include <string>

#include "utf8.h"

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::string LogPath() {
  const DWORD needed = GetEnvironmentVariableA("VELMORO_RECORDER_LOG", nullptr, 0);
  if (needed == 0) return "C:\\recorder.log";
  std::string path(needed, '\0');
  const DWORD length = GetEnvironmentVariableA("VELMORO_RECORDER_LOG", path.data(), needed);
  path.resize(length);
  return path;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const std::string line = ToUtf8(ModulePath() + L"\t" + GetCommandLineW() + L"\r\n");
  const std::string log = LogPath();
  // Several copies may start at once: each holds the log alone while it appends its line.
  for (int attempt = 0; attempt < 400; ++attempt) {
    HANDLE opened = CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened != INVALID_HANDLE_VALUE) {
      const UniqueHandle file(opened);
      DWORD written = 0;
      const BOOL ok =
          WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      return ok && written == line.size() ? 0 : 1;
    }
    if (GetLastError() != ERROR_SHARING_VIOLATION) return 1;
    Sleep(25);
  }
  return 1;
}
