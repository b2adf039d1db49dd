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
  RegistryReader list_reader(registry, kKeyAllAccess, view);
  list_reader.SetRootKey(kHkeyLocalMachine);
  // When the key does not open, no key is open and the listing is empty.
  if (!list_reader.OpenKeyReadOnly(kUninstallKey)) return;
  const std::vector<std::string> names = list_reader.GetKeyNames();

  // The subkeys are opened below the Uninstall key, which stays open meanwhile: opening a long
  // path from the root costs the platform several times as much, for every program.
  RegistryReader reader(registry, kKeyAllAccess, view);
  reader.SetRootKey(list_reader.current_key());
  for (const std::string& name : names) {
    if (!reader.OpenKeyReadOnly(name)) continue;
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
