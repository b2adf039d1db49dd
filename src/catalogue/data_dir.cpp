#include "catalogue/data_dir.h"

#include <iterator>

#include "catalogue/list_files.h"
#include "catalogue/registry_reader.h"

namespace velmoro {

namespace {

constexpr char16_t kShellFoldersKey[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char16_t kCommonAppData[] = u"Common AppData";
constexpr char16_t kDataSubdirectory[] = u"Quinsett\\Velmoro Uninstaller";

// The common application-data folder lets every user make folders and own what they make there,
// so the program's own folders do not inherit from it: SYSTEM and Administrators have full
// control; Users may look into both, create files in the data folder, and read, write, replace and
// delete the files in it (a grant that files alone inherit), but may not delete, rename or
// re-permission either folder.
constexpr char16_t kQuinsettSecurity[] = u"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1200a9;;;BU)";
constexpr char16_t kDataFolderSecurity[] =
    u"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1200ab;;;BU)(A;OIIO;0x13019f;;;BU)";

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

std::u16string UserDataDir(FileApi& files) {
  std::u16string folder = files.LocalAppDataFolder();
  if (folder.empty() || folder.back() != u'\\') folder += u'\\';
  return folder + kDataSubdirectory;
}

std::vector<std::u16string> EnsureDataDir(FileApi& files, const std::u16string& data_dir,
                                          bool shared) {
  std::vector<std::u16string> failed;
  if (files.DirectoryExists(data_dir)) return failed;
  const std::u16string walk = data_dir + u'\\';
  // Where "Quinsett" begins.
  const std::size_t own = walk.size() - std::size(kDataSubdirectory);
  for (std::size_t pos = walk.find(u'\\'); pos != walk.npos; pos = walk.find(u'\\', pos + 1)) {
    const std::u16string prefix = walk.substr(0, pos);
    const bool own_level = pos > own;
    if (own_level && files.LinkAt(prefix) == LinkKind::kReparsePoint) break;
    const char16_t* security = !shared || !own_level    ? u""
                               : pos + 1 == walk.size() ? kDataFolderSecurity
                                                        : kQuinsettSecurity;
    // A level that another copy of the program made between the test and the creation is there
    // all the same.
    if (!files.DirectoryExists(prefix) && !files.MakeDirectory(prefix, security) &&
        !files.DirectoryExists(prefix)) {
      failed.push_back(prefix);
    }
  }
  return failed;
}

std::optional<DataLink> FindDataLink(FileApi& files, const std::u16string& data_dir) {
  const std::u16string quinsett = data_dir.substr(0, data_dir.rfind(u'\\'));
  for (const std::u16string& path :
       {quinsett, data_dir, data_dir + u"\\" + kAllFileName, data_dir + u"\\" + kRecentFileName}) {
    if (const LinkKind kind = files.LinkAt(path); kind != LinkKind::kNone) {
      return DataLink{path, kind};
    }
  }
  return std::nullopt;
}

}  // namespace velmoro
