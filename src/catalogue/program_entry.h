#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmoro {

// A program entry is display name + separator + uninstall command; readers split at the first
// separator. The same rule holds for an entry's 8-bit form in the data files.
template <typename Char>
inline constexpr Char kEntrySeparator[] = {'<', '#', '>', '\0'};

// One program of the program list.
struct ProgramEntry {
  std::u16string text;          // the entry, exactly as the registry's values give it
  bool expand_command = false;  // "UninstallString" is REG_EXPAND_SZ
  bool per_user = false;        // listed from the current user's key, never remembered
};

std::u16string MakeProgramEntry(std::u16string_view display_name,
                                std::u16string_view uninstall_command);

// Text before the first separator; empty when there is none.
template <typename Char>
std::basic_string_view<Char> DisplayName(std::basic_string_view<Char> entry) {
  const std::size_t separator = entry.find(kEntrySeparator<Char>);
  return separator == entry.npos ? std::basic_string_view<Char>() : entry.substr(0, separator);
}
inline std::u16string_view DisplayName(const std::u16string& entry) {
  return DisplayName(std::u16string_view(entry));
}
inline std::string_view DisplayName(const std::string& entry) {
  return DisplayName(std::string_view(entry));
}

// Text after the first separator; empty when there is none.
std::u16string_view UninstallCommand(std::u16string_view entry);

// The index of the first entry whose display name equals `name`.
std::optional<std::size_t> FindEntryByDisplayName(const std::vector<std::string>& entries,
                                                  std::string_view name);

}  // namespace velmoro
