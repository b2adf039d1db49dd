#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/data_dir.h"
#include "catalogue/memory_notice.h"
#include "catalogue/program_entry.h"
#include "platform/platform.h"

namespace velmoro {

// What the menus take from the memory.
struct Recollection {
  // The programs of "Recent Programs", newest first, as positions in the program list.
  std::vector<std::size_t> recent;
  // In the order they arose.
  std::vector<MemoryNotice> notices;
};

class DataFolder;
struct RunPrograms;

// The program's memory from one run to the next: "All.dat" and "Recent.dat" in two data folders.
// The machine's, under the common application-data folder and shared by every user, remembers
// the machine's programs as the last run of any user saw them, and their recent list, in the
// ANSI code page. The user's, under the user's local application-data folder, remembers every
// program that user saw, the machine's and their own, and the user's "Recent Programs", which is
// what the menu shows: the programs installed since the user's last run, then the user's list as
// it was, each item by its program's whole entry in UTF-8, so that it reaches the same program in
// every run; what other users' runs found changes nothing of it. A user's first run starts from the
// machine's list; without the user's folder the menu shows the machine's list. Everything about
// them is decided here: where the folders are, the lock between copies of the program, the checks
// against links, reading within the size limit, detection, the recent lists and the replacement of
// what changed; the form shows what it reports (MemoryNotice). An administrator's run takes back
// the machine's folders where someone else owns them or opened them to others.
class ProgramMemory {
 public:
  explicit ProgramMemory(Platform& platform);

  // Makes the machine's data folder where it is missing; each level that cannot be made goes to
  // `not_made` as the walk meets it. A RegistryError about where the folder is passes out.
  void EnsureDataDir(const LevelNotMade& not_made);
  // Reads what the last runs left, finds the programs new since, and replaces each file whose
  // text changed. `programs` is the program list, sorted. An enumeration that did not finish
  // finds nothing new and writes nothing: the lists as they were, resolved against the programs
  // it found.
  Recollection Update(const std::vector<ProgramEntry>& programs, bool enumeration_finished);

 private:
  // The machine's list, as positions; nothing when its folder is not to be used.
  std::optional<std::vector<std::size_t>> RememberForMachine(const RunPrograms& programs,
                                                             bool finished,
                                                             std::vector<MemoryNotice>& notices);
  // The user's list, as positions; nothing when the user's folder is not to be used.
  std::optional<std::vector<std::size_t>> RememberForUser(
      const RunPrograms& programs, const std::optional<std::vector<std::size_t>>& machine_list,
      bool finished, std::vector<MemoryNotice>& notices);
  // Replaces the files of `folder` whose new text is given.
  void KeepChanged(const DataFolder& folder, const std::optional<std::string>& all,
                   const std::optional<std::string>& recent, const std::string* old_recent,
                   std::vector<MemoryNotice>& notices);
  // The machine's data folder, read from the registry once per run.
  const std::u16string& MachineDir();

  RegistryApi& registry_;
  FileApi& files_;
  TextApi& text_;
  ProcessApi& process_;
  std::optional<std::u16string> machine_dir_;
};

}  // namespace velmoro
