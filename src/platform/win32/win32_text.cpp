#include "platform/win32/win32_text.h"

#include <windows.h>

namespace velmoro {

void Win32Text::UpperCase(std::string& text) {
  if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
}

bool Win32Text::IsDbcsLeadByte(char byte) {
  return IsDBCSLeadByte(static_cast<BYTE>(byte)) != 0;
}

}  // namespace velmoro
