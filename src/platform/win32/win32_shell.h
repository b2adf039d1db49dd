#pragma once

#include "platform/shell_api.h"
#include "platform/win32/win32_desktop.h"

namespace velmoro {

class Win32Shell final : public ShellApi {
 public:
  // The desktop's windows own what the shell shows for a start.
  explicit Win32Shell(const Win32Desktop& desktop) : desktop_(desktop) {}

  void OpenWithShell(Owner owner, const std::u16string& file,
                     const std::optional<std::u16string>& parameters,
                     const std::optional<std::u16string>& directory) override;
  bool OpenAsDesktopUser(const std::u16string& file) override;
  std::u16string ExpandEnvironment(const std::u16string& text) override;
  std::u16string SystemFolder() override;
  std::u16string WindowsFolder() override;

 private:
  const Win32Desktop& desktop_;
};

}  // namespace velmoro
