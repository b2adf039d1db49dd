// Stands in for an installed program whose icon the menu draws: only its icon resource matters.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  return 0;
}
