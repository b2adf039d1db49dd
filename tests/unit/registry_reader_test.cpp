#include "catalogue/registry_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/registry_error.h"
#include "platform/fake/fake_registry.h"

namespace velmoro {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kPath[] = "SOFTWARE\\Test";
constexpr char kFullPath[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Test";

struct ValueCase {
  const char* what;
  std::uint32_t type;
  std::string bytes;
  bool fail_fetch;
  std::string expected;  // the value read, unless an error is expected
  std::string error;     // the error's message, empty when none
};

void PrintTo(const ValueCase& c, std::ostream* os) {
  *os << c.what;
}

// What a read gives: the value, or "error: " and the error's message.
template <typename Read>
std::string Outcome(Read read) {
  try {
    return read();
  } catch (const RegistryError& error) {
    return std::string("error: ") + error.what();
  }
}

class RegistryReaderValueTest : public ::testing::TestWithParam<ValueCase> {
 protected:
  void SetUp() override {
    const ValueCase& c = GetParam();
    registry_.AddKey(kFullPath);
    if (c.type != kRegNone || !c.bytes.empty()) {
      registry_.SetRaw(kFullPath, "V", c.type, c.bytes);
    }
    if (c.fail_fetch) registry_.FailFetch(kFullPath, "V");
  }
  std::string Expected() const {
    return GetParam().error.empty() ? GetParam().expected : "error: " + GetParam().error;
  }

  FakeRegistry registry_;
};

using ReadStringTest = RegistryReaderValueTest;

TEST_P(ReadStringTest, GivesTextOrError) {
  RegistryReader reader(registry_);
  reader.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  EXPECT_EQ(Outcome([&] { return reader.ReadString("V"); }), Expected());
}

const std::string kFailed = "Failed to get data for 'V'";
const std::string kInvalid = "Invalid data type for 'V'";

INSTANTIATE_TEST_SUITE_P(
    ByTypeAndSize, ReadStringTest,
    ::testing::Values(
        ValueCase{"sz", kRegSz, std::string("abc\0", 4), false, "abc", ""},
        ValueCase{"expand_sz_unexpanded", kRegExpandSz, std::string("%ProgramFiles%\\Tool\0", 20),
                  false, "%ProgramFiles%\\Tool", ""},
        ValueCase{"no_terminating_nul", kRegSz, "abc", false, "abc", ""},
        ValueCase{"embedded_nul", kRegSz, std::string("ab\0cd\0", 6), false, "ab", ""},
        ValueCase{"only_nul", kRegSz, std::string(1, '\0'), false, "", ""},
        ValueCase{"no_data", kRegSz, "", false, "", ""},
        ValueCase{"dword_without_data_is_not_type_checked", kRegDword, "", false, "", ""},
        ValueCase{"missing", kRegNone, "", false, "", ""},
        ValueCase{"longer_than_any_fixed_buffer", kRegSz, std::string(70000, 'x') + '\0', false,
                  std::string(70000, 'x'), ""},
        ValueCase{"dword", kRegDword, std::string("\1\0\0\0", 4), false, "", kInvalid},
        ValueCase{"binary", kRegBinary, "abc", false, "", kInvalid},
        ValueCase{"multi_sz", kRegMultiSz, std::string("a\0b\0\0", 5), false, "", kInvalid},
        ValueCase{"fetch_fails", kRegSz, std::string("abc\0", 4), true, "", kFailed},
        ValueCase{"fetch_fails_before_type_check", kRegDword, "1234", true, "", kFailed}),
    [](const auto& info) { return std::string(info.param.what); });

using ReadIntegerTest = RegistryReaderValueTest;

TEST_P(ReadIntegerTest, GivesNumberOrError) {
  RegistryReader reader(registry_);
  reader.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  EXPECT_EQ(Outcome([&] { return std::to_string(reader.ReadInteger("V")); }), Expected());
}

INSTANTIATE_TEST_SUITE_P(
    ByTypeAndSize, ReadIntegerTest,
    ::testing::Values(
        ValueCase{"dword", kRegDword, std::string("\x07\x01\0\0", 4), false, "263", ""},
        ValueCase{"dword_all_bits", kRegDword, "\xFF\xFF\xFF\xFF", false, "-1", ""},
        ValueCase{"dword_zero", kRegDword, std::string(4, '\0'), false, "0", ""},
        ValueCase{"five_bytes", kRegDword, std::string(5, '\0'), false, "", kFailed},
        ValueCase{"qword", kRegQword, std::string(8, '\0'), false, "", kFailed},
        ValueCase{"binary_of_four_bytes", kRegBinary, "\1\1\1\1", false, "", kInvalid},
        ValueCase{"short_string", kRegSz, std::string("1\0", 2), false, "", kInvalid},
        ValueCase{"string_of_four_bytes", kRegSz, std::string("123\0", 4), false, "", kInvalid},
        ValueCase{"string_of_five_bytes", kRegSz, std::string("1234\0", 5), false, "", kFailed},
        ValueCase{"missing", kRegNone, "", false, "", kFailed},
        ValueCase{"fetch_fails", kRegDword, std::string(4, '\0'), true, "", kFailed}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(RegistryReaderTest, ReadBoolIsTrueForNonZero) {
  FakeRegistry registry;
  registry.SetDword(kFullPath, "Zero", 0);
  registry.SetDword(kFullPath, "Two", 2);
  registry.SetString(kFullPath, "Text", "1");
  RegistryReader reader(registry);
  reader.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  EXPECT_FALSE(reader.ReadBool("Zero"));
  EXPECT_TRUE(reader.ReadBool("Two"));
  EXPECT_THROW(reader.ReadBool("Text"), RegistryError);
}

TEST(RegistryReaderTest, ValueExistsForAnyTypeAndNoData) {
  FakeRegistry registry;
  registry.SetRaw(kFullPath, "Empty", kRegBinary, "");
  registry.SetDword(kFullPath, "Number", 1);
  RegistryReader reader(registry);
  reader.SetRootKey(kHkeyLocalMachine);
  EXPECT_FALSE(reader.ValueExists("Number"));  // no key open
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  EXPECT_TRUE(reader.ValueExists("Empty"));
  EXPECT_TRUE(reader.ValueExists("number"));
  EXPECT_FALSE(reader.ValueExists("Other"));
}

TEST(RegistryReaderTest, StartsAtCurrentUserAndOpensFromTheRoot) {
  FakeRegistry registry;
  registry.AddKey("HKEY_CURRENT_USER\\SOFTWARE\\Test");
  RegistryReader reader(registry);
  EXPECT_EQ(reader.root_key(), kHkeyCurrentUser);
  EXPECT_FALSE(reader.OpenKeyReadOnly("SOFTWARE\\Missing"));
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  EXPECT_EQ(reader.current_path(), kPath);
  EXPECT_EQ(registry.open_calls().back().path, "HKEY_CURRENT_USER\\SOFTWARE\\Test");
}

TEST(RegistryReaderTest, OpenFallsBackThroughTheThreeMasksWithTheView) {
  FakeRegistry registry;
  registry.AddKey(kFullPath, FakeRegistry::View::k32);
  registry.RefuseOpen(kFullPath, {kKeyRead, kKeyReadEnumerate});
  RegistryReader reader(registry, kKeyRead, kKeyWow64_32Key);
  reader.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  EXPECT_EQ(reader.access(), kKeyQueryValue | kKeyWow64_32Key);
  std::vector<std::uint32_t> masks;
  for (const auto& call : registry.open_calls()) masks.push_back(call.access);
  EXPECT_THAT(masks, ElementsAre(kKeyRead | kKeyWow64_32Key, kKeyReadEnumerate | kKeyWow64_32Key,
                                 kKeyQueryValue | kKeyWow64_32Key));
}

TEST(RegistryReaderTest, FailedOpenKeepsTheOpenKey) {
  FakeRegistry registry;
  registry.AddKey(kFullPath);
  registry.AddKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked");
  registry.RefuseOpen("HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked");
  RegistryReader reader(registry);
  reader.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  const RegKey key = reader.current_key();
  EXPECT_FALSE(reader.OpenKeyReadOnly("\\SOFTWARE\\Locked"));
  EXPECT_EQ(registry.open_calls().size(), 4u);  // one success, then all three masks refused
  EXPECT_EQ(reader.current_key(), key);
  EXPECT_EQ(reader.current_path(), kPath);
  EXPECT_EQ(registry.open_key_count(), 1u);
}

TEST(RegistryReaderTest, RelativeAndAbsolutePaths) {
  FakeRegistry registry;
  registry.AddKey("HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Child");
  RegistryReader reader(registry);
  reader.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));

  ASSERT_TRUE(reader.OpenKeyReadOnly("Child"));
  EXPECT_EQ(reader.current_path(), "SOFTWARE\\Test\\Child");
  EXPECT_EQ(registry.open_calls().back().path, "HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Child");
  EXPECT_EQ(registry.open_key_count(), 1u);  // the previous key was closed

  ASSERT_TRUE(reader.OpenKeyReadOnly("\\SOFTWARE\\Test"));
  EXPECT_EQ(reader.current_path(), kPath);
  EXPECT_EQ(registry.open_calls().back().path, kFullPath);

  reader.CloseKey();
  EXPECT_EQ(reader.current_key(), kNoKey);
  EXPECT_THAT(reader.current_path(), IsEmpty());
  EXPECT_EQ(registry.open_key_count(), 0u);
  EXPECT_EQ(registry.bad_close_count(), 0);
}

TEST(RegistryReaderTest, ChangingTheRootClosesTheKeyAndReleasingClosesIt) {
  FakeRegistry registry;
  registry.AddKey(kFullPath);
  {
    RegistryReader reader(registry);
    reader.SetRootKey(kHkeyLocalMachine);
    ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
    reader.SetRootKey(kHkeyLocalMachine);
    EXPECT_EQ(registry.open_key_count(), 1u);
    reader.SetRootKey(kHkeyCurrentUser);
    EXPECT_EQ(registry.open_key_count(), 0u);
    reader.SetRootKey(kHkeyLocalMachine);
    ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  }
  EXPECT_EQ(registry.open_key_count(), 0u);
  EXPECT_EQ(registry.bad_close_count(), 0);
}

class GetKeyNamesTest : public ::testing::Test {
 protected:
  std::vector<std::string> Names() {
    RegistryReader reader(registry_);
    reader.SetRootKey(kHkeyLocalMachine);
    if (!reader.OpenKeyReadOnly(kPath)) return {"not opened"};
    return reader.GetKeyNames();
  }

  FakeRegistry registry_;
};

TEST_F(GetKeyNamesTest, ListsNamesInEnumerationOrderWithBufferOfLongestPlusOne) {
  for (const char* name : {"Zeta", "alpha", "Middle-Length"}) {
    registry_.AddKey(std::string(kFullPath) + "\\" + name);
  }
  registry_.AddKey(std::string(kFullPath) + "\\alpha\\Grandchild");
  EXPECT_THAT(Names(), ElementsAre("Zeta", "alpha", "Middle-Length"));
  EXPECT_THAT(registry_.enum_capacities(), ElementsAre(14u, 14u, 14u));
}

TEST_F(GetKeyNamesTest, SkipsAnIndexWhoseNameCannotBeFetched) {
  for (const char* name : {"A", "B", "C"}) registry_.AddKey(std::string(kFullPath) + "\\" + name);
  registry_.FailEnumKey(kFullPath, 1);
  EXPECT_THAT(Names(), ElementsAre("A", "C"));
}

TEST_F(GetKeyNamesTest, EmptyWhenInformationCannotBeReadOrNoKeyIsOpen) {
  registry_.AddKey(std::string(kFullPath) + "\\A");
  registry_.FailQueryInfo(kFullPath);
  EXPECT_THAT(Names(), IsEmpty());
  RegistryReader reader(registry_);
  EXPECT_THAT(reader.GetKeyNames(), IsEmpty());
}

TEST_F(GetKeyNamesTest, DoublesTheLongestLengthOnADoubleByteCodePage) {
  // Two double-byte characters: four bytes, reported as a length of 2.
  const std::string name = "\x82\xA0\x82\xA2";
  registry_.SetDoubleByteCodePage(true);
  registry_.AddKey(std::string(kFullPath) + "\\" + name);
  registry_.AddKey(std::string(kFullPath) + "\\ab");
  EXPECT_THAT(Names(), ElementsAre(name, "ab"));
  EXPECT_THAT(registry_.enum_capacities(), ElementsAre(5u, 5u));
}

}  // namespace
}  // namespace velmoro
