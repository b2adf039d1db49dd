#include "catalogue/registry_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/registry_error.h"
#include "platform/fake/fake_registry.h"

namespace velmoro {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char16_t kPath[] = u"SOFTWARE\\Test";
constexpr char16_t kFullPath[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Test";

// The bytes the registry holds for a text: UTF-16LE.
std::string Stored(const std::u16string& text) {
  return FakeRegistry::Utf16Bytes(text);
}

struct ValueCase {
  const char* what;
  std::uint32_t type;
  std::string bytes;
  bool fail_fetch;
  std::u16string expected;  // the value read, unless an error is expected
  std::string error;        // the error's message, empty when none
};

void PrintTo(const ValueCase& c, std::ostream* os) {
  *os << c.what;
}

class RegistryReaderValueTest : public ::testing::TestWithParam<ValueCase> {
 protected:
  void SetUp() override {
    const ValueCase& c = GetParam();
    registry_.AddKey(kFullPath);
    if (c.type != kRegNone || !c.bytes.empty()) registry_.SetRaw(kFullPath, u"V", c.type, c.bytes);
    if (c.fail_fetch) registry_.FailFetch(kFullPath, u"V");
    reader_.SetRootKey(kHkeyLocalMachine);
    EXPECT_TRUE(reader_.OpenKeyReadOnly(kPath));
  }

  // What a read gives: the value, or "error: " and the error's message.
  template <typename Read>
  std::u16string Outcome(Read read) {
    try {
      return read();
    } catch (const RegistryError& error) {
      const std::string message = std::string("error: ") + error.what();
      return std::u16string(message.begin(), message.end());
    }
  }
  std::u16string Expected() const {
    const std::string error = "error: " + GetParam().error;
    return GetParam().error.empty() ? GetParam().expected
                                    : std::u16string(error.begin(), error.end());
  }

  FakeRegistry registry_;
  RegistryReader reader_{registry_};
};

using ReadStringTest = RegistryReaderValueTest;

TEST_P(ReadStringTest, GivesTextOrError) {
  EXPECT_EQ(Outcome([&] { return reader_.ReadString(u"V"); }), Expected());
}

const std::string kFailed = "Failed to get data for 'V'";
const std::string kInvalid = "Invalid data type for 'V'";

INSTANTIATE_TEST_SUITE_P(
    ByTypeAndSize, ReadStringTest,
    ::testing::Values(
        ValueCase{"sz", kRegSz, Stored(u"abc") + Stored(std::u16string(1, u'\0')), false, u"abc",
                  ""},
        ValueCase{"expand_sz_unexpanded", kRegExpandSz, Stored(u"%ProgramFiles%\\Tool"), false,
                  u"%ProgramFiles%\\Tool", ""},
        ValueCase{"no_terminating_nul", kRegSz, Stored(u"abc"), false, u"abc", ""},
        ValueCase{"embedded_nul", kRegSz, Stored(std::u16string(u"ab\0cd\0", 6)), false, u"ab", ""},
        ValueCase{"only_nul", kRegSz, std::string(2, '\0'), false, u"", ""},
        ValueCase{"odd_last_byte_is_no_character", kRegSz, Stored(u"ab") + "c", false, u"ab", ""},
        ValueCase{"any_script", kRegSz, Stored(u"Программа 程序 😀"), false, u"Программа 程序 😀",
                  ""},
        ValueCase{"unpaired_surrogate_kept", kRegSz, std::string("a\0\x00\xD8", 4), false,
                  std::u16string{u'a', char16_t{0xD800}}, ""},
        ValueCase{"no_data", kRegSz, "", false, u"", ""},
        ValueCase{"dword_without_data_is_not_type_checked", kRegDword, "", false, u"", ""},
        ValueCase{"missing", kRegNone, "", false, u"", ""},
        ValueCase{"longer_than_any_fixed_buffer", kRegSz, Stored(std::u16string(70000, u'x')),
                  false, std::u16string(70000, u'x'), ""},
        ValueCase{"dword", kRegDword, std::string("\1\0\0\0", 4), false, u"", kInvalid},
        ValueCase{"binary", kRegBinary, "abc", false, u"", kInvalid},
        ValueCase{"multi_sz", kRegMultiSz, Stored(std::u16string(u"a\0b\0\0", 5)), false, u"",
                  kInvalid},
        ValueCase{"fetch_fails", kRegSz, Stored(u"abc"), true, u"", kFailed},
        ValueCase{"fetch_fails_before_type_check", kRegDword, "1234", true, u"", kFailed}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(RegistryReaderTest, TellsAnExpandableString) {
  FakeRegistry registry;
  registry.SetString(kFullPath, u"Plain", u"a");
  registry.SetString(kFullPath, u"Expand", u"%A%", kRegExpandSz);
  RegistryReader reader(registry);
  reader.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  bool expandable = true;
  EXPECT_EQ(reader.ReadString(u"Plain", &expandable), u"a");
  EXPECT_FALSE(expandable);
  EXPECT_EQ(reader.ReadString(u"Expand", &expandable), u"%A%");
  EXPECT_TRUE(expandable);
}

using ReadIntegerTest = RegistryReaderValueTest;

TEST_P(ReadIntegerTest, GivesNumberOrError) {
  EXPECT_EQ(Outcome([&] {
              const std::string number = std::to_string(reader_.ReadInteger(u"V"));
              return std::u16string(number.begin(), number.end());
            }),
            Expected());
}

INSTANTIATE_TEST_SUITE_P(
    ByTypeAndSize, ReadIntegerTest,
    ::testing::Values(
        ValueCase{"dword", kRegDword, std::string("\x07\x01\0\0", 4), false, u"263", ""},
        ValueCase{"dword_all_bits", kRegDword, "\xFF\xFF\xFF\xFF", false, u"-1", ""},
        ValueCase{"dword_zero", kRegDword, std::string(4, '\0'), false, u"0", ""},
        ValueCase{"five_bytes", kRegDword, std::string(5, '\0'), false, u"", kFailed},
        ValueCase{"qword", kRegQword, std::string(8, '\0'), false, u"", kFailed},
        ValueCase{"binary_of_four_bytes", kRegBinary, "\1\1\1\1", false, u"", kInvalid},
        ValueCase{"string_of_four_bytes", kRegSz, Stored(std::u16string(u"1\0", 2)), false, u"",
                  kInvalid},
        ValueCase{"string_of_six_bytes", kRegSz, Stored(std::u16string(u"12\0", 3)), false, u"",
                  kFailed},
        ValueCase{"missing", kRegNone, "", false, u"", kFailed},
        ValueCase{"fetch_fails", kRegDword, std::string(4, '\0'), true, u"", kFailed}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(RegistryReaderTest, ReadBoolIsTrueForNonZero) {
  FakeRegistry registry;
  registry.SetDword(kFullPath, u"Zero", 0);
  registry.SetDword(kFullPath, u"Two", 2);
  registry.SetString(kFullPath, u"Text", u"1");
  RegistryReader reader(registry);
  reader.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  EXPECT_FALSE(reader.ReadBool(u"Zero"));
  EXPECT_TRUE(reader.ReadBool(u"Two"));
  EXPECT_THROW(reader.ReadBool(u"Text"), RegistryError);
}

TEST(RegistryReaderTest, ValueExistsForAnyTypeAndNoData) {
  FakeRegistry registry;
  registry.SetRaw(kFullPath, u"Empty", kRegBinary, "");
  registry.SetDword(kFullPath, u"Number", 1);
  RegistryReader reader(registry);
  reader.SetRootKey(kHkeyLocalMachine);
  EXPECT_FALSE(reader.ValueExists(u"Number"));  // no key open
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  EXPECT_TRUE(reader.ValueExists(u"Empty"));
  EXPECT_TRUE(reader.ValueExists(u"number"));
  EXPECT_FALSE(reader.ValueExists(u"Other"));
}

// Beyond the limit a value is not fetched: its first query tells its size, and no second follows;
// nor is a value that fits the first buffer kept.
TEST(RegistryReaderTest, ValuesOverTheLimitAreNotFetched) {
  FakeRegistry registry;
  registry.SetString(kFullPath, u"AtLimit", std::u16string(1999, u'a'));
  registry.SetString(kFullPath, u"Over", std::u16string(2000, u'b'));
  registry.SetString(kFullPath, u"Short", u"cd");
  RegistryReader reader(registry);
  reader.SetRootKey(kHkeyLocalMachine);
  reader.LimitValueSize(4000);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  const std::size_t calls = registry.call_count();
  EXPECT_EQ(reader.ReadString(u"AtLimit"), std::u16string(1999, u'a'));
  EXPECT_EQ(registry.call_count(), calls + 2);
  EXPECT_TRUE(reader.ValueExists(u"Over"));
  EXPECT_THROW(reader.ReadString(u"Over"), RegistryError);
  EXPECT_EQ(registry.call_count(), calls + 3);
  reader.LimitValueSize(4);
  EXPECT_THROW(reader.ReadString(u"Short"), RegistryError);
}

std::vector<std::u16string> OpenedPaths(const FakeRegistry& registry) {
  std::vector<std::u16string> paths;
  for (const auto& call : registry.open_calls()) {
    if (call.succeeded) paths.push_back(call.path);
  }
  return paths;
}

TEST(RegistryReaderTest, StartsAtCurrentUserAndOpensFromTheRoot) {
  FakeRegistry registry;
  registry.AddKey(u"HKEY_CURRENT_USER\\SOFTWARE\\Test");
  RegistryReader reader(registry);
  EXPECT_FALSE(reader.OpenKeyReadOnly(u"SOFTWARE\\Missing"));
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  EXPECT_THAT(OpenedPaths(registry), ElementsAre(u"HKEY_CURRENT_USER\\SOFTWARE\\Test"));
}

TEST(RegistryReaderTest, OpenFallsBackThroughTheThreeMasksWithTheView) {
  FakeRegistry registry;
  registry.AddKey(kFullPath, FakeRegistry::View::k32);
  registry.RefuseOpen(kFullPath, {kKeyRead, kKeyReadEnumerate});
  RegistryReader reader(registry, kKeyWow64_32Key);
  reader.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  std::vector<std::uint32_t> masks;
  for (const auto& call : registry.open_calls()) masks.push_back(call.access);
  EXPECT_THAT(masks, ElementsAre(kKeyRead | kKeyWow64_32Key, kKeyReadEnumerate | kKeyWow64_32Key,
                                 kKeyQueryValue | kKeyWow64_32Key));
}

TEST(RegistryReaderTest, FailedOpenKeepsTheOpenKey) {
  FakeRegistry registry;
  registry.AddKey(kFullPath);
  registry.AddKey(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked");
  registry.RefuseOpen(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Locked");
  RegistryReader reader(registry);
  reader.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  const RegKey key = reader.current_key();
  EXPECT_FALSE(reader.OpenKeyReadOnly(u"\\SOFTWARE\\Locked"));
  EXPECT_EQ(registry.open_calls().size(), 4u);  // one success, then all three masks refused
  EXPECT_EQ(reader.current_key(), key);
  EXPECT_EQ(registry.open_key_count(), 1u);
}

TEST(RegistryReaderTest, RelativeAndAbsolutePaths) {
  FakeRegistry registry;
  registry.AddKey(u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Child");
  RegistryReader reader(registry);
  reader.SetRootKey(kHkeyLocalMachine);
  ASSERT_TRUE(reader.OpenKeyReadOnly(kPath));
  ASSERT_TRUE(reader.OpenKeyReadOnly(u"Child"));
  EXPECT_EQ(registry.open_key_count(), 1u);  // the previous key was closed
  ASSERT_TRUE(reader.OpenKeyReadOnly(u"\\SOFTWARE\\Test"));
  EXPECT_THAT(OpenedPaths(registry),
              ElementsAre(kFullPath, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Test\\Child", kFullPath));

  reader.CloseKey();
  EXPECT_EQ(reader.current_key(), kNoKey);
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
  std::vector<std::u16string> Names() {
    RegistryReader reader(registry_);
    reader.SetRootKey(kHkeyLocalMachine);
    if (!reader.OpenKeyReadOnly(kPath)) return {u"not opened"};
    return reader.GetKeyNames().value_or(std::vector<std::u16string>{u"not listed"});
  }
  void AddSubkey(const std::u16string& name) { registry_.AddKey(kFullPath + (u"\\" + name)); }

  FakeRegistry registry_;
};

// Lengths are in UTF-16 units: a name outside the Basic Multilingual Plane counts two.
TEST_F(GetKeyNamesTest, ListsNamesInEnumerationOrderWithBufferOfLongestPlusOne) {
  for (const char16_t* name : {u"Zeta", u"alpha", u"Middle-Length", u"微软😀"}) AddSubkey(name);
  AddSubkey(u"alpha\\Grandchild");
  EXPECT_THAT(Names(), ElementsAre(u"Zeta", u"alpha", u"Middle-Length", u"微软😀"));
  EXPECT_THAT(registry_.enum_capacities(), ElementsAre(14u, 14u, 14u, 14u));
}

// Not known is not empty: the key may hold any subkey.
TEST_F(GetKeyNamesTest, NothingWhenItIsNotKnownWhichSubkeysThereAre) {
  const std::function<void(FakeRegistry&)> kFaults[] = {
      [](FakeRegistry& r) { r.FailQueryInfo(kFullPath); },
      [](FakeRegistry& r) { r.FailEnumKey(kFullPath, 1); },
      // The names after it would move on: C seen twice and A missed, with the count taken before.
      [](FakeRegistry& r) { r.MakeSubkeyWhileListed(kFullPath, 1, u"New"); },
      [](FakeRegistry& r) { r.MakeSubkeyWhileListed(kFullPath, 2, u"New"); },
  };
  for (const auto& fault : kFaults) {
    registry_ = FakeRegistry();
    for (const char16_t* name : {u"A", u"B", u"C"}) AddSubkey(name);
    fault(registry_);
    EXPECT_THAT(Names(), ElementsAre(u"not listed"));
  }
  RegistryReader reader(registry_);
  EXPECT_EQ(reader.GetKeyNames(), std::nullopt);
}

}  // namespace
}  // namespace velmoro
