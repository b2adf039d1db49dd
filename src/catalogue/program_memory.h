#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/program_entry.h"
#include "platform/platform.h"

namespace velmoro {

// Something about the memory that the user is shown in a box; the run goes on after it.
struct MemoryNotice {
  enum class Kind {
    kWarning,  // a folder or file was not used
    kError,    // a file could not be read or written
    kFolder,   // a level of a data folder could not be made; the text is its path
  };
  Kind kind;
  std::u16string text;
  bool operator==(const MemoryNotice&) const = default;
};

// What the menus take from the memory.
struct Recollection {
  // The programs of "Recent Programs", newest first, as positions in the program list.
  std::vector<std::size_t> recent;
  // In the order they arose.
  std::vector<MemoryNotice> notices;
};

// The program's memory from one run to the next: "All.dat", the programs the last run saw, and
// "Recent.dat", the recent list, in two data folders. The machine's, under the common
// application-data folder and shared by every user, remembers the machine's programs and their
// recent list; the user's, under the user's local application-data folder, remembers the user's
// own programs and the user's "Recent Programs", machine programs included, which is what the
// menu shows. Without the user's folder the menu shows the machine's list. Everything about them
// happens here: where the folders are, the lock between copies of the program, the checks
// against links, reading within the size limit, detection, the recent lists and the replacement
// of what changed. An administrator's run takes back the machine's folders where someone else owns
// them or opened them to others.
class ProgramMemory {
 public:
  explicit ProgramMemory(Platform& platform);

  // Makes the machine's data folder where it is missing; gives the levels that could not be made.
  // A RegistryError about where the folder is passes out.
  std::vector<std::u16string> EnsureDataDir();
  // Reads what the last run left, finds the programs new since, and replaces each file whose
  // text changed. `programs` is the program list, sorted.
  Recollection Update(const std::vector<ProgramEntry>& programs);

 private:
  // The machine's data folder, read from the registry once per run.
  const std::u16string& MachineDir();

  RegistryApi& registry_;
  FileApi& files_;
  TextApi& text_;
  ProcessApi& process_;
  std::optional<std::u16string> machine_dir_;
};

}  // namespace velmoro
