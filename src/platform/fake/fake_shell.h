#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell_api.h"

namespace velmoro {

enum class DesktopShell { kOpens, kFails, kNeverAnswers };

// Records every shell open; expands "%NAME%" from its own environment, names compared with ASCII
// letter case ignored, leaving unknown references as they are.
class FakeShell : public ShellApi {
 public:
  struct Call {
    std::u16string file;
    std::optional<std::u16string> parameters;
    std::optional<std::u16string> directory;
    // The owner window of a call to ShellExecuteExW; nothing for one through the desktop shell.
    std::optional<Owner> owner = Owner::kMenuOwner;
    bool operator==(const Call&) const = default;
  };

  void OpenWithShell(Owner owner, const std::u16string& file,
                     const std::optional<std::u16string>& parameters,
                     const std::optional<std::u16string>& directory) override {
    calls.push_back({file, parameters, directory, owner});
  }
  bool OpenAsDesktopUser(const std::u16string& file) override {
    if (desktop_shell != DesktopShell::kOpens) return false;
    calls.push_back({file, std::nullopt, std::nullopt, std::nullopt});
    return true;
  }
  std::u16string ExpandEnvironment(const std::u16string& text) override;
  std::u16string SystemFolder() override { return system_folder; }
  std::u16string WindowsFolder() override { return windows_folder; }

  std::vector<Call> calls;
  // Whether the desktop shell's process opens files for the program. One that never answers
  // leaves the call to end at its bound, unanswered, as one that fails ends it at once.
  DesktopShell desktop_shell = DesktopShell::kOpens;
  // By upper-case name.
  std::map<std::u16string, std::u16string> environment;
  std::u16string system_folder = u"C:\\Windows\\system32";
  std::u16string windows_folder = u"C:\\Windows";
};

}  // namespace velmoro
