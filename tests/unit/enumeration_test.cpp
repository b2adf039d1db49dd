#include "catalogue/enumeration.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_threads.h"

namespace velmoro {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

using View = FakeRegistry::View;

// Holds no state: one serves every test.
FakeThreads threads;

const std::u16string kUninstall = std::u16string(u"HKEY_LOCAL_MACHINE\\") + kUninstallKey;
const std::u16string kUserUninstall = std::u16string(u"HKEY_CURRENT_USER\\") + kUninstallKey;

std::u16string Subkey(const std::u16string& name) {
  return kUninstall + u"\\" + name;
}

void AddProgram(FakeRegistry& registry, const std::u16string& key, const std::u16string& name,
                const std::u16string& command, View view = View::k64) {
  registry.SetString(key, u"DisplayName", name, kRegSz, view);
  registry.SetString(key, u"UninstallString", command, kRegSz, view);
}

std::vector<std::u16string> Texts(const std::vector<ProgramEntry>& entries) {
  std::vector<std::u16string> texts;
  for (const ProgramEntry& entry : entries) texts.push_back(EntryText(entry));
  return texts;
}

struct EnumerationCase {
  const char* what;
  void (*arrange)(FakeRegistry& registry, const std::u16string& key);
  std::vector<std::u16string> entries;  // of the middle subkey, between u"Before" and u"After"
};

void PrintTo(const EnumerationCase& c, std::ostream* os) {
  *os << c.what;
}

const EnumerationCase kCases[] = {
    {"listed",
     [](FakeRegistry& r, const std::u16string& k) { AddProgram(r, k, u"Tool", u"un.exe"); },
     {u"Tool<#>un.exe"}},
    {"no_uninstall_string",
     [](FakeRegistry& r, const std::u16string& k) {
       r.SetString(k, u"DisplayName", u"Tool");
       r.SetString(k, u"NoRemove", u"1");  // not read
     },
     {}},
    {"no_display_name",
     [](FakeRegistry& r, const std::u16string& k) {
       r.SetString(k, u"UninstallString", u"un.exe");
     },
     {}},
    {"no_remove_one",
     [](FakeRegistry& r, const std::u16string& k) {
       r.SetString(k, u"DisplayName", u"Tool");
       r.SetString(k, u"UninstallString", u"un.exe");
       r.SetDword(k, u"NoRemove", 1);
     },
     {}},
    {"no_remove_zero",
     [](FakeRegistry& r, const std::u16string& k) {
       r.SetString(k, u"DisplayName", u"Tool");
       r.SetString(k, u"UninstallString", u"un.exe");
       r.SetDword(k, u"NoRemove", 0);
     },
     {u"Tool<#>un.exe"}},
    {"no_remove_string_skips_only_this_subkey",
     [](FakeRegistry& r, const std::u16string& k) {
       r.SetString(k, u"DisplayName", u"Tool");
       r.SetString(k, u"UninstallString", u"un.exe");
       r.SetString(k, u"NoRemove", u"1");
     },
     {}},
    {"no_remove_longer_than_four_bytes",
     [](FakeRegistry& r, const std::u16string& k) {
       r.SetString(k, u"DisplayName", u"Tool");
       r.SetString(k, u"UninstallString", u"un.exe");
       r.SetRaw(k, u"NoRemove", kRegDword, std::string(8, '\0'));
     },
     {}},
    {"display_name_of_wrong_type",
     [](FakeRegistry& r, const std::u16string& k) {
       r.SetDword(k, u"DisplayName", 7);
       r.SetString(k, u"UninstallString", u"un.exe");
     },
     {}},
    {"uninstall_string_of_wrong_type",
     [](FakeRegistry& r, const std::u16string& k) {
       r.SetString(k, u"DisplayName", u"Tool");
       r.SetRaw(k, u"UninstallString", kRegBinary, "un.exe");
     },
     {}},
    {"display_name_fetch_fails",
     [](FakeRegistry& r, const std::u16string& k) {
       AddProgram(r, k, u"Tool", u"un.exe");
       r.FailFetch(k, u"DisplayName");
     },
     {}},
    {"subkey_cannot_be_opened",
     [](FakeRegistry& r, const std::u16string& k) {
       AddProgram(r, k, u"Tool", u"un.exe");
       r.RefuseOpen(k);
     },
     {}},
    {"values_without_data_of_any_type",
     [](FakeRegistry& r, const std::u16string& k) {
       r.SetRaw(k, u"DisplayName", kRegDword, "");
       r.SetRaw(k, u"UninstallString", kRegBinary, "");
     },
     {u"<#>"}},
    {"display_name_only_nul",
     [](FakeRegistry& r, const std::u16string& k) { AddProgram(r, k, u"", u"un.exe"); },
     {u"<#>un.exe"}},
    {"expand_sz_unexpanded",
     [](FakeRegistry& r, const std::u16string& k) {
       r.SetString(k, u"DisplayName", u"%ProgramFiles%\\Tool", kRegExpandSz);
       r.SetString(k, u"UninstallString", u"un.exe");
     },
     {u"%ProgramFiles%\\Tool<#>un.exe"}},
    {"embedded_nul",
     [](FakeRegistry& r, const std::u16string& k) {
       r.SetRaw(k, u"DisplayName", kRegSz,
                FakeRegistry::Utf16Bytes(std::u16string(u"Tool\0Hidden\0", 12)));
       r.SetString(k, u"UninstallString", u"un.exe");
     },
     {u"Tool<#>un.exe"}},
    {"separator_in_name",
     [](FakeRegistry& r, const std::u16string& k) { AddProgram(r, k, u"A<#>B", u"C"); },
     {u"A<#>B<#>C"}},
};

class EnumerationOutcomeTest : public ::testing::TestWithParam<EnumerationCase> {};

TEST_P(EnumerationOutcomeTest, MiddleSubkeyGivesItsEntriesAndTheOthersStay) {
  FakeRegistry registry;
  AddProgram(registry, Subkey(u"Before"), u"Before", u"b.exe");
  registry.AddKey(Subkey(u"Middle"));
  GetParam().arrange(registry, Subkey(u"Middle"));
  AddProgram(registry, Subkey(u"After"), u"After", u"a.exe");

  int appended = 0;
  bool finished = false;
  const std::vector<std::u16string> entries = Texts(EnumeratePrograms(
      registry, threads, [&] { ++appended; }, &finished));
  EXPECT_TRUE(finished) << "a malformed or missing value is no failure of the enumeration";

  std::vector<std::u16string> expected = {u"Before<#>b.exe"};
  expected.insert(expected.end(), GetParam().entries.begin(), GetParam().entries.end());
  expected.push_back(u"After<#>a.exe");
  EXPECT_THAT(entries, ElementsAreArray(expected));
  EXPECT_EQ(appended, static_cast<int>(expected.size()));
  EXPECT_EQ(registry.open_key_count(), 0u);
  EXPECT_EQ(registry.bad_close_count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, EnumerationOutcomeTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.what); });

std::vector<std::u16string> Listed(FakeRegistry& registry) {
  return Texts(EnumeratePrograms(registry, threads, [] {}));
}

TEST(EnumerationTest, NoEntriesWhenTheUninstallKeyIsMissingRefusedOrUnreadable) {
  FakeRegistry missing;
  EXPECT_THAT(Listed(missing), IsEmpty());

  FakeRegistry refused;
  AddProgram(refused, Subkey(u"A"), u"A", u"a.exe");
  refused.RefuseOpen(kUninstall);
  EXPECT_THAT(Listed(refused), IsEmpty());

  // A key that opens but cannot be listed ends the enumeration unfinished, so nothing of the
  // memory is rewritten from what it missed.
  FakeRegistry unreadable;
  AddProgram(unreadable, Subkey(u"A"), u"A", u"a.exe");
  unreadable.FailQueryInfo(kUninstall);
  bool finished = true;
  EXPECT_THAT(Texts(EnumeratePrograms(
                  unreadable, threads, [] {}, &finished)),
              IsEmpty());
  EXPECT_FALSE(finished);
  EXPECT_EQ(unreadable.open_key_count(), 0u);
}

TEST(EnumerationTest, KeepsDuplicatesInEnumerationOrder) {
  FakeRegistry registry;
  AddProgram(registry, Subkey(u"z"), u"Same", u"x.exe");
  AddProgram(registry, Subkey(u"a"), u"Same", u"x.exe");
  AddProgram(registry, Subkey(u"m"), u"Other", u"o.exe");
  EXPECT_THAT(Listed(registry), ElementsAre(u"Same<#>x.exe", u"Same<#>x.exe", u"Other<#>o.exe"));
}

// The machine's key in both views, each subkey in its own, then the current user's key, which
// both views share: its programs are marked as the user's own.
TEST(EnumerationTest, ReadsBothViewsThenTheUsersKey) {
  FakeRegistry registry;
  AddProgram(registry, kUserUninstall + u"\\Mine", u"Mine", u"m.exe");
  AddProgram(registry, Subkey(u"Native"), u"Native", u"n.exe", View::k64);
  AddProgram(registry, Subkey(u"Shared"), u"Shared", u"s64.exe", View::k64);
  AddProgram(registry, Subkey(u"Shared"), u"Shared", u"s32.exe", View::k32);
  AddProgram(registry, Subkey(u"Legacy"), u"Legacy", u"l.exe", View::k32);

  const std::vector<ProgramEntry> entries = EnumeratePrograms(registry, threads, [] {});
  EXPECT_THAT(Texts(entries), ElementsAre(u"Native<#>n.exe", u"Shared<#>s64.exe",
                                          u"Shared<#>s32.exe", u"Legacy<#>l.exe", u"Mine<#>m.exe"));
  for (std::size_t i = 0; i < entries.size(); ++i) EXPECT_EQ(entries[i].per_user, i == 4);
  for (const auto& call : registry.open_calls()) {
    const bool in_32 = (call.access & kKeyWow64_32Key) != 0;
    const bool in_64 = (call.access & kKeyWow64_64Key) != 0;
    const bool users = call.path.rfind(u"HKEY_CURRENT_USER", 0) == 0;
    EXPECT_EQ(users, !in_32 && !in_64) << ::testing::PrintToString(call.path);
  }
  EXPECT_EQ(registry.open_key_count(), 0u);
}

TEST(EnumerationTest, OneViewIsReadOnceWithoutViewFlags) {
  FakeRegistry registry(/*two_views=*/false);
  AddProgram(registry, Subkey(u"A"), u"A", u"a.exe");
  AddProgram(registry, Subkey(u"B"), u"B", u"b.exe");

  EXPECT_THAT(Listed(registry), ElementsAre(u"A<#>a.exe", u"B<#>b.exe"));
  ASSERT_THAT(registry.open_calls(), ::testing::Not(IsEmpty()));
  for (const auto& call : registry.open_calls()) {
    EXPECT_EQ(call.access & (kKeyWow64_32Key | kKeyWow64_64Key), 0u);
  }
}

// Names in any script, subkey names too, come through exactly, unpaired surrogates included.
TEST(EnumerationTest, KeepsTextExactlyAsTheRegistryHoldsIt) {
  FakeRegistry registry;
  const std::u16string lone_surrogate(1, char16_t{0xD800});
  AddProgram(registry, Subkey(u"微软拼音"), u"微软拼音 😀", u"C:\\Программы\\удалить.exe");
  AddProgram(registry, Subkey(u"Odd"), u"Odd" + lone_surrogate, u"o.exe");
  EXPECT_THAT(Listed(registry), ElementsAre(u"微软拼音 😀<#>C:\\Программы\\удалить.exe",
                                            u"Odd" + lone_surrogate + u"<#>o.exe"));
}

TEST(EnumerationTest, MarksExpandableCommands) {
  FakeRegistry registry;
  registry.SetString(Subkey(u"E"), u"DisplayName", u"E");
  registry.SetString(Subkey(u"E"), u"UninstallString", u"%ProgramFiles%\\e.exe", kRegExpandSz);
  AddProgram(registry, Subkey(u"P"), u"P", u"p.exe");
  const std::vector<ProgramEntry> entries = EnumeratePrograms(registry, threads, [] {});
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].command, u"%ProgramFiles%\\e.exe");
  EXPECT_TRUE(entries[0].expand_command);
  EXPECT_FALSE(entries[1].expand_command);
}

// More subkeys than reading threads: each is closed once read, so at most one is open beside the
// Uninstall key (the fake's threads take turns).
TEST(EnumerationTest, ClosesEverySubkeyOnceRead) {
  FakeRegistry registry;
  for (const char16_t* name : {u"A", u"B", u"C", u"D", u"E", u"F", u"G", u"H", u"I"}) {
    AddProgram(registry, Subkey(name), name, u"x.exe");
  }
  registry.RefuseOpen(Subkey(u"E"));
  EXPECT_EQ(Listed(registry).size(), 8u);
  EXPECT_EQ(registry.peak_open_key_count(), 2u);
  EXPECT_EQ(registry.open_key_count(), 0u);
}

// Each call waits for a round trip to the registry: a subkey costs its open, one read per value
// (a missing "NoRemove" is one failed read) and its close; only a value larger than the first
// buffer is read twice.
TEST(EnumerationTest, ASubkeyCostsFiveCalls) {
  FakeRegistry registry(false);
  AddProgram(registry, Subkey(u"plain"), u"Plain", u"p.exe");
  AddProgram(registry, Subkey(u"kept"), u"Kept", u"k.exe");
  registry.SetDword(Subkey(u"kept"), u"NoRemove", 0);
  AddProgram(registry, Subkey(u"hidden"), u"Hidden", u"h.exe");
  registry.SetDword(Subkey(u"hidden"), u"NoRemove", 1);
  AddProgram(registry, Subkey(u"long"), std::u16string(600, u'L'), u"l.exe");
  ASSERT_EQ(Listed(registry).size(), 3u);
  const FakeRegistry::CallCounts& calls = registry.calls();
  // The Uninstall key's open, listing (asked before and after) and close, and the current user's
  // key, which is missing.
  EXPECT_EQ(calls.query_info, 2u);
  EXPECT_EQ(calls.enum_key, 4u);
  EXPECT_EQ(calls.open - 1 - 3, 4u) << "one open per subkey";
  EXPECT_EQ(calls.close - 1, 4u) << "one close per subkey";
  EXPECT_EQ(calls.query_value, 3u * 4 + 1) << "three reads per subkey, one more for the long name";
}

// Not a malformed value: the enumeration ends there with the programs found before.
TEST(EnumerationTest, AnAllocationFailureInASubkeyEndsTheEnumeration) {
  FakeRegistry registry;
  AddProgram(registry, Subkey(u"A"), u"A", u"a.exe");
  AddProgram(registry, Subkey(u"B"), u"B", u"b.exe");
  AddProgram(registry, Subkey(u"C"), u"C", u"c.exe");
  registry.RunOutOfMemory(Subkey(u"B"));
  bool finished = true;
  EXPECT_THAT(Texts(EnumeratePrograms(
                  registry, threads, [] {}, &finished)),
              ElementsAre(u"A<#>a.exe"));
  EXPECT_FALSE(finished);
  EXPECT_EQ(registry.open_key_count(), 0u);
}

TEST(EnumerationTest, AnErrorOutsideTheRegistryEndsTheEnumerationWithWhatItHas) {
  FakeRegistry registry;
  AddProgram(registry, Subkey(u"A"), u"A", u"a.exe");
  AddProgram(registry, Subkey(u"B"), u"B", u"b.exe");
  AddProgram(registry, Subkey(u"C"), u"C", u"c.exe");
  int appended = 0;
  bool finished = true;
  const auto entries = Texts(EnumeratePrograms(
      registry, threads,
      [&] {
        if (++appended == 2) throw std::runtime_error("handler failed");
      },
      &finished));
  EXPECT_THAT(entries, ElementsAre(u"A<#>a.exe", u"B<#>b.exe"));
  EXPECT_FALSE(finished);
  EXPECT_EQ(registry.open_key_count(), 0u);
}

}  // namespace
}  // namespace velmoro
