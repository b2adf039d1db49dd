#include "catalogue/data_dir.h"

#include "catalogue/registry_reader.h"

namespace velmoro {

namespace {

constexpr char kShellFoldersKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kCommonAppData[] = "Common AppData";
constexpr char kDataSubdirectory[] = "Quinsett\\Velmoro Uninstaller";

// True when the last character of folder is a "\" of its own, not the trail byte of a double-byte
// character.
bool EndsWithSeparator(const std::string& folder, TextApi& text) {
  std::size_t last = 0;
  for (std::size_t i = 0; i < folder.size(); ++i) {
    last = i;
    if (text.IsDbcsLeadByte(folder[i]) && i + 1 < folder.size()) ++i;
  }
  return !folder.empty() && last == folder.size() - 1 && folder[last] == '\\';
}

}  // namespace

std::string GetDataDir(RegistryApi& registry, TextApi& text) {
  std::string folder;
  {
    RegistryReader reader(registry, kKeyRead);
    reader.SetRootKey(kHkeyLocalMachine);
    if (reader.OpenKeyReadOnly(kShellFoldersKey)) {
      if (reader.ValueExists(kCommonAppData)) folder = reader.ReadString(kCommonAppData);
      reader.CloseKey();
    }
  }
  if (!EndsWithSeparator(folder, text)) folder += '\\';
  return folder + kDataSubdirectory;
}

std::vector<std::string> EnsureDataDir(RegistryApi& registry, FileApi& files, TextApi& text) {
  std::vector<std::string> failed;
  if (files.DirectoryExists(GetDataDir(registry, text))) return failed;
  const std::string walk = GetDataDir(registry, text) + '\\';
  for (std::size_t pos = walk.find('\\'); pos != std::string::npos;
       pos = walk.find('\\', pos + 1)) {
    const std::string prefix = walk.substr(0, pos);
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
