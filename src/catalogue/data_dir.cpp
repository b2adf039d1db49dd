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
constexpr char16_t kDataSubdirectory[] = u"Quinsett\\Velmoro Uninstaller";

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
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  return folder + kDataSubdirectory;
}

std::u16string UserDataDir(std::u16string folder) {
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  return folder + kDataSubdirectory;
}

std::u16string KnownFolderOf(const std::u16string& data_dir) {
  const std::size_t cut = data_dir.size() - (std::size(kDataSubdirectory) - 1) - 1;
  return cut == 0 ? u"\\" : data_dir.substr(0, cut);
}

namespace {

// The levels above the program's own, as the registry names them: made one by one where missing.
void MakeKnownLevels(FileApi& files, const std::u16string& known,
                     std::vector<std::u16string>& failed) {
  const std::u16string walk = known + u'\\';
  for (std::size_t pos = walk.find(u'\\'); pos != walk.npos; pos = walk.find(u'\\', pos + 1)) {
    const std::u16string prefix = walk.substr(0, pos);
    if (files.DirectoryExists(prefix)) continue;
    // A level that another copy of the program made between the test and the creation is there
    // all the same.
    if (!files.MakeDirectory(prefix) && !files.DirectoryExists(prefix)) failed.push_back(prefix);
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

std::vector<std::u16string> EnsureDataDir(FileApi& files, const std::u16string& data_dir,
                                          bool shared) {
  std::vector<std::u16string> failed;
  if (files.DirectoryExists(data_dir)) return failed;
  const std::u16string known = KnownFolderOf(data_dir);
  const std::u16string vendor_path = data_dir.substr(0, data_dir.rfind(u'\\'));
  // The first prefix of a data directory that begins with its separator is empty: the walk tries
  // and reports it as it does every other level above the program's own.
  if (known == u"\\") {
    if (!files.MakeDirectory(u"")) failed.emplace_back();
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
  if (vendor_level == Level::kLink) return failed;
  if (vendor_level == Level::kFailed) {
    failed.push_back(vendor_path);
    failed.push_back(data_dir);
    return failed;
  }
  const Level data_level =
      HoldOwnLevel(files, *vendor, kDataFolderName, shared ? &data_security : nullptr, data);
  if (data_level == Level::kFailed) failed.push_back(data_dir);
  return failed;
}

}  // namespace velmoro
