// Stands for the user's logon session: keeps the desktop shell's process running until it is
// ended, as Explorer runs throughout a Windows session (Wine ends its desktop process once no
// program is left). What that process starts inherits this tool's environment, so a recorder it
// starts writes the log this tool was given.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Asking for the shell's window makes Wine start the desktop process.
  GetShellWindow();
  Sleep(INFINITE);
  return 0;
}
