#include "catalogue/enumeration.h"

#include <exception>
#include <optional>

#include "catalogue/program_entry.h"
#include "catalogue/registry_error.h"
#include "catalogue/registry_reader.h"

namespace velmoro {

namespace {

// The program entry of the subkey open in reader, or nothing when it is not a removable program.
std::optional<std::string> ReadProgramEntry(RegistryReader& reader) {
  if (!reader.ValueExists("UninstallString") || !reader.ValueExists("DisplayName")) {
    return std::nullopt;
  }
  if (reader.ValueExists("NoRemove") && reader.ReadBool("NoRemove")) return std::nullopt;
  std::string display_name = reader.ReadString("DisplayName");
  std::string uninstall_command = reader.ReadString("UninstallString");
  return MakeProgramEntry(display_name, uninstall_command);
}

void EnumerateView(RegistryApi& registry, std::uint32_t view,
                   const std::function<void()>& after_append, std::vector<std::string>& entries) {
  RegistryReader reader(registry, kKeyAllAccess, view);
  reader.SetRootKey(kHkeyLocalMachine);
  // When the key does not open, no key is open and the listing is empty.
  reader.OpenKeyReadOnly(kUninstallKey);
  const std::vector<std::string> names = reader.GetKeyNames();
  reader.CloseKey();

  const std::string prefix = std::string(kUninstallKey) + "\\";
  for (const std::string& name : names) {
    if (!reader.OpenKeyReadOnly(prefix + name)) continue;
    std::optional<std::string> entry;
    try {
      entry = ReadProgramEntry(reader);
    } catch (const RegistryError&) {
      // A malformed value costs only its own program, not every subkey after it.
    }
    if (entry) {
      entries.push_back(std::move(*entry));
      after_append();
    }
    reader.CloseKey();
  }
}

}  // namespace

std::vector<std::string> EnumeratePrograms(RegistryApi& registry,
                                           const std::function<void()>& after_append) {
  std::vector<std::string> entries;
  try {
    if (registry.HasTwoViews()) {
      EnumerateView(registry, kKeyWow64_64Key, after_append, entries);
      EnumerateView(registry, kKeyWow64_32Key, after_append, entries);
    } else {
      EnumerateView(registry, 0, after_append, entries);
    }
  } catch (const std::exception&) {
    // Any other failure (out of memory, a handler run by after_append) ends the enumeration
    // silently with the entries found so far.
  }
  return entries;
}

}  // namespace velmoro
