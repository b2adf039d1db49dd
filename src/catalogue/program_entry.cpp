#include "catalogue/program_entry.h"

namespace velmoro {

std::u16string MakeProgramEntry(std::u16string_view display_name,
                                std::u16string_view uninstall_command) {
  const std::u16string_view separator = kEntrySeparator<char16_t>;
  std::u16string entry;
  entry.reserve(display_name.size() + separator.size() + uninstall_command.size());
  entry.append(display_name).append(separator).append(uninstall_command);
  return entry;
}

std::u16string_view UninstallCommand(std::u16string_view entry) {
  const std::u16string_view separator = kEntrySeparator<char16_t>;
  const std::size_t at = entry.find(separator);
  return at == entry.npos ? std::u16string_view() : entry.substr(at + separator.size());
}

std::optional<std::size_t> FindEntryByDisplayName(const std::vector<std::string>& entries,
                                                  std::string_view name) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (DisplayName(entries[i]) == name) return i;
  }
  return std::nullopt;
}

}  // namespace velmoro
