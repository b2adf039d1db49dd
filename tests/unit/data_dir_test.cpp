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

constexpr char kShellFolders[] =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kValue[] = "Common AppData";
constexpr char kDataDir[] = "C:\\ProgramData\\Quinsett\\Velmoro Uninstaller";

// Lead bytes of Shift-JIS when double_byte is set, none otherwise.
class TestText : public TextApi {
 public:
  explicit TestText(bool double_byte = false) : double_byte_(double_byte) {}
  MOCK_METHOD(void, UpperCase, (std::string & text), (override));
  bool IsDbcsLeadByte(char byte) override {
    const auto b = static_cast<unsigned char>(byte);
    return double_byte_ && ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC));
  }

 private:
  bool double_byte_;
};

struct DataDirCase {
  const char* what;
  void (*arrange)(FakeRegistry& registry);
  bool double_byte;
  std::string expected;
};

void PrintTo(const DataDirCase& c, std::ostream* os) {
  *os << c.what;
}

const DataDirCase kDataDirCases[] = {
    {"plain", [](FakeRegistry& r) { r.SetString(kShellFolders, kValue, "C:\\ProgramData"); }, false,
     kDataDir},
    {"ending_in_separator",
     [](FakeRegistry& r) { r.SetString(kShellFolders, kValue, "C:\\ProgramData\\"); }, false,
     kDataDir},
    {"value_missing", [](FakeRegistry& r) { r.AddKey(kShellFolders); }, false,
     "\\Quinsett\\Velmoro Uninstaller"},
    {"value_empty", [](FakeRegistry& r) { r.SetString(kShellFolders, kValue, ""); }, false,
     "\\Quinsett\\Velmoro Uninstaller"},
    {"value_without_data", [](FakeRegistry& r) { r.SetRaw(kShellFolders, kValue, kRegSz, ""); },
     false, "\\Quinsett\\Velmoro Uninstaller"},
    {"key_missing", [](FakeRegistry&) {}, false, "\\Quinsett\\Velmoro Uninstaller"},
    {"key_refused",
     [](FakeRegistry& r) {
       r.SetString(kShellFolders, kValue, "C:\\ProgramData");
       r.RefuseOpen(kShellFolders);
     },
     false, "\\Quinsett\\Velmoro Uninstaller"},
    {"key_read_refused_query_allowed",
     [](FakeRegistry& r) {
       r.SetString(kShellFolders, kValue, "C:\\ProgramData");
       r.RefuseOpen(kShellFolders, {kKeyRead, kKeyReadEnumerate});
     },
     false, kDataDir},
    {"expand_sz_unexpanded",
     [](FakeRegistry& r) {
       r.SetString(kShellFolders, kValue, "%ALLUSERSPROFILE%\\Application Data", kRegExpandSz);
     },
     false, "%ALLUSERSPROFILE%\\Application Data\\Quinsett\\Velmoro Uninstaller"},
    {"cut_at_nul",
     [](FakeRegistry& r) {
       r.SetRaw(kShellFolders, kValue, kRegSz, std::string("C:\\Data\0\\X\\\0", 12));
     },
     false, "C:\\Data\\Quinsett\\Velmoro Uninstaller"},
    // 0x95 0x5C is one double-byte character whose second byte is "\".
    {"trail_byte_separator_does_not_count",
     [](FakeRegistry& r) { r.SetString(kShellFolders, kValue, "C:\\\x95\x5C"); }, true,
     "C:\\\x95\x5C\\Quinsett\\Velmoro Uninstaller"},
    {"same_bytes_on_a_single_byte_code_page",
     [](FakeRegistry& r) { r.SetString(kShellFolders, kValue, "C:\\\x95\x5C"); }, false,
     "C:\\\x95\x5CQuinsett\\Velmoro Uninstaller"},
    {"separator_after_a_double_byte_character",
     [](FakeRegistry& r) { r.SetString(kShellFolders, kValue, "C:\\\x95\x95\x5C"); }, true,
     "C:\\\x95\x95\x5CQuinsett\\Velmoro Uninstaller"},
    {"lone_lead_byte_at_the_end",
     [](FakeRegistry& r) { r.SetString(kShellFolders, kValue, "C:\\\x95"); }, true,
     "C:\\\x95\\Quinsett\\Velmoro Uninstaller"},
};

class GetDataDirTest : public ::testing::TestWithParam<DataDirCase> {};

TEST_P(GetDataDirTest, BuildsThePathFromCommonAppData) {
  FakeRegistry registry;
  GetParam().arrange(registry);
  TestText text(GetParam().double_byte);
  EXPECT_EQ(GetDataDir(registry, text), GetParam().expected);
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
         r.SetString(kShellFolders, kValue, "C:\\ProgramData");
         r.FailFetch(kShellFolders, kValue);
       },
       "Failed to get data for 'Common AppData'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    FakeRegistry registry;
    c.arrange(registry);
    TestText text;
    try {
      GetDataDir(registry, text);
      ADD_FAILURE() << "no error";
    } catch (const RegistryError& error) {
      EXPECT_STREQ(error.what(), c.message);
    }
    EXPECT_EQ(registry.open_key_count(), 0u);
  }
}

TEST(GetDataDirTest, ReadsTheRegistryAfreshWithReadAccessUnderTheMachineRoot) {
  FakeRegistry registry;
  TestText text;
  registry.SetString(kShellFolders, kValue, "C:\\One");
  EXPECT_EQ(GetDataDir(registry, text), "C:\\One\\Quinsett\\Velmoro Uninstaller");
  registry.SetString(kShellFolders, kValue, "D:\\Two");
  EXPECT_EQ(GetDataDir(registry, text), "D:\\Two\\Quinsett\\Velmoro Uninstaller");
  ASSERT_EQ(registry.open_calls().size(), 2u);
  EXPECT_EQ(registry.open_calls()[0].path, kShellFolders);
  EXPECT_EQ(registry.open_calls()[0].access, kKeyRead);
}

class EnsureDataDirTest : public ::testing::Test {
 protected:
  EnsureDataDirTest() { registry_.SetString(kShellFolders, kValue, "C:\\ProgramData"); }

  std::vector<std::string> Ensure() { return EnsureDataDir(registry_, files_, text_); }
  std::vector<std::string> FileCalls(const char* operation) const {
    std::vector<std::string> paths;
    const std::string prefix = std::string(operation) + " ";
    for (const std::string& line : files_.log()) {
      if (line.rfind(prefix, 0) == 0) paths.push_back(line.substr(prefix.size()));
    }
    return paths;
  }

  FakeRegistry registry_;
  FakeFiles files_;
  TestText text_;
};

TEST_F(EnsureDataDirTest, PresentDirectoryIsOnlyTested) {
  files_.AddDirectory(kDataDir);
  EXPECT_THAT(Ensure(), IsEmpty());
  EXPECT_THAT(files_.log(), ElementsAre(std::string("DirectoryExists ") + kDataDir));
  EXPECT_EQ(registry_.open_calls().size(), 1u);
}

TEST_F(EnsureDataDirTest, CreatesTheMissingLevelsInOrder) {
  files_.AddDirectory("C:\\ProgramData");
  EXPECT_THAT(Ensure(), IsEmpty());
  EXPECT_THAT(FileCalls("DirectoryExists"), ElementsAre(kDataDir, "C:", "C:\\ProgramData",
                                                        "C:\\ProgramData\\Quinsett", kDataDir));
  EXPECT_THAT(FileCalls("MakeDirectory"), ElementsAre("C:\\ProgramData\\Quinsett", kDataDir));
  EXPECT_TRUE(files_.DirectoryExists(kDataDir));
  EXPECT_EQ(registry_.open_calls().size(), 2u);
}

TEST_F(EnsureDataDirTest, CreatesOnlyTheLastLevelWhenTheRestExists) {
  files_.AddDirectory("C:\\ProgramData\\Quinsett");
  Ensure();
  EXPECT_THAT(FileCalls("MakeDirectory"), ElementsAre(kDataDir));
}

TEST_F(EnsureDataDirTest, EveryLevelFromTheFirstFailingOneIsReportedInOrder) {
  files_.AddDirectory("C:\\ProgramData");
  files_.DenyMakeDirectory("C:\\ProgramData\\Quinsett");
  EXPECT_THAT(Ensure(), ElementsAre("C:\\ProgramData\\Quinsett", kDataDir));
  EXPECT_THAT(FileCalls("MakeDirectory"), ElementsAre("C:\\ProgramData\\Quinsett", kDataDir));
}

// Two copies started together both find the level missing; the slower one's creation fails.
TEST_F(EnsureDataDirTest, ALevelMadeMeanwhileByAnotherCopyIsNoFailure) {
  files_.AddDirectory("C:\\ProgramData");
  files_.MadeMeanwhile("C:\\ProgramData\\Quinsett");
  files_.MadeMeanwhile(kDataDir);
  EXPECT_THAT(Ensure(), IsEmpty());
  EXPECT_THAT(FileCalls("MakeDirectory"), ElementsAre("C:\\ProgramData\\Quinsett", kDataDir));
  EXPECT_TRUE(files_.DirectoryExists(kDataDir));
}

TEST_F(EnsureDataDirTest, AFileAtTheDataDirectoryGivesOneBox) {
  files_.AddDirectory("C:\\ProgramData\\Quinsett");
  files_.SetFile(kDataDir, "");
  EXPECT_THAT(Ensure(), ElementsAre(kDataDir));
}

TEST_F(EnsureDataDirTest, NoCommonAppDataReportsTheEmptyPrefixAndGoesOn) {
  registry_.SetString(kShellFolders, kValue, "");
  EXPECT_THAT(Ensure(), ElementsAre(""));
  EXPECT_THAT(FileCalls("MakeDirectory"),
              ElementsAre("", "\\Quinsett", "\\Quinsett\\Velmoro Uninstaller"));
  EXPECT_TRUE(files_.DirectoryExists("\\Quinsett\\Velmoro Uninstaller"));
}

TEST_F(EnsureDataDirTest, AReadErrorPassesThroughBeforeAnyFolderIsTested) {
  registry_.SetDword(kShellFolders, kValue, 3);
  EXPECT_THROW(Ensure(), RegistryError);
  EXPECT_THAT(files_.log(), IsEmpty());
}

}  // namespace
}  // namespace velmoro
