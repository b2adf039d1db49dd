#include "app/error_display.h"

namespace velmoro {

std::u16string ErrorDisplayText(const std::u16string& message) {
  if (!message.empty() && message.back() > u'.') return message + u".";
  return message;
}

}  // namespace velmoro
