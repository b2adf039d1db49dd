#include "catalogue/program_memory.h"

#include <algorithm>
#include <iterator>

#include "catalogue/data_dir.h"
#include "catalogue/data_folder.h"
#include "catalogue/file_error.h"
#include "catalogue/list_files.h"
#include "catalogue/list_text.h"
#include "catalogue/memory_texts.h"
#include "catalogue/recent_list.h"
#include "platform/number_text.h"

namespace velmoro {

namespace {

using Kind = MemoryNotice::Kind;

// Reads one data file of a folder. False, with a notice, when the folder is not to be used any
// more: the file is a link or could not be read. A file too large to read counts as absent.
bool LoadDataFile(FileApi& files, const DataFolder& folder, const char16_t* name, LoadedFile& file,
                  std::vector<MemoryNotice>& notices) {
  const std::u16string path = folder.dir() + u"\\" + name;
  file = LoadListFile(files, folder.folder(), name, path);
  switch (file.status) {
    case ReadStatus::kAbsent:
    case ReadStatus::kOk:
      return true;
    case ReadStatus::kTooLarge:
      notices.push_back({Kind::kWarning, u"\"" + path + u"\" is larger than " +
                                             DecimalDigits(kMaxListFileMegabytes) +
                                             u" MB and was not read; it is replaced."});
      return true;
    case ReadStatus::kLink:
      notices.push_back({Kind::kWarning, NotUsed(path, kIsALink)});
      return false;
    case ReadStatus::kHardLinks:
      notices.push_back({Kind::kWarning, NotUsed(path, u"has more than one name.")});
      return false;
    case ReadStatus::kFailed:
      break;
  }
  notices.push_back({Kind::kError, file.error});
  return false;
}

// The new text where it differs from what the file holds.
std::optional<std::string> Changed(const LoadedFile& file, std::string text) {
  if (file.status == ReadStatus::kOk && file.bytes == text) return std::nullopt;
  return text;
}

// The programs of the user's snapshot that it does not hold, the machine's and the user's own
// together, in list order.
std::vector<std::size_t> NewSinceUserSnapshot(const RunPrograms& programs,
                                              const UserLines& snapshot) {
  Detection machine(programs.machine, snapshot.form);
  Detection own(programs.own, snapshot.form);
  ForEachListLine(snapshot.lines, [&](std::string_view line) {
    if (const std::optional<TaggedLine> tagged = ReadTagged(line)) {
      (tagged->own ? own : machine).See(tagged->text);
    }
    return !machine.Done() || !own.Done();
  });
  const std::vector<std::size_t> machine_found = machine.Found();
  const std::vector<std::size_t> own_found = own.Found();
  std::vector<std::size_t> found;
  std::merge(machine_found.begin(), machine_found.end(), own_found.begin(), own_found.end(),
             std::back_inserter(found));
  return found;
}

// The lines of the user's "Recent.dat", each among the programs of its tag: by its entry, or in a
// file of the earlier form, by its name.
void AddUserLines(const RunPrograms& programs, std::string_view bytes, RecentList& list) {
  const UserLines recent = ReadUserList(bytes);
  ForEachListLine(recent.lines, [&](std::string_view line) {
    const std::optional<TaggedLine> tagged = ReadTagged(line);
    if (!tagged) return true;
    const ProgramSet& set = programs.SetOf(tagged->own);
    return recent.form == LineForm::kUtf8 ? list.AddExact(set, tagged->text)
                                          : list.AddOlder(set, tagged->text);
  });
}

}  // namespace

ProgramMemory::ProgramMemory(Platform& platform)
    : registry_(platform.registry),
      files_(platform.files),
      text_(platform.text),
      process_(platform.process) {}

const std::u16string& ProgramMemory::MachineDir() {
  if (!machine_dir_) machine_dir_ = GetDataDir(registry_);
  return *machine_dir_;
}

void ProgramMemory::EnsureDataDir(const LevelNotMade& not_made) {
  velmoro::EnsureDataDir(files_, MachineDir(), true, not_made);
}

Recollection ProgramMemory::Update(const std::vector<ProgramEntry>& programs,
                                   bool enumeration_finished) {
  Recollection result;
  const RunPrograms run(programs, text_);
  // From reading the files to replacing them, so that a copy started at the same time works on
  // what this one wrote and no detection is lost between them.
  const DataFilesLock lock(files_);
  const std::optional<std::vector<std::size_t>> machine_list =
      RememberForMachine(run, enumeration_finished, result.notices);
  const std::optional<std::vector<std::size_t>> user_list =
      RememberForUser(run, machine_list, enumeration_finished, result.notices);
  if (user_list) {
    result.recent = *user_list;
  } else if (machine_list) {
    result.recent = *machine_list;
  }
  return result;
}

// The machine's programs new since any user's last run head the machine's list. Each file's bytes
// go as soon as they have been gone through.
std::optional<std::vector<std::size_t>> ProgramMemory::RememberForMachine(
    const RunPrograms& programs, bool finished, std::vector<MemoryNotice>& notices) {
  const DataFolder folder(files_, MachineDir(), process_.IsElevated(), notices);
  if (!folder.usable()) return std::nullopt;
  RecentList list;
  std::optional<std::string> new_all;
  {
    LoadedFile all;
    if (!LoadDataFile(files_, folder, kAllFileName, all, notices)) return std::nullopt;
    if (finished) new_all = Changed(all, MachineSnapshotText(programs));
    // Without a snapshot, as on the first run, nothing is new; nor where it reads as this run's
    // list would, as on most runs.
    if (new_all && all.status == ReadStatus::kOk) {
      Detection detection(programs.machine, LineForm::kAnsi);
      ForEachListLine(all.bytes, [&](std::string_view line) {
        detection.See(line);
        return !detection.Done();
      });
      list.AddNew(detection.Found());
    }
  }
  LoadedFile recent;
  if (!LoadDataFile(files_, folder, kRecentFileName, recent, notices)) return std::nullopt;
  ForEachListLine(recent.bytes,
                  [&](std::string_view line) { return list.AddOlder(programs.machine, line); });
  if (finished) {
    const bool had_recent = recent.status == ReadStatus::kOk;
    KeepChanged(folder, new_all, Changed(recent, MachineListText(programs, list.positions())),
                had_recent ? &recent.bytes : nullptr, notices);
  }
  return list.positions();
}

// The programs new since the user's last run, the machine's and the user's own, head the user's
// list, whatever other users' runs found meanwhile; each older line reaches the very program it
// was written for. A user's first run with this memory (no snapshot of the user's, or one that
// held the user's own programs alone) starts from the machine's list. Files of the earlier form
// are read as such, and written in UTF-8.
std::optional<std::vector<std::size_t>> ProgramMemory::RememberForUser(
    const RunPrograms& programs, const std::optional<std::vector<std::size_t>>& machine_list,
    bool finished, std::vector<MemoryNotice>& notices) {
  const std::u16string local_app_data = files_.LocalAppDataFolder();
  if (local_app_data.empty()) return std::nullopt;
  const std::u16string dir = UserDataDir(local_app_data);
  // The user's folder is the program's own: one that cannot be made is shown, and not used.
  if (!velmoro::EnsureDataDir(files_, dir, false, [&](const std::u16string& level) {
        notices.push_back({Kind::kFolder, level});
      })) {
    return std::nullopt;
  }
  const DataFolder folder(files_, dir, false, notices);
  if (!folder.usable()) return std::nullopt;
  RecentList list;
  bool first_run = true;
  std::optional<std::string> new_all;
  {
    LoadedFile all;
    if (!LoadDataFile(files_, folder, kAllFileName, all, notices)) return std::nullopt;
    const std::optional<UserLines> snapshot = ReadUserSnapshot(all.bytes);
    first_run = !snapshot;
    if (finished) new_all = Changed(all, UserSnapshotText(programs));
    if (new_all && snapshot) list.AddNew(NewSinceUserSnapshot(programs, *snapshot));
  }
  LoadedFile recent;
  if (first_run) {
    for (const std::size_t position : machine_list.value_or(std::vector<std::size_t>())) {
      list.AddListed(position);
    }
  } else {
    if (!LoadDataFile(files_, folder, kRecentFileName, recent, notices)) return std::nullopt;
    AddUserLines(programs, recent.bytes, list);
  }
  if (finished) {
    const bool had_recent = recent.status == ReadStatus::kOk;
    KeepChanged(folder, new_all, Changed(recent, UserListText(programs, list.positions())),
                had_recent ? &recent.bytes : nullptr, notices);
  }
  return list.positions();
}

// Only what changed is written: most runs find what the last one left, and each replacement
// costs a flush to the disk. Just before, the data folder is looked at once more: a user who may
// write in it can have made it a mount point since it was held.
void ProgramMemory::KeepChanged(const DataFolder& folder, const std::optional<std::string>& all,
                                const std::optional<std::string>& recent,
                                const std::string* old_recent, std::vector<MemoryNotice>& notices) {
  if (!all && !recent) return;
  if (folder.folder() != kNoFolder && !files_.IsPlainFolder(folder.folder())) {
    notices.push_back({Kind::kWarning, NotUsed(folder.dir(), kIsALink)});
    return;
  }
  try {
    SaveListFiles(files_, folder.folder(), folder.dir(), all, recent, old_recent);
  } catch (const FileError& error) {
    notices.push_back({Kind::kError, error.message()});
  }
}

}  // namespace velmoro
