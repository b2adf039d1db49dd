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

  std::vector<std::u16string> Ensure() {
    return EnsureDataDir(files_, GetDataDir(registry_), true);
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

TEST_F(EnsureDataDirTest, CreatesTheMissingLevelsInOrder) {
  files_.AddDirectory(u"C:\\ProgramData");
  EXPECT_THAT(Ensure(), IsEmpty());
  EXPECT_THAT(FileCalls(u"DirectoryExists"), ElementsAre(kDataDir, u"C:", u"C:\\ProgramData",
                                                         u"C:\\ProgramData\\Quinsett", kDataDir));
  EXPECT_THAT(FileCalls(u"MakeDirectory"), ElementsAre(u"C:\\ProgramData\\Quinsett", kDataDir));
  EXPECT_TRUE(files_.DirectoryExists(kDataDir));
  // Only the program's own folders are made with a descriptor of their own, protected from
  // inheritance: Users get no right to delete, rename or re-permission them.
  EXPECT_EQ(files_.Security(u"C:\\ProgramData\\Quinsett"),
            std::u16string(u"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1200a9;;;BU)"));
  EXPECT_EQ(files_.Security(kDataDir),
            std::u16string(
                u"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1200ab;;;BU)(A;OIIO;0x13019f;;;BU)"));
}

TEST_F(EnsureDataDirTest, CreatesOnlyTheLastLevelWhenTheRestExists) {
  files_.AddDirectory(u"C:\\ProgramData\\Quinsett");
  Ensure();
  EXPECT_THAT(FileCalls(u"MakeDirectory"), ElementsAre(kDataDir));
}

TEST_F(EnsureDataDirTest, EveryLevelFromTheFirstFailingOneIsReportedInOrder) {
  files_.AddDirectory(u"C:\\ProgramData");
  files_.DenyMakeDirectory(u"C:\\ProgramData\\Quinsett");
  EXPECT_THAT(Ensure(), ElementsAre(u"C:\\ProgramData\\Quinsett", kDataDir));
  EXPECT_THAT(FileCalls(u"MakeDirectory"), ElementsAre(u"C:\\ProgramData\\Quinsett", kDataDir));
}

// Two copies started together both find the level missing; the slower one's creation fails.
TEST_F(EnsureDataDirTest, ALevelMadeMeanwhileByAnotherCopyIsNoFailure) {
  files_.AddDirectory(u"C:\\ProgramData");
  files_.MadeMeanwhile(u"C:\\ProgramData\\Quinsett");
  files_.MadeMeanwhile(kDataDir);
  EXPECT_THAT(Ensure(), IsEmpty());
  EXPECT_THAT(FileCalls(u"MakeDirectory"), ElementsAre(u"C:\\ProgramData\\Quinsett", kDataDir));
  EXPECT_TRUE(files_.DirectoryExists(kDataDir));
}

TEST_F(EnsureDataDirTest, LevelsAboveTheProgramsOwnAreMadePlain) {
  registry_.SetString(kShellFolders, kValue, u"D:\\Shared");
  files_.AddDirectory(u"D:");
  EXPECT_THAT(Ensure(), IsEmpty());
  EXPECT_EQ(files_.Security(u"D:\\Shared"), std::u16string());
  EXPECT_NE(files_.Security(u"D:\\Shared\\Quinsett"), std::u16string());
}

TEST_F(EnsureDataDirTest, NothingIsMadeThroughALink) {
  files_.AddDirectory(u"C:\\ProgramData\\Quinsett");
  files_.MakeLink(u"C:\\ProgramData\\Quinsett", LinkKind::kReparsePoint);
  EXPECT_THAT(Ensure(), IsEmpty());
  EXPECT_THAT(FileCalls(u"MakeDirectory"), IsEmpty());
}

struct LinkCase {
  const char* what;
  const char16_t* link;
  LinkKind kind;
};

void PrintTo(const LinkCase& c, std::ostream* os) {
  *os << c.what;
}

class FindDataLinkTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(FindDataLinkTest, FindsTheFirstLinkOfTheDataPaths) {
  FakeFiles files;
  files.AddDirectory(kDataDir);
  if (GetParam().link != nullptr) files.MakeLink(GetParam().link, GetParam().kind);
  files.MakeLink(u"C:\\ProgramData", LinkKind::kReparsePoint);  // above the program's own
  const auto found = FindDataLink(files, kDataDir);
  ASSERT_EQ(found.has_value(), GetParam().link != nullptr);
  if (found) {
    EXPECT_EQ(found->path, GetParam().link);
    EXPECT_EQ(found->kind, GetParam().kind);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FindDataLinkTest,
    ::testing::Values(LinkCase{"none", nullptr, LinkKind::kNone},
                      LinkCase{"quinsett", u"C:\\ProgramData\\Quinsett", LinkKind::kReparsePoint},
                      LinkCase{"data_folder", kDataDir, LinkKind::kReparsePoint},
                      LinkCase{"all_hard_linked",
                               u"C:\\ProgramData\\Quinsett\\Velmoro Uninstaller\\All.dat",
                               LinkKind::kHardLinks},
                      LinkCase{"recent_symbolic",
                               u"C:\\ProgramData\\Quinsett\\Velmoro Uninstaller\\Recent.dat",
                               LinkKind::kReparsePoint}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(EnsureDataDirTest, AFileAtTheDataDirectoryGivesOneBox) {
  files_.AddDirectory(u"C:\\ProgramData\\Quinsett");
  files_.SetFile(kDataDir, "");
  EXPECT_THAT(Ensure(), ElementsAre(kDataDir));
}

TEST_F(EnsureDataDirTest, NoCommonAppDataReportsTheEmptyPrefixAndGoesOn) {
  registry_.SetString(kShellFolders, kValue, u"");
  EXPECT_THAT(Ensure(), ElementsAre(u""));
  EXPECT_THAT(FileCalls(u"MakeDirectory"),
              ElementsAre(u"", u"\\Quinsett", u"\\Quinsett\\Velmoro Uninstaller"));
  EXPECT_TRUE(files_.DirectoryExists(u"\\Quinsett\\Velmoro Uninstaller"));
}

TEST_F(EnsureDataDirTest, AReadErrorPassesThroughBeforeAnyFolderIsTested) {
  registry_.SetDword(kShellFolders, kValue, 3);
  EXPECT_THROW(Ensure(), RegistryError);
  EXPECT_THAT(files_.log(), IsEmpty());
}

}  // namespace
}  // namespace velmoro
