// Which paths that a program's registry values name the program may touch, and the path it then
// touches.
#include "catalogue/fixed_drive.h"

#include <gtest/gtest.h>

#include "catalogue/path_text.h"
#include "platform/fake/fake_files.h"

namespace velmoro {
namespace {

struct PathCase {
  const char16_t* path;
  bool path_text;                      // IsPathText
  std::optional<std::u16string> full;  // OnFixedDrive
};

void PrintTo(const PathCase& c, std::ostream* out) {
  for (const char16_t* p = c.path; *p != 0; ++p) *out << (*p < 0x80 ? static_cast<char>(*p) : '?');
}

const PathCase kPaths[] = {
    {u"C:\\App\\un.exe", true, u"C:\\App\\un.exe"},
    {u"c:\\App\\.\\x\\..\\un.exe", true, u"c:\\App\\un.exe"},
    {u"C:/App/un.exe", true, std::nullopt},
    {u"\\\\?\\C:\\App\\un.exe", true, u"\\\\?\\C:\\App\\un.exe"},
    // "\\?\" hands the rest to the file system unparsed: its "?" is no wildcard, its ".." a name.
    {u"\\\\?\\C:\\App\\..\\un.exe", true, std::nullopt},
    {u"", false, std::nullopt},
    {u"C:\\App\\un*.exe", false, std::nullopt},
    {u"C:\\App\\un?.exe", false, std::nullopt},
    {u"C:\\App\\\"un.exe", false, std::nullopt},
    {u"C:\\App\\un.exe|x", false, std::nullopt},
    {u"C:\\App\\<un>.exe", false, std::nullopt},
    {u"C:\\App\\un\tx.exe", false, std::nullopt},
    {u"C:\\App\\un\x1F.exe", false, std::nullopt},
    // Only drive paths: no share, no relative or rooted path, no other device path.
    {u"\\\\server\\share\\un.exe", true, std::nullopt},
    {u"\\\\.\\C:\\un.exe", true, std::nullopt},
    {u"App\\un.exe", true, std::nullopt},
    {u"\\App\\un.exe", true, std::nullopt},
    {u"C:un.exe", true, std::nullopt},
    {u"1:\\un.exe", true, std::nullopt},
    // A ".." may not climb out of what was checked: the full path is checked.
    {u"C:\\App\\..\\..\\..\\un.exe", true, u"C:\\un.exe"},
    {u"Z:\\App\\un.exe", true, std::nullopt},  // a network drive
    {u"E:\\App\\un.exe", true, std::nullopt},  // a removable drive
    // Device names in any folder and case, before a "." or ":", with blanks after them.
    {u"C:\\App\\NUL", true, std::nullopt},
    {u"C:\\con\\un.exe", true, std::nullopt},
    {u"C:\\App\\com1.ico", true, std::nullopt},
    {u"C:\\App\\LPT9", true, std::nullopt},
    {u"C:\\App\\COM\u00B9", true, std::nullopt},
    {u"C:\\App\\aux  .txt", true, std::nullopt},
    {u"C:\\App\\CONOUT$", true, std::nullopt},
    {u"C:\\App\\prn:stream", true, std::nullopt},
    {u"C:\\App\\COM10", true, u"C:\\App\\COM10"},
    {u"C:\\App\\CONSOLE.exe", true, u"C:\\App\\CONSOLE.exe"},
    {u"C:\\App\\LPT", true, u"C:\\App\\LPT"},
};

class PathRuleTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(PathRuleTest, TouchesOnlyFullPathsOnFixedDrives) {
  FakeFiles files;
  files.drives[u'Z'] = DriveKind::kRemote;
  files.drives[u'E'] = DriveKind::kRemovable;
  EXPECT_EQ(IsPathText(GetParam().path), GetParam().path_text);
  EXPECT_EQ(OnFixedDrive(GetParam().path, files), GetParam().full);
}

INSTANTIATE_TEST_SUITE_P(Paths, PathRuleTest, ::testing::ValuesIn(kPaths));

}  // namespace
}  // namespace velmoro
