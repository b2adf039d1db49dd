#include "catalogue/program_details.h"

#include "catalogue/detail_values.h"
#include "catalogue/enumeration.h"
#include "catalogue/registry_error.h"
#include "catalogue/registry_reader.h"

namespace velmoro {

namespace {

// No text the menu uses can be longer: it is the longest command line that CreateProcessW takes
// and the longest path that Windows has ("\\?\" paths). A value of more bytes than such a text and
// its NUL is not even fetched, so a hostile subkey costs no more than this to read.
constexpr std::size_t kMaxText = 32767;
constexpr std::uint32_t kMaxValueBytes = (kMaxText + 1) * sizeof(char16_t);

// Opens the entry's own subkey where the entry was found.
bool OpenSubkey(RegistryReader& reader, const ProgramEntry& entry) {
  if (entry.subkey.empty()) return false;
  reader.SetRootKey(entry.root);
  reader.LimitValueSize(kMaxValueBytes);
  return reader.OpenKeyReadOnly(std::u16string(kUninstallKey) + u"\\" + entry.subkey);
}

// A REG_SZ or REG_EXPAND_SZ value, the latter expanded when `shell` is given; empty when it is
// missing, unreadable, of another type, or longer than kMaxText, as read or as expanded.
std::u16string Text(RegistryReader& reader, const char16_t* name, ShellApi* shell = nullptr) {
  std::u16string text;
  bool expandable = false;
  try {
    text = reader.ReadString(name, &expandable);
  } catch (const RegistryError&) {
    return {};
  }
  if (expandable && shell != nullptr && !text.empty()) text = shell->ExpandEnvironment(text);
  return text.size() <= kMaxText ? text : std::u16string();
}

// A REG_DWORD value; nothing when it is missing, unreadable or of another type.
std::optional<std::uint32_t> Dword(RegistryReader& reader, const char16_t* name) {
  if (!reader.ValueExists(name)) return std::nullopt;
  try {
    return static_cast<std::uint32_t>(reader.ReadInteger(name));
  } catch (const RegistryError&) {
    return std::nullopt;
  }
}

bool IsOne(RegistryReader& reader, const char16_t* name) {
  return Dword(reader, name) == 1u;
}

// The first of the two values that is a web address, reading the second only when needed.
std::u16string WebPage(RegistryReader& reader) {
  for (const char16_t* name : {u"URLInfoAbout", u"HelpLink"}) {
    std::u16string address = Text(reader, name);
    if (IsWebAddress(address)) return address;
  }
  return {};
}

}  // namespace

ProgramDetails ReadProgramDetails(const ProgramEntry& entry, RegistryApi& registry,
                                  ShellApi& shell) {
  ProgramDetails details;
  RegistryReader reader(registry, entry.view);
  if (!OpenSubkey(reader, entry)) return details;
  details.version = Text(reader, u"DisplayVersion");
  details.publisher = Text(reader, u"Publisher");
  details.install_date = ParseInstallDate(Text(reader, u"InstallDate"));
  if (const auto size = Dword(reader, u"EstimatedSize"); size && *size != 0) details.size_kb = size;
  details.quiet_command = Text(reader, u"QuietUninstallString", &shell);
  details.modify_command = Text(reader, u"ModifyPath", &shell);
  details.no_modify = IsOne(reader, u"NoModify");
  details.no_repair = IsOne(reader, u"NoRepair");
  details.windows_installer = IsOne(reader, u"WindowsInstaller");
  if (IsProductCode(entry.subkey)) details.product_code = entry.subkey;
  details.install_location = Text(reader, u"InstallLocation", &shell);
  details.web_page = WebPage(reader);
  details.display_icon = Text(reader, u"DisplayIcon", &shell);
  return details;
}

std::u16string ReadDisplayIcon(const ProgramEntry& entry, RegistryApi& registry, ShellApi& shell) {
  RegistryReader reader(registry, entry.view);
  if (!OpenSubkey(reader, entry)) return {};
  return Text(reader, u"DisplayIcon", &shell);
}

}  // namespace velmoro
