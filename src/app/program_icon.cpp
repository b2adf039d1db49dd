#include "app/program_icon.h"

#include "catalogue/display_icon.h"
#include "catalogue/fixed_drive.h"
#include "catalogue/program_details.h"
#include "uninstall/run_uninstall_command.h"

namespace velmoro {

IconSource ProgramIcon(const ProgramEntry& entry, Platform& platform) {
  const IconSource generic;
  if (const auto location =
          ParseDisplayIcon(ReadDisplayIcon(entry, platform.registry, platform.shell))) {
    const auto full = OnFixedDrive(location->path, platform.files);
    if (!full) return generic;
    return {IconSource::Kind::kFile, *full, location->index};
  }
  // The icon of the program the command starts.
  const auto launch = ProgramToStart(CommandToRun(entry, platform.shell), platform.shell,
                                     platform.files, platform.text);
  if (!launch || launch->file.size() < 4) return generic;
  std::u16string extension = launch->file.substr(launch->file.size() - 4);
  platform.text.UpperCase(extension);
  if (extension != u".EXE") return generic;
  const auto full = OnFixedDrive(launch->file, platform.files);
  if (!full || platform.files.ProbePath(*full) != PathKind::kFile) return generic;
  return {IconSource::Kind::kFile, *full, 0};
}

}  // namespace velmoro
