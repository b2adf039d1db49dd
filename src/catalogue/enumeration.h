#pragma once

#include <functional>
#include <vector>

#include "catalogue/program_entry.h"
#include "platform/registry_api.h"
#include "platform/thread_api.h"

namespace velmoro {

inline constexpr char16_t kUninstallKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Reads every removable program into program entries, in enumeration order: the machine-wide
// uninstall key (64-bit view first, then the 32-bit view, where the system has two), then the
// current user's, whose one key serves both. An error inside one subkey skips that subkey only.
// The subkeys are read on several threads; `after_append` runs on the calling thread after every
// entry appended, in that order. Any other failure ends the enumeration with the entries found so
// far; `finished`, where given, tells whether it went through every key.
std::vector<ProgramEntry> EnumeratePrograms(RegistryApi& registry, ThreadApi& threads,
                                            const std::function<void()>& after_append,
                                            bool* finished = nullptr);

}  // namespace velmoro
