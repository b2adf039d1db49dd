#pragma once

#include "platform/shell_api.h"

namespace velmoro {

class Win32Shell final : public ShellApi {
 public:
  void OpenWithShell(const std::u16string& file,
                     const std::optional<std::u16string>& parameters) override;
  std::u16string ExpandEnvironment(const std::u16string& text) override;
};

}  // namespace velmoro
