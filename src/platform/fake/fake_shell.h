#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/shell_api.h"

namespace velmoro {

// Records every shell open.
class FakeShell : public ShellApi {
 public:
  struct Call {
    std::string file;
    std::optional<std::string> parameters;
    bool operator==(const Call&) const = default;
  };

  void OpenWithShell(const std::string& file,
                     const std::optional<std::string>& parameters) override {
    calls.push_back({file, parameters});
  }

  std::vector<Call> calls;
};

}  // namespace velmoro
