#include "uninstall/program_icon.h"

#include "catalogue/display_icon.h"
#include "catalogue/enumeration.h"
#include "catalogue/registry_error.h"
#include "catalogue/registry_reader.h"
#include "uninstall/command_split.h"

namespace velmoro {

namespace {

bool IsLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// "X:\..." or "\\?\X:\..." on a fixed drive of this machine; never a share, whatever it is named.
bool OnFixedDrive(const std::u16string& path, FileApi& files) {
  std::u16string_view rest(path);
  if (rest.starts_with(u"\\\\?\\")) rest.remove_prefix(4);
  if (rest.size() < 3 || !IsLetter(rest[0]) || rest[1] != u':' || rest[2] != u'\\') return false;
  return files.DriveKindOf(std::u16string(rest.substr(0, 3))) == DriveKind::kFixed;
}

// The text after the last "\" or "/".
std::u16string_view FileName(std::u16string_view path) {
  const std::size_t slash = path.find_last_of(u"\\/");
  return slash == path.npos ? path : path.substr(slash + 1);
}

bool EqualsIgnoringCase(std::u16string text, std::u16string_view upper, TextApi& case_map) {
  case_map.UpperCase(text);
  return text == upper;
}

// The subkey's "DisplayIcon", expanded where it is REG_EXPAND_SZ; nothing when it has none or it
// cannot be read.
std::optional<std::u16string> DisplayIcon(const ProgramEntry& entry, Platform& platform) {
  try {
    RegistryReader reader(platform.registry, entry.view);
    reader.SetRootKey(entry.root);
    if (!reader.OpenKeyReadOnly(std::u16string(kUninstallKey) + u"\\" + entry.subkey) ||
        !reader.ValueExists(u"DisplayIcon")) {
      return std::nullopt;
    }
    bool expandable = false;
    std::u16string text = reader.ReadString(u"DisplayIcon", &expandable);
    if (expandable) text = platform.shell.ExpandEnvironment(text);
    return text;
  } catch (const RegistryError&) {
    return std::nullopt;
  }
}

}  // namespace

IconSource ProgramIcon(const ProgramEntry& entry, Platform& platform) {
  const IconSource generic;
  if (const auto text = DisplayIcon(entry, platform)) {
    if (const auto location = ParseDisplayIcon(*text)) {
      if (!OnFixedDrive(location->path, platform.files)) return generic;
      return {IconSource::Kind::kFile, location->path, location->index};
    }
  }
  const std::u16string command =
      entry.expand_command ? platform.shell.ExpandEnvironment(entry.command) : entry.command;
  const auto launch = SplitUninstallCommand(command, platform.text);
  if (!launch) return generic;
  const std::u16string name(FileName(launch->file));
  if (EqualsIgnoringCase(name, u"MSIEXEC.EXE", platform.text) ||
      EqualsIgnoringCase(name, u"MSIEXEC", platform.text)) {
    const std::u16string system = platform.shell.SystemFolder();
    if (system.empty()) return generic;
    return {IconSource::Kind::kFile, system + u"\\msiexec.exe", 0};
  }
  if (name.size() < 4 ||
      !EqualsIgnoringCase(name.substr(name.size() - 4), u".EXE", platform.text) ||
      !OnFixedDrive(launch->file, platform.files) || !platform.files.FileExists(launch->file)) {
    return generic;
  }
  return {IconSource::Kind::kFile, launch->file, 0};
}

}  // namespace velmoro
