#include "catalogue/program_entry.h"

namespace velmoro {

std::string MakeProgramEntry(std::string_view display_name, std::string_view uninstall_command) {
  std::string entry;
  entry.reserve(display_name.size() + kEntrySeparator.size() + uninstall_command.size());
  entry.append(display_name).append(kEntrySeparator).append(uninstall_command);
  return entry;
}

std::string_view DisplayName(std::string_view entry) {
  const std::size_t separator = entry.find(kEntrySeparator);
  return separator == std::string_view::npos ? std::string_view() : entry.substr(0, separator);
}

std::string_view UninstallCommand(std::string_view entry) {
  const std::size_t separator = entry.find(kEntrySeparator);
  return separator == std::string_view::npos ? std::string_view()
                                             : entry.substr(separator + kEntrySeparator.size());
}

}  // namespace velmoro
