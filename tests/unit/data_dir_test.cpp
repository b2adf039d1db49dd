#include "catalogue/data_dir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/registry_error.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_registry.h"

namespace velmoro {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char16_t kShellFolders[] =
    u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char16_t kValue[] = u"Common AppData";
constexpr char16_t kDataDir[] = u"C:\\ProgramData\\Quinsett\\Velmoro Uninstaller";

struct DataDirCase {
  const char* what;
  void (*arrange)(FakeRegistry& registry);
  std::u16string expected;
};

void PrintTo(const DataDirCase& c, std::ostream* os) {
  *os << c.what;
}

const DataDirCase kDataDirCases[] = {
    {"plain", [](FakeRegistry& r) { r.SetString(kShellFolders, kValue, u"C:\\ProgramData"); },
     kDataDir},
    {"ending_in_separator",
     [](FakeRegistry& r) { r.SetString(kShellFolders, kValue, u"C:\\ProgramData\\"); }, kDataDir},
    {"value_missing", [](FakeRegistry& r) { r.AddKey(kShellFolders); },
     u"\\Quinsett\\Velmoro Uninstaller"},
    {"value_empty", [](FakeRegistry& r) { r.SetString(kShellFolders, kValue, u""); },
     u"\\Quinsett\\Velmoro Uninstaller"},
    {"value_without_data", [](FakeRegistry& r) { r.SetRaw(kShellFolders, kValue, kRegSz, ""); },
     u"\\Quinsett\\Velmoro Uninstaller"},
    {"key_missing", [](FakeRegistry&) {}, u"\\Quinsett\\Velmoro Uninstaller"},
    {"key_refused",
     [](FakeRegistry& r) {
       r.SetString(kShellFolders, kValue, u"C:\\ProgramData");
       r.RefuseOpen(kShellFolders);
     },
     u"\\Quinsett\\Velmoro Uninstaller"},
    {"key_read_refused_query_allowed",
     [](FakeRegistry& r) {
       r.SetString(kShellFolders, kValue, u"C:\\ProgramData");
       r.RefuseOpen(kShellFolders, {kKeyRead, kKeyReadEnumerate});
     },
     kDataDir},
    {"expand_sz_unexpanded",
     [](FakeRegistry& r) {
       r.SetString(kShellFolders, kValue, u"%ALLUSERSPROFILE%\\Application Data", kRegExpandSz);
     },
     u"%ALLUSERSPROFILE%\\Application Data\\Quinsett\\Velmoro Uninstaller"},
    {"cut_at_nul",
     [](FakeRegistry& r) {
       r.SetRaw(kShellFolders, kValue, kRegSz,
                FakeRegistry::Utf16Bytes(std::u16string(u"C:\\Data\0\\X\\\0", 12)));
     },
     u"C:\\Data\\Quinsett\\Velmoro Uninstaller"},
    // U+8868 is the character whose Shift-JIS form ends in the byte of "\".
    {"any_script", [](FakeRegistry& r) { r.SetString(kShellFolders, kValue, u"C:\\データ\\表"); },
     u"C:\\データ\\表\\Quinsett\\Velmoro Uninstaller"},
};

class GetDataDirTest : public ::testing::TestWithParam<DataDirCase> {};

TEST_P(GetDataDirTest, BuildsThePathFromCommonAppData) {
  FakeRegistry registry;
  GetParam().arrange(registry);
  EXPECT_EQ(GetDataDir(registry), GetParam().expected);
  EXPECT_EQ(registry.open_key_count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Values, GetDataDirTest, ::testing::ValuesIn(kDataDirCases),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(GetDataDirErrorTest, ReadErrorsPassOutAfterTheKeyIsClosed) {
  struct Case {
    void (*arrange)(FakeRegistry& registry);
    const char* message;
  };
  const Case cases[] = {
      {[](FakeRegistry& r) { r.SetDword(kShellFolders, kValue, 1); },
       "Invalid data type for 'Common AppData'"},
      {[](FakeRegistry& r) {
         r.SetString(kShellFolders, kValue, u"C:\\ProgramData");
         r.FailFetch(kShellFolders, kValue);
       },
       "Failed to get data for 'Common AppData'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    FakeRegistry registry;
    c.arrange(registry);
    try {
      GetDataDir(registry);
      ADD_FAILURE() << "no error";
    } catch (const RegistryError& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
    EXPECT_EQ(registry.open_key_count(), 0u);
  }
}

TEST(GetDataDirTest, ReadsTheRegistryAfreshWithReadAccessUnderTheMachineRoot) {
  FakeRegistry registry;
  registry.SetString(kShellFolders, kValue, u"C:\\One");
  EXPECT_EQ(GetDataDir(registry), u"C:\\One\\Quinsett\\Velmoro Uninstaller");
  registry.SetString(kShellFolders, kValue, u"D:\\Two");
  EXPECT_EQ(GetDataDir(registry), u"D:\\Two\\Quinsett\\Velmoro Uninstaller");
  ASSERT_EQ(registry.open_calls().size(), 2u);
  EXPECT_EQ(registry.open_calls()[0].path, kShellFolders);
  EXPECT_EQ(registry.open_calls()[0].access, kKeyRead);
}

class EnsureDataDirTest : public ::testing::Test {
 protected:
  EnsureDataDirTest() { registry_.SetString(kShellFolders, kValue, u"C:\\ProgramData"); }

  // The levels not made, in the order the walk met them.
  std::vector<std::u16string> Ensure() { return Ensure(GetDataDir(registry_), true); }
  std::vector<std::u16string> Ensure(const std::u16string& dir, bool shared) {
    std::vector<std::u16string> not_made;
    const bool whole = EnsureDataDir(
        files_, dir, shared, [&](const std::u16string& level) { not_made.push_back(level); });
    EXPECT_EQ(whole, not_made.empty());
    return not_made;
  }
  std::vector<std::u16string> FileCalls(const char16_t* operation) const {
    std::vector<std::u16string> paths;
    const std::u16string prefix = std::u16string(operation) + u" ";
    for (const std::u16string& line : files_.log()) {
      if (line.rfind(prefix, 0) == 0) paths.push_back(line.substr(prefix.size()));
    }
    return paths;
  }

  FakeRegistry registry_;
  FakeFiles files_;
};

TEST_F(EnsureDataDirTest, PresentDirectoryIsOnlyTested) {
  files_.AddDirectory(kDataDir);
  EXPECT_THAT(Ensure(), IsEmpty());
  EXPECT_THAT(files_.log(), ElementsAre(std::u16string(u"DirectoryExists ") + kDataDir));
  EXPECT_EQ(registry_.open_calls().size(), 1u);
}

TEST_F(EnsureDataDirTest, CreatesTheMissingLevelsInOrderInsideTheirHeldParents) {
  files_.AddDirectory(u"C:\\ProgramData");
  EXPECT_THAT(Ensure(), IsEmpty());
  EXPECT_THAT(FileCalls(u"DirectoryExists"), ElementsAre(kDataDir, u"C:", u"C:\\ProgramData"));
  EXPECT_THAT(FileCalls(u"HoldKnownFolder"), ElementsAre(u"C:\\ProgramData"));
  EXPECT_THAT(FileCalls(u"HoldFolderIn"), ElementsAre(u"C:\\ProgramData\\Quinsett", kDataDir));
  EXPECT_THAT(FileCalls(u"MakeFolder"), ElementsAre(u"C:\\ProgramData\\Quinsett", kDataDir));
  EXPECT_THAT(FileCalls(u"MakeDirectory"), IsEmpty());
  EXPECT_EQ(files_.folders_held(), 0u);
  EXPECT_TRUE(files_.DirectoryExists(kDataDir));
  // Only the program's own folders get access lists of their own, inheriting nothing: Users and
  // whoever owns a folder (OWNER RIGHTS) may look into both and work with the files of the data
  // folder, but may not delete, rename or re-permission either folder.
  const std::u16string sy = u"S-1-5-18", ba = u"S-1-5-32-544", bu = u"S-1-5-32-545",
                       ow = u"S-1-3-4";
  EXPECT_EQ(files_.MadeWith(u"C:\\ProgramData\\Quinsett"),
            (FolderSecurity{
                ba,
                true,
                true,
                {{sy, 0x1F01FF, 3}, {ba, 0x1F01FF, 3}, {bu, 0x1200a9, 0}, {ow, 0x1200a9, 0}}}));
  EXPECT_EQ(files_.MadeWith(kDataDir), (FolderSecurity{ba,
                                                       true,
                                                       true,
                                                       {{sy, 0x1F01FF, 3},
                                                        {ba, 0x1F01FF, 3},
                                                        {bu, 0x1200ab, 0},
                                                        {bu, 0x13019f, 9},
                                                        {ow, 0x1200ab, 0},
                                                        {ow, 0x13019f, 9}}}));
}

TEST_F(EnsureDataDirTest, CreatesOnlyTheLastLevelWhenTheRestExists) {
  files_.AddDirectory(u"C:\\ProgramData\\Quinsett");
  Ensure();
  EXPECT_THAT(FileCalls(u"MakeFolder"), ElementsAre(kDataDir));
}

TEST_F(EnsureDataDirTest, EveryLevelFromTheFirstFailingOneIsReportedInOrder) {
  files_.AddDirectory(u"C:\\ProgramData");
  files_.DenyMakeDirectory(u"C:\\ProgramData\\Quinsett");
  EXPECT_THAT(Ensure(), ElementsAre(u"C:\\ProgramData\\Quinsett", kDataDir));
  EXPECT_THAT(FileCalls(u"MakeFolder"), ElementsAre(u"C:\\ProgramData\\Quinsett"));
}

// Two copies started together both find the level missing; the slower one's creation fails.
TEST_F(EnsureDataDirTest, ALevelMadeMeanwhileByAnotherCopyIsNoFailure) {
  files_.AddDirectory(u"C:\\ProgramData");
  files_.MadeMeanwhile(u"C:\\ProgramData\\Quinsett");
  files_.MadeMeanwhile(kDataDir);
  EXPECT_THAT(Ensure(), IsEmpty());
  EXPECT_THAT(FileCalls(u"MakeFolder"), ElementsAre(u"C:\\ProgramData\\Quinsett", kDataDir));
  EXPECT_THAT(
      FileCalls(u"HoldFolderIn"),
      ElementsAre(u"C:\\ProgramData\\Quinsett", u"C:\\ProgramData\\Quinsett", kDataDir, kDataDir));
  EXPECT_TRUE(files_.DirectoryExists(kDataDir));
}

TEST_F(EnsureDataDirTest, LevelsAboveTheProgramsOwnAreMadePlain) {
  registry_.SetString(kShellFolders, kValue, u"D:\\Shared");
  files_.AddDirectory(u"D:");
  EXPECT_THAT(Ensure(), IsEmpty());
  EXPECT_EQ(files_.MadeWith(u"D:\\Shared"), std::nullopt);
  EXPECT_NE(files_.MadeWith(u"D:\\Shared\\Quinsett"), std::nullopt);
}

// The program's own levels are never links; the known folder may be one (a profile moved to another
// drive), and the levels are made in the folder it leads to.
TEST_F(EnsureDataDirTest, NothingIsMadeThroughALinkOfTheProgramsOwn) {
  files_.AddDirectory(u"C:\\ProgramData\\Quinsett");
  files_.MakeLink(u"C:\\ProgramData\\Quinsett", LinkKind::kReparsePoint);
  EXPECT_THAT(Ensure(), IsEmpty());
  EXPECT_THAT(FileCalls(u"MakeFolder"), IsEmpty());
}

TEST_F(EnsureDataDirTest, AKnownFolderThatIsALinkIsFollowed) {
  files_.AddDirectory(u"D:\\Moved\\Ann\\AppData\\Local");
  files_.AddDirectory(u"C:\\Users\\Ann\\AppData");
  ASSERT_TRUE(files_.MakeMountPoint(u"C:\\Users\\Ann\\AppData", u"D:\\Moved\\Ann\\AppData"));
  const std::u16string dir = UserDataDir(u"C:\\Users\\Ann\\AppData\\Local");
  EXPECT_THAT(Ensure(dir, false), IsEmpty());
  EXPECT_TRUE(
      files_.DirectoryExists(u"D:\\Moved\\Ann\\AppData\\Local\\Quinsett\\Velmoro Uninstaller"));
  EXPECT_EQ(files_.MadeWith(u"D:\\Moved\\Ann\\AppData\\Local\\Quinsett"), std::nullopt);
}

TEST_F(EnsureDataDirTest, AFileAtTheDataDirectoryGivesOneBox) {
  files_.AddDirectory(u"C:\\ProgramData\\Quinsett");
  files_.SetFile(kDataDir, "");
  EXPECT_THAT(Ensure(), ElementsAre(kDataDir));
}

TEST_F(EnsureDataDirTest, NoCommonAppDataReportsTheEmptyPrefixAndGoesOn) {
  registry_.SetString(kShellFolders, kValue, u"");
  EXPECT_THAT(Ensure(), ElementsAre(u""));
  EXPECT_THAT(FileCalls(u"MakeDirectory"), ElementsAre(u""));
  EXPECT_THAT(FileCalls(u"MakeFolder"),
              ElementsAre(u"\\Quinsett", u"\\Quinsett\\Velmoro Uninstaller"));
  EXPECT_TRUE(files_.DirectoryExists(u"\\Quinsett\\Velmoro Uninstaller"));
}

TEST_F(EnsureDataDirTest, AReadErrorPassesThroughBeforeAnyFolderIsTested) {
  registry_.SetDword(kShellFolders, kValue, 3);
  EXPECT_THROW(Ensure(), RegistryError);
  EXPECT_THAT(files_.log(), IsEmpty());
}

}  // namespace
}  // namespace velmoro
