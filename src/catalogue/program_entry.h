#pragma once

#include <string>
#include <string_view>

namespace velmoro {

// A program entry is display name + separator + uninstall command; readers split at the first
// separator.
inline constexpr std::string_view kEntrySeparator = "<#>";

std::string MakeProgramEntry(std::string_view display_name, std::string_view uninstall_command);
// Text before the first separator; empty when there is none.
std::string_view DisplayName(std::string_view entry);
// Text after the first separator; empty when there is none.
std::string_view UninstallCommand(std::string_view entry);

}  // namespace velmoro
