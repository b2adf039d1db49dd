#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmoro {

// The index of the first entry whose display name equals `name` byte for byte.
std::optional<std::size_t> FindEntryByDisplayName(const std::vector<std::string>& program_list,
                                                  std::string_view name);

}  // namespace velmoro
