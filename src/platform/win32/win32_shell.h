#pragma once

#include "platform/shell_api.h"

namespace velmoro {

class Win32Shell final : public ShellApi {
 public:
  void OpenWithShell(const std::u16string& file, const std::optional<std::u16string>& parameters,
                     const std::optional<std::u16string>& directory) override;
  std::u16string ExpandEnvironment(const std::u16string& text) override;
  std::u16string SystemFolder() override;
  std::u16string WindowsFolder() override;
};

}  // namespace velmoro
