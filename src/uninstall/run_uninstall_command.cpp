#include "uninstall/run_uninstall_command.h"

#include "uninstall/command_split.h"

namespace velmoro {

namespace {

// The full path of a program named without a folder, found in one of the system's own folders;
// the name unchanged otherwise. A name without an extension is looked for as a program too, as
// the shell would.
std::u16string InSystemFolders(const std::u16string& program, const std::u16string& system_folder,
                               ShellApi& shell, FileApi& files) {
  if (program.empty() || program.find_first_of(u"\\/:*?") != program.npos) return program;
  for (const std::u16string& folder : {system_folder, shell.WindowsFolder()}) {
    if (folder.empty()) continue;
    const std::u16string path = folder + (folder.back() == u'\\' ? u"" : u"\\") + program;
    if (files.FileExists(path)) return path;
    if (program.find(u'.') == program.npos && files.FileExists(path + u".exe")) {
      return path + u".exe";
    }
  }
  return program;
}

}  // namespace

std::optional<LaunchCommand> ProgramToStart(std::u16string command, ShellApi& shell, FileApi& files,
                                            TextApi& text) {
  std::optional<LaunchCommand> launch = SplitUninstallCommand(std::move(command), text);
  if (launch) launch->file = InSystemFolders(launch->file, shell.SystemFolder(), shell, files);
  return launch;
}

void RunUninstallCommand(ShellApi& shell, FileApi& files, TextApi& text, std::u16string command) {
  const std::optional<LaunchCommand> launch =
      ProgramToStart(std::move(command), shell, files, text);
  if (!launch) return;
  const std::u16string system_folder = shell.SystemFolder();
  shell.OpenWithShell(Owner::kMenuOwner, launch->file, launch->parameters,
                      system_folder.empty() ? std::nullopt : std::optional(system_folder));
}

std::u16string CommandToRun(const ProgramEntry& entry, ShellApi& shell) {
  return entry.expand_command ? shell.ExpandEnvironment(entry.command) : entry.command;
}

}  // namespace velmoro
