// Stands for the user's logon session: keeps the desktop shell's process running until it is
// ended, as Explorer runs throughout a Windows session. Wine ends its desktop process once no
// program is left, and starts one when a program needs the desktop: this tool asks for it now and
// then, so that one runs whenever it has gone, started by this tool. What that process starts
// inherits this tool's environment, so a recorder it starts writes the log this tool was given.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  for (;;) {
    GetDesktopWindow();
    GetShellWindow();
    Sleep(250);
  }
}
