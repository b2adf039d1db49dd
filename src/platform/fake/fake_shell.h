#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell_api.h"

namespace velmoro {

// Records every shell open; expands "%NAME%" from its own environment, names compared with ASCII
// letter case ignored, leaving unknown references as they are.
class FakeShell : public ShellApi {
 public:
  struct Call {
    std::u16string file;
    std::optional<std::u16string> parameters;
    bool operator==(const Call&) const = default;
  };

  void OpenWithShell(const std::u16string& file,
                     const std::optional<std::u16string>& parameters) override {
    calls.push_back({file, parameters});
  }
  std::u16string ExpandEnvironment(const std::u16string& text) override;

  std::vector<Call> calls;
  // By upper-case name.
  std::map<std::u16string, std::u16string> environment;
};

}  // namespace velmoro
