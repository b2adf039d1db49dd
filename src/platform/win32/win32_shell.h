#pragma once

#include "platform/shell_api.h"

namespace velmoro {

class Win32Shell final : public ShellApi {
 public:
  void OpenWithShell(const std::string& file,
                     const std::optional<std::string>& parameters) override;
};

}  // namespace velmoro
