#include "catalogue/data_dir.h"

#include <iterator>
#include <optional>

#include "catalogue/folder_hold.h"
#include "catalogue/folder_security.h"
#include "catalogue/registry_reader.h"

namespace velmoro {

namespace {

constexpr char16_t kShellFoldersKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char16_t kCommonAppData[] = u"Common AppData";
// The program's own levels below the known folder, as one path.
std::u16string DataSubdirectory() {
  return std::u16string(kVendorFolderName) + u"\\" + kDataFolderName;
}

// A data directory below a known folder: "\\" unless the folder ends in one, then the program's
// own levels.
std::u16string DataDirUnder(std::u16string folder) {
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  return folder + DataSubdirectory();
}

}  // namespace

std::u16string GetDataDir(RegistryApi& registry) {
  std::u16string folder;
  {
    RegistryReader reader(registry);
    reader.SetRootKey(kHkeyLocalMachine);
    if (reader.OpenKeyReadOnly(kShellFoldersKey)) {
      if (reader.ValueExists(kCommonAppData)) folder = reader.ReadString(kCommonAppData);
      reader.CloseKey();
    }
  }
  return DataDirUnder(std::move(folder));
}

std::u16string UserDataDir(std::u16string local_app_data) {
  return DataDirUnder(std::move(local_app_data));
}

std::u16string KnownFolderOf(const std::u16string& data_dir) {
  const std::size_t cut = data_dir.size() - DataSubdirectory().size() - 1;
  return cut == 0 ? u"\\" : data_dir.substr(0, cut);
}

std::u16string VendorFolderOf(const std::u16string& data_dir) {
  return data_dir.substr(0, data_dir.rfind(u'\\'));
}

namespace {

// The levels above the program's own, as the registry names them: made one by one where missing.
void MakeKnownLevels(FileApi& files, const std::u16string& known, const LevelNotMade& failed) {
  const std::u16string walk = known + u'\\';
  for (std::size_t pos = walk.find(u'\\'); pos != walk.npos; pos = walk.find(u'\\', pos + 1)) {
    const std::u16string prefix = walk.substr(0, pos);
    if (files.DirectoryExists(prefix)) continue;
    // A level that another copy of the program made between the test and the creation is there
    // all the same.
    if (!files.MakeDirectory(prefix) && !files.DirectoryExists(prefix)) failed(prefix);
  }
}

enum class Level { kHeld, kLink, kFailed };

// One of the program's own levels, opened or made inside its held parent, relative to the
// parent's handle: neither can be swapped for a link meanwhile.
Level HoldOwnLevel(FileApi& files, const FolderHold& parent, const std::u16string& name,
                   const FolderSecurity* security, std::optional<FolderHold>& level) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    FolderHold held(files, files.HoldFolderIn(parent.folder(), name));
    if (held.status() == HoldStatus::kLink) return Level::kLink;
    if (held) {
      level.emplace(std::move(held));
      return Level::kHeld;
    }
    FolderHold made(files, files.MakeFolder(parent.folder(), name, security));
    if (made) {
      level.emplace(std::move(made));
      return Level::kHeld;
    }
    // Another copy of the program made it between the look and the creation: it is held at the
    // second look.
    if (made.error() != kErrorAlreadyExists) break;
  }
  return Level::kFailed;
}

}  // namespace

bool EnsureDataDir(FileApi& files, const std::u16string& data_dir, bool shared,
                   const LevelNotMade& not_made) {
  if (files.DirectoryExists(data_dir)) return true;
  bool whole = true;
  const LevelNotMade failed = [&](const std::u16string& level) {
    whole = false;
    not_made(level);
  };
  const std::u16string known = KnownFolderOf(data_dir);
  // The first prefix of a data directory that begins with its separator is empty: the walk tries
  // and reports it as it does every other level above the program's own.
  if (known == u"\\") {
    if (!files.MakeDirectory(u"")) failed(u"");
  } else {
    MakeKnownLevels(files, known, failed);
  }
  const FolderSecurity vendor_security = VendorFolderSecurity();
  const FolderSecurity data_security = DataFolderSecurity();
  const FolderHold known_hold(files, files.HoldKnownFolder(known));
  std::optional<FolderHold> vendor;
  std::optional<FolderHold> data;
  const Level vendor_level = known_hold ? HoldOwnLevel(files, known_hold, kVendorFolderName,
                                                       shared ? &vendor_security : nullptr, vendor)
                                        : Level::kFailed;
  if (vendor_level == Level::kLink) return whole;
  if (vendor_level == Level::kFailed) {
    failed(VendorFolderOf(data_dir));
    failed(data_dir);
    return false;
  }
  const Level data_level =
      HoldOwnLevel(files, *vendor, kDataFolderName, shared ? &data_security : nullptr, data);
  if (data_level == Level::kFailed) failed(data_dir);
  return whole;
}

}  // namespace velmoro
