#pragma once

#include <stdexcept>
#include <string>

namespace velmoro {

// A failure to open, create or write one of the list files; its message is shown to the user.
class FileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace velmoro
