#include "catalogue/enumeration.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/fake/fake_registry.h"

namespace velmoro {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

using View = FakeRegistry::View;

const std::string kUninstall = std::string("HKEY_LOCAL_MACHINE\\") + kUninstallKey;

std::string Subkey(const std::string& name) {
  return kUninstall + "\\" + name;
}

void AddProgram(FakeRegistry& registry, const std::string& key, const std::string& name,
                const std::string& command, View view = View::k64) {
  registry.SetString(key, "DisplayName", name, kRegSz, view);
  registry.SetString(key, "UninstallString", command, kRegSz, view);
}

struct EnumerationCase {
  const char* what;
  void (*arrange)(FakeRegistry& registry, const std::string& key);
  std::vector<std::string> entries;  // of the middle subkey, between "Before" and "After"
};

void PrintTo(const EnumerationCase& c, std::ostream* os) {
  *os << c.what;
}

const EnumerationCase kCases[] = {
    {"listed",
     [](FakeRegistry& r, const std::string& k) { AddProgram(r, k, "Tool", "un.exe"); },
     {"Tool<#>un.exe"}},
    {"no_uninstall_string",
     [](FakeRegistry& r, const std::string& k) {
       r.SetString(k, "DisplayName", "Tool");
       r.SetString(k, "NoRemove", "1");  // not read
     },
     {}},
    {"no_display_name",
     [](FakeRegistry& r, const std::string& k) { r.SetString(k, "UninstallString", "un.exe"); },
     {}},
    {"no_remove_one",
     [](FakeRegistry& r, const std::string& k) {
       r.SetString(k, "DisplayName", "Tool");
       r.SetString(k, "UninstallString", "un.exe");
       r.SetDword(k, "NoRemove", 1);
     },
     {}},
    {"no_remove_zero",
     [](FakeRegistry& r, const std::string& k) {
       r.SetString(k, "DisplayName", "Tool");
       r.SetString(k, "UninstallString", "un.exe");
       r.SetDword(k, "NoRemove", 0);
     },
     {"Tool<#>un.exe"}},
    {"no_remove_string_skips_only_this_subkey",
     [](FakeRegistry& r, const std::string& k) {
       r.SetString(k, "DisplayName", "Tool");
       r.SetString(k, "UninstallString", "un.exe");
       r.SetString(k, "NoRemove", "1");
     },
     {}},
    {"no_remove_longer_than_four_bytes",
     [](FakeRegistry& r, const std::string& k) {
       r.SetString(k, "DisplayName", "Tool");
       r.SetString(k, "UninstallString", "un.exe");
       r.SetRaw(k, "NoRemove", kRegDword, std::string(8, '\0'));
     },
     {}},
    {"display_name_of_wrong_type",
     [](FakeRegistry& r, const std::string& k) {
       r.SetDword(k, "DisplayName", 7);
       r.SetString(k, "UninstallString", "un.exe");
     },
     {}},
    {"uninstall_string_of_wrong_type",
     [](FakeRegistry& r, const std::string& k) {
       r.SetString(k, "DisplayName", "Tool");
       r.SetRaw(k, "UninstallString", kRegBinary, "un.exe");
     },
     {}},
    {"display_name_fetch_fails",
     [](FakeRegistry& r, const std::string& k) {
       AddProgram(r, k, "Tool", "un.exe");
       r.FailFetch(k, "DisplayName");
     },
     {}},
    {"subkey_cannot_be_opened",
     [](FakeRegistry& r, const std::string& k) {
       AddProgram(r, k, "Tool", "un.exe");
       r.RefuseOpen(k);
     },
     {}},
    {"values_without_data_of_any_type",
     [](FakeRegistry& r, const std::string& k) {
       r.SetRaw(k, "DisplayName", kRegDword, "");
       r.SetRaw(k, "UninstallString", kRegBinary, "");
     },
     {"<#>"}},
    {"display_name_only_nul",
     [](FakeRegistry& r, const std::string& k) { AddProgram(r, k, "", "un.exe"); },
     {"<#>un.exe"}},
    {"expand_sz_unexpanded",
     [](FakeRegistry& r, const std::string& k) {
       r.SetString(k, "DisplayName", "%ProgramFiles%\\Tool", kRegExpandSz);
       r.SetString(k, "UninstallString", "un.exe");
     },
     {"%ProgramFiles%\\Tool<#>un.exe"}},
    {"embedded_nul",
     [](FakeRegistry& r, const std::string& k) {
       r.SetRaw(k, "DisplayName", kRegSz, std::string("Tool\0Hidden\0", 12));
       r.SetString(k, "UninstallString", "un.exe");
     },
     {"Tool<#>un.exe"}},
    {"separator_in_name",
     [](FakeRegistry& r, const std::string& k) { AddProgram(r, k, "A<#>B", "C"); },
     {"A<#>B<#>C"}},
};

class EnumerationOutcomeTest : public ::testing::TestWithParam<EnumerationCase> {};

TEST_P(EnumerationOutcomeTest, MiddleSubkeyGivesItsEntriesAndTheOthersStay) {
  FakeRegistry registry;
  AddProgram(registry, Subkey("Before"), "Before", "b.exe");
  registry.AddKey(Subkey("Middle"));
  GetParam().arrange(registry, Subkey("Middle"));
  AddProgram(registry, Subkey("After"), "After", "a.exe");

  int appended = 0;
  const std::vector<std::string> entries = EnumeratePrograms(registry, [&] { ++appended; });

  std::vector<std::string> expected = {"Before<#>b.exe"};
  expected.insert(expected.end(), GetParam().entries.begin(), GetParam().entries.end());
  expected.push_back("After<#>a.exe");
  EXPECT_THAT(entries, ElementsAreArray(expected));
  EXPECT_EQ(appended, static_cast<int>(expected.size()));
  EXPECT_EQ(registry.open_key_count(), 0u);
  EXPECT_EQ(registry.bad_close_count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, EnumerationOutcomeTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(EnumerationTest, NoEntriesWhenTheUninstallKeyIsMissingRefusedOrUnreadable) {
  FakeRegistry missing;
  EXPECT_THAT(EnumeratePrograms(missing, [] {}), IsEmpty());

  FakeRegistry refused;
  AddProgram(refused, Subkey("A"), "A", "a.exe");
  refused.RefuseOpen(kUninstall);
  EXPECT_THAT(EnumeratePrograms(refused, [] {}), IsEmpty());

  FakeRegistry unreadable;
  AddProgram(unreadable, Subkey("A"), "A", "a.exe");
  unreadable.FailQueryInfo(kUninstall);
  EXPECT_THAT(EnumeratePrograms(unreadable, [] {}), IsEmpty());
  EXPECT_EQ(unreadable.open_key_count(), 0u);
}

TEST(EnumerationTest, KeepsDuplicatesInEnumerationOrder) {
  FakeRegistry registry;
  AddProgram(registry, Subkey("z"), "Same", "x.exe");
  AddProgram(registry, Subkey("a"), "Same", "x.exe");
  AddProgram(registry, Subkey("m"), "Other", "o.exe");
  EXPECT_THAT(EnumeratePrograms(registry, [] {}),
              ElementsAre("Same<#>x.exe", "Same<#>x.exe", "Other<#>o.exe"));
}

TEST(EnumerationTest, ReadsBothViewsEachSubkeyInItsOwnView) {
  FakeRegistry registry;
  AddProgram(registry, Subkey("Native"), "Native", "n.exe", View::k64);
  AddProgram(registry, Subkey("Shared"), "Shared", "s64.exe", View::k64);
  AddProgram(registry, Subkey("Shared"), "Shared", "s32.exe", View::k32);
  AddProgram(registry, Subkey("Legacy"), "Legacy", "l.exe", View::k32);

  EXPECT_THAT(
      EnumeratePrograms(registry, [] {}),
      ElementsAre("Native<#>n.exe", "Shared<#>s64.exe", "Shared<#>s32.exe", "Legacy<#>l.exe"));
  for (const auto& call : registry.open_calls()) {
    const bool in_32 = (call.access & kKeyWow64_32Key) != 0;
    const bool in_64 = (call.access & kKeyWow64_64Key) != 0;
    EXPECT_NE(in_32, in_64) << call.path;
  }
  EXPECT_EQ(registry.open_key_count(), 0u);
}

TEST(EnumerationTest, OneViewIsReadOnceWithoutViewFlags) {
  FakeRegistry registry(/*two_views=*/false);
  AddProgram(registry, Subkey("A"), "A", "a.exe");
  AddProgram(registry, Subkey("B"), "B", "b.exe");

  EXPECT_THAT(EnumeratePrograms(registry, [] {}), ElementsAre("A<#>a.exe", "B<#>b.exe"));
  ASSERT_THAT(registry.open_calls(), ::testing::Not(IsEmpty()));
  for (const auto& call : registry.open_calls()) {
    EXPECT_EQ(call.access & (kKeyWow64_32Key | kKeyWow64_64Key), 0u) << call.path;
  }
}

TEST(EnumerationTest, AnErrorOutsideTheRegistryEndsTheEnumerationWithWhatItHas) {
  FakeRegistry registry;
  AddProgram(registry, Subkey("A"), "A", "a.exe");
  AddProgram(registry, Subkey("B"), "B", "b.exe");
  AddProgram(registry, Subkey("C"), "C", "c.exe");
  int appended = 0;
  const auto entries = EnumeratePrograms(registry, [&] {
    if (++appended == 2) throw std::runtime_error("handler failed");
  });
  EXPECT_THAT(entries, ElementsAre("A<#>a.exe", "B<#>b.exe"));
  EXPECT_EQ(registry.open_key_count(), 0u);
}

}  // namespace
}  // namespace velmoro
