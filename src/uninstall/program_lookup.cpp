#include "uninstall/program_lookup.h"

#include "catalogue/program_entry.h"

namespace velmoro {

std::optional<std::size_t> FindEntryByDisplayName(const std::vector<std::string>& program_list,
                                                  std::string_view name) {
  for (std::size_t i = 0; i < program_list.size(); ++i) {
    if (DisplayName(program_list[i]) == name) return i;
  }
  return std::nullopt;
}

}  // namespace velmoro
