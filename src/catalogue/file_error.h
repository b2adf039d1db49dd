#pragma once

#include <stdexcept>
#include <string>

namespace velmoro {

// A failure to open, create or write one of the list files. Its message, shown to the user, names
// the file by its full path; what() gives only the kind of failure.
class FileError : public std::runtime_error {
 public:
  FileError(const char* kind, std::u16string message)
      : std::runtime_error(kind), message_(std::move(message)) {}

  const std::u16string& message() const { return message_; }

 private:
  std::u16string message_;
};

}  // namespace velmoro
