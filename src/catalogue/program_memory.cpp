#include "catalogue/program_memory.h"

#include <algorithm>
#include <iterator>
#include <unordered_map>

#include "catalogue/data_dir.h"
#include "catalogue/file_error.h"
#include "catalogue/folder_hold.h"
#include "catalogue/folder_security.h"
#include "catalogue/list_files.h"
#include "catalogue/list_text.h"
#include "catalogue/recent_list.h"

namespace velmoro {

namespace {

using Kind = MemoryNotice::Kind;

// One data folder and its two files as this run found them. Unusable: nothing in it is read or
// written any more. The folder and the one above it stay held until the files are written, so
// that nobody can rename them or put a link in their place meanwhile.
struct Memory {
  std::u16string dir;
  bool usable = false;
  std::vector<std::pair<std::u16string, FolderHold>> holds;  // by path
  LoadedFile all;
  LoadedFile recent;
};

std::u16string TooLargeNotice(const std::u16string& path) {
  return u"\"" + path + u"\" is larger than 64 MB and was not read; it is replaced.";
}

std::u16string NotUsed(const std::u16string& path, const std::u16string& why) {
  return u"The data folder is not used: \"" + path + u"\" " + why;
}

// The folder of the program's vendor and the data folder in it, held; a notice and false where
// one of them is not to be used.
bool HoldFolders(FileApi& files, Memory& memory, std::vector<MemoryNotice>& notices) {
  for (const std::u16string& path : {memory.dir.substr(0, memory.dir.rfind(u'\\')), memory.dir}) {
    FolderHold hold(files, files.HoldFolder(path));
    switch (hold.status()) {
      case HoldStatus::kHeld:
        memory.holds.emplace_back(path, std::move(hold));
        break;
      case HoldStatus::kMissing:
        // Nothing to read; writing reports it.
        break;
      case HoldStatus::kLink:
        notices.push_back({Kind::kWarning, NotUsed(path, u"is a link to another place.")});
        return false;
      case HoldStatus::kInUse:
        notices.push_back({Kind::kWarning, NotUsed(path, u"is held open by another program.")});
        return false;
      case HoldStatus::kFailed:
        notices.push_back(
            {Kind::kWarning,
             NotUsed(path, u"cannot be opened: " + DescribeFileError(files, hold.error()) + u".")});
        return false;
    }
  }
  return true;
}

// An administrator's run takes back the machine's folders that someone else owns or opened to
// others, as if it had made them; only once they are held, so never through a link.
bool SecureFolders(FileApi& files, Memory& memory, std::vector<MemoryNotice>& notices) {
  for (const auto& [path, hold] : memory.holds) {
    const FolderSecurity expected =
        path == memory.dir ? DataFolderSecurity() : VendorFolderSecurity();
    const std::optional<FolderSecurity> actual = files.ReadFolderSecurity(hold.folder());
    if (actual && IsSecureFolder(*actual, expected)) continue;
    if (!files.ResetFolderSecurity(hold.folder(), expected)) {
      notices.push_back(
          {Kind::kWarning, NotUsed(path, u"belongs to someone else and could not be taken back.")});
      return false;
    }
  }
  return true;
}

// Nothing is read, written or deleted through a link: through it, a user who made it could have an
// administrator's run write or remove files anywhere. A file too large to read counts as absent.
Memory Recall(FileApi& files, const std::u16string& dir, bool secure,
              std::vector<MemoryNotice>& notices) {
  Memory memory;
  memory.dir = dir;
  if (!HoldFolders(files, memory, notices)) return memory;
  if (secure && !SecureFolders(files, memory, notices)) return memory;
  const std::pair<LoadedFile*, const char16_t*> data_files[] = {{&memory.all, kAllFileName},
                                                                {&memory.recent, kRecentFileName}};
  for (const auto& [file, name] : data_files) {
    const std::u16string path = dir + u"\\" + name;
    if (const LinkKind link = files.LinkAt(path); link != LinkKind::kNone) {
      notices.push_back({Kind::kWarning, NotUsed(path, link == LinkKind::kHardLinks
                                                           ? u"has more than one name."
                                                           : u"is a link to another place.")});
      return memory;
    }
  }
  for (const auto& [file, name] : data_files) {
    const std::u16string path = dir + u"\\" + name;
    *file = LoadListFile(files, path);
    if (file->status == LoadedFile::Status::kTooLarge) {
      notices.push_back({Kind::kWarning, TooLargeNotice(path)});
    }
    if (file->status == LoadedFile::Status::kFailed) {
      notices.push_back({Kind::kError, file->error});
      return memory;
    }
  }
  memory.usable = true;
  return memory;
}

// Only what changed is written: most runs find what the last one left, and each replacement
// costs a flush to the disk.
void Keep(FileApi& files, const Memory& memory, std::string all, std::string recent,
          std::vector<MemoryNotice>& notices) {
  const std::string* old_all = memory.all.Text();
  const std::string* old_recent = memory.recent.Text();
  std::optional<std::string> new_all;
  std::optional<std::string> new_recent;
  if (old_all == nullptr || *old_all != all) new_all = std::move(all);
  if (old_recent == nullptr || *old_recent != recent) new_recent = std::move(recent);
  if (!new_all && !new_recent) return;
  try {
    SaveListFiles(files, memory.dir, new_all, new_recent, old_recent);
  } catch (const FileError& error) {
    notices.push_back({Kind::kError, error.message()});
  }
}

std::string AllText(const ProgramSet& programs) {
  std::vector<std::string> lines;
  lines.reserve(programs.positions().size());
  for (const std::size_t position : programs.positions()) {
    lines.push_back(programs.lines()[position].entry);
  }
  return FormatListText(lines);
}

// The lines of `older` that `list` does not hold, each line counted as often as it stands.
std::vector<std::string> NotHeldIn(const std::vector<std::string>& older, std::string_view list) {
  std::unordered_map<std::string_view, std::size_t> held;
  for (const std::string& line : older) held.emplace(line, 0);
  ForEachListLine(list, [&](std::string_view line) {
    if (const auto found = held.find(line); found != held.end()) ++found->second;
    return true;
  });
  std::vector<std::string> missing;
  for (const std::string& line : older) {
    std::size_t& count = held[line];
    if (count > 0) {
      --count;
    } else {
      missing.push_back(line);
    }
  }
  return missing;
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

std::vector<std::u16string> ProgramMemory::EnsureDataDir() {
  return velmoro::EnsureDataDir(files_, MachineDir(), true);
}

Recollection ProgramMemory::Update(const std::vector<ProgramEntry>& programs) {
  Recollection result;
  std::vector<EntryLines> lines;
  lines.reserve(programs.size());
  std::vector<std::size_t> machine_positions;
  std::vector<std::size_t> user_positions;
  for (std::size_t i = 0; i < programs.size(); ++i) {
    lines.push_back(DataFileLines(programs[i], text_));
    (programs[i].per_user ? user_positions : machine_positions).push_back(i);
  }
  const ProgramSet machine_programs(lines, std::move(machine_positions));

  // From reading the files to replacing them, so that a copy started at the same time works on
  // what this one wrote and no detection is lost between them.
  const DataFilesLock lock(files_);

  // The machine's memory: its programs new since any user's last run head its recent list.
  const Memory machine = Recall(files_, MachineDir(), process_.IsElevated(), result.notices);
  std::vector<std::size_t> found;
  std::vector<std::string> machine_recent;
  std::size_t machine_new = 0;
  if (machine.usable) {
    // A snapshot without a single line, as on the first run, finds nothing new.
    if (HasListLine(machine.all.bytes)) found = machine_programs.NewSince(machine.all.bytes);
    RecentList recent(machine_programs);
    recent.AddNew(found);
    machine_new = recent.lines().size();
    ForEachListLine(machine.recent.bytes,
                    [&](std::string_view line) { return recent.AddOlder(line); });
    machine_recent = recent.lines();
    Keep(files_, machine, AllText(machine_programs), FormatListText(machine_recent),
         result.notices);
    result.recent = machine_programs.Resolve(machine_recent);
  }

  // The user's memory. It is kept from the first run on, also while the user has no program of
  // their own: the first one installed is then found new like any other.
  const std::u16string local_app_data = files_.LocalAppDataFolder();
  if (local_app_data.empty()) return result;
  const std::u16string user_dir = UserDataDir(local_app_data);
  const std::vector<std::u16string> failed = velmoro::EnsureDataDir(files_, user_dir, false);
  for (const std::u16string& level : failed) result.notices.push_back({Kind::kFolder, level});
  if (!failed.empty()) return result;
  const Memory user = Recall(files_, user_dir, false, result.notices);
  if (!user.usable) return result;

  const ProgramSet user_programs(lines, std::move(user_positions));
  // The user's "All.dat" may rightly be empty: a user without programs of their own has one.
  std::vector<std::size_t> user_found;
  if (user.all.status == LoadedFile::Status::kRead) {
    user_found = user_programs.NewSince(user.all.bytes);
  }
  std::vector<std::size_t> all_found;
  std::merge(found.begin(), found.end(), user_found.begin(), user_found.end(),
             std::back_inserter(all_found));
  // Without programs of the user's own, everyone is the machine's: its set serves again.
  std::optional<ProgramSet> all_programs;
  if (!user_programs.positions().empty()) {
    std::vector<std::size_t> positions(programs.size());
    for (std::size_t i = 0; i < programs.size(); ++i) positions[i] = i;
    all_programs.emplace(lines, std::move(positions));
  }
  const ProgramSet& everyone = all_programs ? *all_programs : machine_programs;

  // Programs new in this run, the machine's and the user's together; then the user's list as the
  // last run left it, or on the first run of the user's memory, the machine's; then the machine's
  // lines found new by another user's run, which the user's list does not hold.
  RecentList shown(everyone);
  shown.AddNew(all_found);
  const std::vector<std::string> machine_older(machine_recent.begin() + machine_new,
                                               machine_recent.end());
  const auto add_older = [&](std::string_view line) { return shown.AddOlder(line); };
  if (user.recent.status == LoadedFile::Status::kRead) {
    ForEachListLine(user.recent.bytes, add_older);
    for (const std::string& line : NotHeldIn(machine_older, user.recent.bytes)) add_older(line);
  } else {
    for (const std::string& line : machine_older) add_older(line);
  }
  Keep(files_, user, AllText(user_programs), FormatListText(shown.lines()), result.notices);
  result.recent = everyone.Resolve(shown.lines());
  return result;
}

}  // namespace velmoro
