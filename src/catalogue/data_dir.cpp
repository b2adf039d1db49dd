#include "catalogue/data_dir.h"

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

std::vector<std::u16string> EnsureDataDir(RegistryApi& registry, FileApi& files) {
  std::vector<std::u16string> failed;
  if (files.DirectoryExists(GetDataDir(registry))) return failed;
  const std::u16string walk = GetDataDir(registry) + u'\\';
  for (std::size_t pos = walk.find(u'\\'); pos != walk.npos; pos = walk.find(u'\\', pos + 1)) {
    const std::u16string prefix = walk.substr(0, pos);
    // A level that another copy of the program made between the test and the creation is there
    // all the same.
    if (!files.DirectoryExists(prefix) && !files.MakeDirectory(prefix) &&
        !files.DirectoryExists(prefix)) {
      failed.push_back(prefix);
    }
  }
  return failed;
}

}  // namespace velmoro
