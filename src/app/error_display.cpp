#include "app/error_display.h"

#include <new>

#include "catalogue/file_error.h"

namespace velmoro {

namespace {

// The messages of the standard library's errors and of the registry reader are ASCII; another
// byte is no character the program can name.
std::u16string Widen(const char* message) {
  std::u16string wide;
  for (; *message != '\0'; ++message) {
    const auto byte = static_cast<unsigned char>(*message);
    wide += byte < 0x80 ? static_cast<char16_t>(byte) : u'?';
  }
  return wide;
}

}  // namespace

std::u16string ErrorDisplayText(const std::u16string& message) {
  if (!message.empty() && message.back() > u'.') return message + u".";
  return message;
}

std::u16string FailureMessage(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const FileError& error) {
    return error.message();
  } catch (const std::bad_alloc&) {
    return u"Out of memory";
  } catch (const std::exception& error) {
    return Widen(error.what());
  } catch (...) {
    return u"Unknown error";
  }
}

}  // namespace velmoro
