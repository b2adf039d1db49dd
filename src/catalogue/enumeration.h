#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/registry_api.h"

namespace velmoro {

inline constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Reads every removable program of the machine-wide uninstall key into program entries, in
// enumeration order (64-bit view first, then the 32-bit view, where the system has two). An error
// inside one subkey skips that subkey only. `after_append` runs after every entry appended.
std::vector<std::string> EnumeratePrograms(RegistryApi& registry,
                                           const std::function<void()>& after_append);

}  // namespace velmoro
