#include "uninstall/command_split.h"

#include <algorithm>

namespace velmoro {

namespace {

bool EndsWord(const std::u16string& command, std::size_t index) {
  return index >= command.size() || command[index] == u' ' || command[index] == u'\t' ||
         command[index] == u'"';
}

// File and parameters around the character at `separator`, which belongs to neither.
LaunchCommand SplitAt(const std::u16string& command, std::size_t separator) {
  if (separator >= command.size()) return {command, std::u16string()};
  return {command.substr(0, separator), command.substr(separator + 1)};
}

}  // namespace

std::optional<LaunchCommand> SplitUninstallCommand(std::u16string command, TextApi& text) {
  command.erase(0, std::min(command.find_first_not_of(u' '), command.size()));
  const bool quoted = !command.empty() && command.front() == u'"';
  // A folder name may hold ".exe " itself: what the quotes hold is the program.
  if (const std::size_t closing = quoted ? command.find(u'"', 1) : command.npos;
      closing != command.npos) {
    if (closing == 1) return std::nullopt;
    return LaunchCommand{command.substr(1, closing - 1), command.substr(closing + 1)};
  }
  if (quoted) command.erase(0, 1);
  if (command.empty()) return std::nullopt;

  for (std::size_t p = 0; p + 4 <= command.size(); ++p) {
    if (command[p] != u'.' || !EndsWord(command, p + 4)) continue;
    std::u16string extension = command.substr(p, 4);
    text.UpperCase(extension);
    if (extension == u".EXE" || extension == u".MSI") return SplitAt(command, p + 4);
  }

  // No program extension: the first word is what the shell is asked to open.
  return SplitAt(command, command.find(quoted ? u'"' : u' '));
}

}  // namespace velmoro
