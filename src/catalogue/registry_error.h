#pragma once

#include <stdexcept>

namespace velmoro {

// Raised by the registry reader's string and integer reads.
class RegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace velmoro
