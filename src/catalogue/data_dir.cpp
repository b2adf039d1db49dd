#include "catalogue/data_dir.h"

#include <iterator>

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

namespace {

// One of the program's own levels, made inside its parent while the parent is held, and opened in
// the same step: neither can be swapped for a link meanwhile.
bool MakeOwnLevel(FileApi& files, const std::u16string& path, const FolderSecurity* security) {
  const std::size_t cut = path.rfind(u'\\');
  // A parent of nothing but the separator is the root of the current drive.
  const std::u16string parent = cut == 0 ? u"\\" : path.substr(0, cut);
  const FolderHold held(files, files.HoldFolder(parent));
  if (!held) return false;
  const FolderHold made(files, files.MakeFolder(held.folder(), path.substr(cut + 1), security));
  return static_cast<bool>(made);
}

}  // namespace

std::vector<std::u16string> EnsureDataDir(FileApi& files, const std::u16string& data_dir,
                                          bool shared) {
  std::vector<std::u16string> failed;
  if (files.DirectoryExists(data_dir)) return failed;
  const std::u16string walk = data_dir + u'\\';
  // Where "Quinsett" begins.
  const std::size_t own = walk.size() - std::size(kDataSubdirectory);
  const FolderSecurity vendor = VendorFolderSecurity();
  const FolderSecurity data = DataFolderSecurity();
  for (std::size_t pos = walk.find(u'\\'); pos != walk.npos; pos = walk.find(u'\\', pos + 1)) {
    const std::u16string prefix = walk.substr(0, pos);
    const bool own_level = pos > own;
    if (own_level && files.LinkAt(prefix) == LinkKind::kReparsePoint) break;
    if (files.DirectoryExists(prefix)) continue;
    const FolderSecurity* security = !shared ? nullptr : pos + 1 == walk.size() ? &data : &vendor;
    const bool made =
        own_level ? MakeOwnLevel(files, prefix, security) : files.MakeDirectory(prefix);
    // A level that another copy of the program made between the test and the creation is there
    // all the same.
    if (!made && !files.DirectoryExists(prefix)) failed.push_back(prefix);
  }
  return failed;
}

}  // namespace velmoro
