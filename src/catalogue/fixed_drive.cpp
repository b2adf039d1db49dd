#include "catalogue/fixed_drive.h"

#include <array>

#include "catalogue/path_text.h"

namespace velmoro {

namespace {

bool IsLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// Where the names of an "X:\..." or "\\?\X:\..." path start; 0 for any other path.
std::size_t NamesStart(std::u16string_view path) {
  const std::size_t prefix = path.starts_with(kUnparsedPathPrefix) ? kUnparsedPathPrefix.size() : 0;
  path.remove_prefix(prefix);
  if (path.size() < 3 || !IsLetter(path[0]) || path[1] != u':' || path[2] != u'\\') return 0;
  return prefix + 3;
}

bool IsDeviceName(std::u16string_view name) {
  name = name.substr(0, name.find_first_of(u".:"));
  while (!name.empty() && name.back() == u' ') name.remove_suffix(1);
  std::u16string upper(name);
  for (char16_t& c : upper) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  constexpr std::array<std::u16string_view, 6> kDevices = {u"CON", u"PRN",    u"AUX",
                                                           u"NUL", u"CONIN$", u"CONOUT$"};
  for (const std::u16string_view device : kDevices) {
    if (upper == device) return true;
  }
  if (upper.size() != 4 || (!upper.starts_with(u"COM") && !upper.starts_with(u"LPT"))) return false;
  const char16_t digit = upper[3];
  return (digit >= u'0' && digit <= u'9') || digit == u'\u00B9' || digit == u'\u00B2' ||
         digit == u'\u00B3';
}

// A "\\?\" path is not made full: its "." and ".." would be names of their own.
bool HasDeviceOrDotName(std::u16string_view names) {
  while (!names.empty()) {
    const std::size_t end = names.find(u'\\');
    const std::u16string_view name = names.substr(0, end);
    if (name == u"." || name == u".." || IsDeviceName(name)) return true;
    names.remove_prefix(end == names.npos ? names.size() : end + 1);
  }
  return false;
}

}  // namespace

std::optional<std::u16string> OnFixedDrive(std::u16string_view path, FileApi& files) {
  if (!IsPathText(path) || NamesStart(path) == 0) return std::nullopt;
  std::optional<std::u16string> full = files.FullPath(std::u16string(path));
  if (!full) return std::nullopt;
  const std::size_t names = NamesStart(*full);
  if (names == 0 || HasDeviceOrDotName(std::u16string_view(*full).substr(names))) {
    return std::nullopt;
  }
  const std::u16string root = full->substr(names - 3, 3);
  if (files.DriveKindOf(root) != DriveKind::kFixed) return std::nullopt;
  return full;
}

}  // namespace velmoro
