#include "catalogue/fixed_drive.h"

#include <string>

namespace velmoro {

namespace {

bool IsLetter(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

}  // namespace

bool OnFixedDrive(std::u16string_view path, FileApi& files) {
  if (path.starts_with(u"\\\\?\\")) path.remove_prefix(4);
  if (path.size() < 3 || !IsLetter(path[0]) || path[1] != u':' || path[2] != u'\\') return false;
  return files.DriveKindOf(std::u16string(path.substr(0, 3))) == DriveKind::kFixed;
}

}  // namespace velmoro
