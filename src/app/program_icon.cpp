#include "app/program_icon.h"

#include "catalogue/display_icon.h"
#include "catalogue/fixed_drive.h"
#include "catalogue/program_details.h"
#include "uninstall/command_split.h"
#include "uninstall/run_uninstall_command.h"

namespace velmoro {

namespace {

// The text after the last "\" or "/".
std::u16string_view FileName(std::u16string_view path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  return slash == path.npos ? path : path.substr(slash + 1);
}

bool EqualsIgnoringCase(std::u16string text, std::u16string_view upper, TextApi& case_map) {
  case_map.UpperCase(text);
  return text == upper;
}

}  // namespace

IconSource ProgramIcon(const ProgramEntry& entry, Platform& platform) {
  const IconSource generic;
  if (const auto location =
          ParseDisplayIcon(ReadDisplayIcon(entry, platform.registry, platform.shell))) {
    const auto full = OnFixedDrive(location->path, platform.files);
    if (!full) return generic;
    return {IconSource::Kind::kFile, *full, location->index};
  }
  const auto launch = SplitUninstallCommand(CommandToRun(entry, platform.shell), platform.text);
  if (!launch) return generic;
  const std::u16string name(FileName(launch->file));
  if (EqualsIgnoringCase(name, u"MSIEXEC.EXE", platform.text) ||
      EqualsIgnoringCase(name, u"MSIEXEC", platform.text)) {
    const std::u16string system = platform.shell.SystemFolder();
    if (system.empty()) return generic;
    return {IconSource::Kind::kFile, system + u"\\msiexec.exe", 0};
  }
  if (name.size() < 4 ||
      !EqualsIgnoringCase(name.substr(name.size() - 4), u".EXE", platform.text)) {
    return generic;
  }
  const auto full = OnFixedDrive(launch->file, platform.files);
  if (!full || platform.files.ProbePath(*full) != PathKind::kFile) return generic;
  return {IconSource::Kind::kFile, *full, 0};
}

}  // namespace velmoro
