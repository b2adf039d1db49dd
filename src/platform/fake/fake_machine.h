#pragma once

#include <string>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_list_control.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_text.h"
#include "platform/platform.h"

namespace velmoro {

// A whole fake machine: every platform service, with the common application-data folder set
// up as a fresh Windows installation has it.
struct FakeMachine {
  static constexpr char kShellFolders[] =
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  static constexpr char kUninstall[] =
      "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  static constexpr char kDataDir[] = "C:\\ProgramData\\Quinsett\\Velmoro Uninstaller";

  explicit FakeMachine(bool two_views = true) : registry(two_views) {
    registry.SetString(kShellFolders, "Common AppData", "C:\\ProgramData");
    files.AddDirectory("C:\\ProgramData");
  }

  // A removable program under the uninstall key's subkey `key`.
  void AddProgram(const std::string& key, const std::string& name, const std::string& command,
                  FakeRegistry::View view = FakeRegistry::View::k64) {
    const std::string path = std::string(kUninstall) + "\\" + key;
    registry.SetString(path, "DisplayName", name, kRegSz, view);
    registry.SetString(path, "UninstallString", command, kRegSz, view);
  }

  static std::string DataFile(const char* name) { return std::string(kDataDir) + "\\" + name; }

  Platform platform() { return {registry, shell, desktop, files, list, text}; }

  FakeRegistry registry;
  FakeShell shell;
  FakeDesktop desktop;
  FakeFiles files;
  FakeListControl list;
  FakeText text;
};

}  // namespace velmoro
