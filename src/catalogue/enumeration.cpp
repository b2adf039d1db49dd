#include "catalogue/enumeration.h"

#include <exception>
#include <optional>

#include "catalogue/registry_error.h"
#include "catalogue/registry_reader.h"

namespace velmoro {

namespace {

// The program entry of the subkey open in reader, or nothing when it is not a removable program.
std::optional<ProgramEntry> ReadProgramEntry(RegistryReader& reader) {
  if (!reader.ValueExists(u"UninstallString") || !reader.ValueExists(u"DisplayName")) {
    return std::nullopt;
  }
  if (reader.ValueExists(u"NoRemove") && reader.ReadBool(u"NoRemove")) return std::nullopt;
  ProgramEntry entry;
  const std::u16string display_name = reader.ReadString(u"DisplayName");
  const std::u16string uninstall_command =
      reader.ReadString(u"UninstallString", &entry.expand_command);
  entry.text = MakeProgramEntry(display_name, uninstall_command);
  return entry;
}

void EnumerateKey(RegistryApi& registry, RegKey root, std::uint32_t view, bool per_user,
                  const std::function<void()>& after_append, std::vector<ProgramEntry>& entries) {
  RegistryReader list_reader(registry, view);
  list_reader.SetRootKey(root);
  // When the key does not open, no key is open and the listing is empty.
  if (!list_reader.OpenKeyReadOnly(kUninstallKey)) return;
  const std::vector<std::u16string> names = list_reader.GetKeyNames();

  // The subkeys are opened below the Uninstall key, which stays open meanwhile: opening a long
  // path from the root costs the platform several times as much, for every program.
  RegistryReader reader(registry, view);
  reader.SetRootKey(list_reader.current_key());
  for (const std::u16string& name : names) {
    if (!reader.OpenKeyReadOnly(name)) continue;
    std::optional<ProgramEntry> entry;
    try {
      entry = ReadProgramEntry(reader);
    } catch (const RegistryError&) {
      // A malformed value costs only its own program, not every subkey after it.
    }
    if (entry) {
      entry->per_user = per_user;
      entries.push_back(std::move(*entry));
      after_append();
    }
    reader.CloseKey();
  }
}

}  // namespace

std::vector<ProgramEntry> EnumeratePrograms(RegistryApi& registry,
                                            const std::function<void()>& after_append) {
  std::vector<ProgramEntry> entries;
  try {
    if (registry.HasTwoViews()) {
      EnumerateKey(registry, kHkeyLocalMachine, kKeyWow64_64Key, false, after_append, entries);
      EnumerateKey(registry, kHkeyLocalMachine, kKeyWow64_32Key, false, after_append, entries);
    } else {
      EnumerateKey(registry, kHkeyLocalMachine, 0, false, after_append, entries);
    }
    EnumerateKey(registry, kHkeyCurrentUser, 0, true, after_append, entries);
  } catch (const std::exception&) {
    // Any other failure (out of memory, a handler run by after_append) ends the enumeration
    // silently with the entries found so far.
  }
  return entries;
}

}  // namespace velmoro
