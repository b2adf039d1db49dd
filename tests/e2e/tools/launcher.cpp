// launcher.exe <show-state>[@<window station>\<desktop>] <program> [args...]: starts the program
// with that show state, and that desktop, in its start-up information, waits for it and exits with
// its exit code.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Skips one argument of a raw command line and the blanks after it.
const char* SkipArgument(const char* text) {
  bool quoted = false;
  for (; *text != '\0' && (quoted || (*text != ' ' && *text != '\t')); ++text) {
    if (*text == '"') quoted = !quoted;
  }
  while (*text == ' ' || *text == '\t') ++text;
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: launcher <show-state>[@<desktop>] <program> [args...]\n");
    return 2;
  }
  // The rest of the raw command line is passed on untouched, quotes and all.
  std::string command = SkipArgument(SkipArgument(GetCommandLineA()));
  STARTUPINFOA startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(std::atoi(argv[1]));
  std::string desktop = argv[1];
  const std::size_t at = desktop.find('@');
  desktop = at == std::string::npos ? std::string() : desktop.substr(at + 1);
  if (!desktop.empty()) startup.lpDesktop = desktop.data();
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    std::fprintf(stderr, "launcher: cannot start %s (error %lu)\n", command.c_str(),
                 GetLastError());
    return 127;
  }
  const UniqueHandle thread(process.hThread);
  const UniqueHandle child(process.hProcess);
  WaitForSingleObject(child.get(), INFINITE);
  DWORD exit_code = 1;
  GetExitCodeProcess(child.get(), &exit_code);
  return static_cast<int>(exit_code);
}
