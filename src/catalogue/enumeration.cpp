#include "catalogue/enumeration.h"

#include <exception>
#include <memory>
#include <optional>
#include <stdexcept>

#include "catalogue/registry_error.h"
#include "catalogue/registry_reader.h"

namespace velmoro {

namespace {

// Each query waits for a round trip to the registry, so a few threads reading side by side
// finish in about a third of the time one takes.
constexpr std::size_t kReadThreads = 4;

// The program entry of the subkey open in reader, or nothing when it is not a removable program.
std::optional<ProgramEntry> ReadProgramEntry(RegistryReader& reader) {
  if (!reader.ValueExists(u"UninstallString") || !reader.ValueExists(u"DisplayName")) {
    return std::nullopt;
  }
  if (reader.ValueExists(u"NoRemove") && reader.ReadBool(u"NoRemove")) return std::nullopt;
  ProgramEntry entry;
  entry.name = reader.ReadString(u"DisplayName");
  entry.command = reader.ReadString(u"UninstallString", &entry.expand_command);
  return entry;
}

// One subkey, read on a worker thread.
struct SubkeyResult {
  std::optional<ProgramEntry> entry;
  bool failed = false;  // an error other than a malformed value: the enumeration ends here
};

SubkeyResult ReadSubkey(RegistryReader& reader, const std::u16string& name) {
  SubkeyResult result;
  try {
    if (!reader.OpenKeyReadOnly(name)) return result;
    try {
      result.entry = ReadProgramEntry(reader);
    } catch (const RegistryError&) {
      // A malformed value costs only its own program, not every subkey after it.
    }
    reader.CloseKey();
  } catch (const std::exception&) {
    result.failed = true;
  }
  return result;
}

void EnumerateKey(RegistryApi& registry, ThreadApi& threads, RegKey root, std::uint32_t view,
                  bool per_user, const std::function<void()>& after_append,
                  std::vector<ProgramEntry>& entries) {
  RegistryReader list_reader(registry, view);
  list_reader.SetRootKey(root);
  // When the key does not open, no key is open and the listing is empty.
  if (!list_reader.OpenKeyReadOnly(kUninstallKey)) return;
  // A key that opens but cannot be listed may hold any program: the enumeration has not finished.
  const std::optional<std::vector<std::u16string>> listed = list_reader.GetKeyNames();
  if (!listed) throw std::runtime_error("the Uninstall key could not be listed");
  const std::vector<std::u16string>& names = *listed;

  // The subkeys are opened below the Uninstall key, which stays open meanwhile: opening a long
  // path from the root costs the platform several times as much, for every program. Each thread
  // has a reader of its own.
  std::vector<std::unique_ptr<RegistryReader>> readers;
  for (std::size_t i = 0; i < kReadThreads; ++i) {
    readers.push_back(std::make_unique<RegistryReader>(registry, view));
    readers.back()->SetRootKey(list_reader.current_key());
  }
  std::vector<SubkeyResult> results(names.size());
  threads.ForEachInOrder(
      names.size(), kReadThreads,
      [&](std::size_t worker, std::size_t i) {
        results[i] = ReadSubkey(*readers[worker], names[i]);
      },
      [&](std::size_t i) {
        if (results[i].failed) throw std::runtime_error("a subkey could not be read");
        if (!results[i].entry) return;
        results[i].entry->per_user = per_user;
        results[i].entry->root = root;
        results[i].entry->view = view;
        results[i].entry->subkey = names[i];
        entries.push_back(std::move(*results[i].entry));
        after_append();
      });
}

}  // namespace

std::vector<ProgramEntry> EnumeratePrograms(RegistryApi& registry, ThreadApi& threads,
                                            const std::function<void()>& after_append,
                                            bool* finished) {
  std::vector<ProgramEntry> entries;
  if (finished != nullptr) *finished = false;
  try {
    if (registry.HasTwoViews()) {
      EnumerateKey(registry, threads, kHkeyLocalMachine, kKeyWow64_64Key, false, after_append,
                   entries);
      EnumerateKey(registry, threads, kHkeyLocalMachine, kKeyWow64_32Key, false, after_append,
                   entries);
    } else {
      EnumerateKey(registry, threads, kHkeyLocalMachine, 0, false, after_append, entries);
    }
    EnumerateKey(registry, threads, kHkeyCurrentUser, 0, true, after_append, entries);
    if (finished != nullptr) *finished = true;
  } catch (const std::exception&) {
    // Any other failure (out of memory, a handler run by after_append) ends the enumeration
    // silently with the entries found so far.
  }
  return entries;
}

}  // namespace velmoro
