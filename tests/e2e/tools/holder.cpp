// holder.exe <path> none|read: opens an existing file the way another program may hold it: with
// no sharing at all, or sharing it with readers only. Prints "holding" once it has the file and
// keeps it until it is ended.
#include <windows.h>

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: holder <path> none|read\n");
    return 2;
  }
  const DWORD sharing = std::string(argv[2]) == "read" ? FILE_SHARE_READ : 0;
  HANDLE file = CreateFileA(argv[1], GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  std::printf("holding\n");
  std::fflush(stdout);
  Sleep(INFINITE);
  return 0;
}
