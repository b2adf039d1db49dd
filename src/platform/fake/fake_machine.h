#pragma once

#include <string>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_process.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_text.h"
#include "platform/fake/fake_threads.h"
#include "platform/platform.h"

namespace velmoro {

// A whole fake machine: every platform service, with the common application-data folder set
// up as a fresh Windows installation has it.
struct FakeMachine {
  static constexpr char16_t kShellFolders[] =
      u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  static constexpr char16_t kUninstall[] =
      u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  static constexpr char16_t kUserUninstall[] =
      u"HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  static constexpr char16_t kDataDir[] = u"C:\\ProgramData\\Quinsett\\Velmoro Uninstaller";

  explicit FakeMachine(bool two_views = true) : registry(two_views) {
    registry.SetString(kShellFolders, u"Common AppData", u"C:\\ProgramData");
    files.AddDirectory(u"C:\\ProgramData");
    files.AddDirectory(files.local_app_data);
  }

  // A removable program under the subkey `key` of an uninstall key (the machine's by default).
  void AddProgram(const std::u16string& key, const std::u16string& name,
                  const std::u16string& command, FakeRegistry::View view = FakeRegistry::View::k64,
                  const char16_t* uninstall = kUninstall) {
    const std::u16string path = uninstall + (u"\\" + key);
    registry.SetString(path, u"DisplayName", name, kRegSz, view);
    registry.SetString(path, u"UninstallString", command, kRegSz, view);
  }

  static std::u16string DataFile(const char16_t* name) {
    return kDataDir + (u"\\" + std::u16string(name));
  }

  Platform platform() { return {registry, shell, desktop, files, text, threads, process}; }

  FakeRegistry registry;
  FakeShell shell;
  FakeDesktop desktop;
  FakeFiles files;
  FakeText text;
  FakeThreads threads;
  FakeProcess process;
};

}  // namespace velmoro
