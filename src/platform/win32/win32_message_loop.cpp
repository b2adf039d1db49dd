#include "platform/win32/win32_desktop.h"

namespace velmoro {

void Win32Desktop::PostQuit() {
  PostQuitMessage(0);
}

void Win32Desktop::EndProcess() {
  ExitProcess(0);
}

bool Win32Desktop::HandleMessage() {
  MSG message{};
  if (GetMessageW(&message, nullptr, 0, 0) <= 0) return false;
  TranslateMessage(&message);
  DispatchMessageW(&message);
  return true;
}

bool Win32Desktop::ProcessPendingMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) return false;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return true;
}

}  // namespace velmoro
