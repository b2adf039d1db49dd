// What a program's own menu reads of its uninstall subkey, and the forms its values must have.
#include "catalogue/program_details.h"

#include <gtest/gtest.h>

#include <functional>
#include <string_view>

#include "catalogue/detail_values.h"
#include "platform/fake/fake_machine.h"

namespace velmoro {
namespace {

using namespace std::string_view_literals;

constexpr char16_t kCode[] = u"{0A1B2C3D-4E5F-6789-ABCD-ef0123456789}";

struct FormCase {
  std::u16string_view text;
  bool product_code;
  std::optional<CalendarDate> date;
  bool web_address;
};

const FormCase kForms[] = {
    {kCode, true, {}, false},
    {u"{00000000-0000-0000-0000-000000000000}", true, {}, false},
    {u"0A1B2C3D-4E5F-6789-ABCD-EF0123456789", false, {}, false},
    {u"{0A1B2C3D-4E5F-6789-ABCD-EF012345678G}", false, {}, false},
    {u"{0A1B2C3D-4E5F-6789-ABCD-EF0123456789} ", false, {}, false},
    {u"{0A1B2C3D4E5F-6789-ABCD-EF0123456789-}", false, {}, false},
    {u"{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}.KB1", false, {}, false},
    {u"20240307", false, CalendarDate{2024, 3, 7}, false},
    {u"16010101", false, CalendarDate{1601, 1, 1}, false},
    {u"99991231", false, CalendarDate{9999, 12, 31}, false},
    {u"20240229", false, CalendarDate{2024, 2, 29}, false},
    {u"20000229", false, CalendarDate{2000, 2, 29}, false},
    {u"19000229", false, {}, false},
    {u"20230229", false, {}, false},
    {u"20240431", false, {}, false},
    {u"20241301", false, {}, false},
    {u"20240001", false, {}, false},
    {u"20240100", false, {}, false},
    {u"16001231", false, {}, false},
    {u"2024-03-07", false, {}, false},
    {u"2024037", false, {}, false},
    {u"202403070", false, {}, false},
    {u" 20240307", false, {}, false},
    {u"٢٠٢٤٠٣٠٧", false, {}, false},
    {u"http://quinsett.example/velmoro", false, {}, true},
    {u"https://quinsett.example", false, {}, true},
    {u"HTTPS://quinsett.example/a?b=c#d", false, {}, true},
    {u"https://例え.example/パス", false, {}, true},
    {u"https://x.example/😀", false, {}, true},
    {u"http://", false, {}, false},
    {u"https:///path", false, {}, false},
    {u"ftp://quinsett.example", false, {}, false},
    {u"file:///C:/Windows/system32/calc.exe", false, {}, false},
    {u"C:\\Windows\\system32\\calc.exe", false, {}, false},
    {u"www.quinsett.example", false, {}, false},
    {u" https://quinsett.example", false, {}, false},
    {u"https://quinsett.example/a b", false, {}, false},
    {u"https://quinsett.example/\" --new-window \"x", false, {}, false},
    {u"https://quinsett.example/\t", false, {}, false},
    {u"https://quinsett.example/\x7F", false, {}, false},
    {u"https://quinsett.example/\u00A0", false, {}, false},
    {u"https://quinsett.example/\u202Eexe.txt", false, {}, false},
    {u"https://quinsett.example/\u200B", false, {}, false},
    {u"https://quinsett.example/\u3000", false, {}, false},
    {u"https://quinsett.example/a\0b"sv, false, {}, false},
    {u"https://x.example/\xD83D", false, {}, false},
    {u"https://x.example/\xDE00", false, {}, false},
};

TEST(DetailValuesTest, EachFormIsRecognisedExactly) {
  for (const FormCase& c : kForms) {
    SCOPED_TRACE(::testing::PrintToString(std::u16string(c.text)));
    EXPECT_EQ(IsProductCode(c.text), c.product_code);
    EXPECT_EQ(ParseInstallDate(c.text), c.date);
    EXPECT_EQ(IsWebAddress(c.text), c.web_address);
  }
}

TEST(DetailValuesTest, AWebAddressIsBounded) {
  const std::u16string start = u"https://quinsett.example/";
  EXPECT_TRUE(IsWebAddress(start + std::u16string(kMaxWebAddress - start.size(), u'a')));
  EXPECT_FALSE(IsWebAddress(start + std::u16string(kMaxWebAddress - start.size() + 1, u'a')));
}

const std::u16string kKey = std::u16string(FakeMachine::kUninstall) + u"\\P";

ProgramEntry Entry(const std::u16string& subkey = u"P") {
  return {u"Program", u"C:\\App\\un.exe", false, false, kHkeyLocalMachine, kKeyWow64_64Key, subkey};
}

void Text(FakeMachine& m, const char16_t* name, const std::u16string& text,
          std::uint32_t type = kRegSz) {
  m.registry.SetString(kKey, name, text, type);
}

struct DetailsCase {
  const char* what;
  std::function<void(FakeMachine&)> arrange;    // the subkey kKey exists already
  std::function<void(ProgramDetails&)> expect;  // what differs from no details at all
};

void PrintTo(const DetailsCase& c, std::ostream* out) {
  *out << c.what;
}

const DetailsCase kDetailsCases[] = {
    {"every_value",
     [](FakeMachine& m) {
       Text(m, u"DisplayVersion", u"2.4.1");
       Text(m, u"Publisher", u"Quinsett & Co");
       Text(m, u"InstallDate", u"20240307");
       m.registry.SetDword(kKey, u"EstimatedSize", 12600);
       Text(m, u"QuietUninstallString", u"\"C:\\App\\un.exe\" /S");
       Text(m, u"ModifyPath", u"C:\\App\\setup.exe /modify");
       m.registry.SetDword(kKey, u"NoModify", 1);
       m.registry.SetDword(kKey, u"NoRepair", 1);
       m.registry.SetDword(kKey, u"WindowsInstaller", 1);
       Text(m, u"InstallLocation", u"C:\\App");
       Text(m, u"URLInfoAbout", u"https://quinsett.example");
       Text(m, u"DisplayIcon", u"C:\\App\\app.exe,1");
     },
     [](ProgramDetails& d) {
       d = {u"2.4.1",
            u"Quinsett & Co",
            CalendarDate{2024, 3, 7},
            12600u,
            u"\"C:\\App\\un.exe\" /S",
            u"C:\\App\\setup.exe /modify",
            true,
            true,
            true,
            u"",
            u"C:\\App",
            u"https://quinsett.example",
            u"C:\\App\\app.exe,1"};
     }},
    // Commands, folders and icons are expanded; texts shown or opened as they stand are not.
    {"expandable_values",
     [](FakeMachine& m) {
       m.shell.environment[u"APP"] = u"C:\\App";
       for (const char16_t* name : {u"DisplayVersion", u"Publisher", u"QuietUninstallString",
                                    u"ModifyPath", u"InstallLocation", u"DisplayIcon"}) {
         Text(m, name, u"%App%", kRegExpandSz);
       }
       Text(m, u"URLInfoAbout", u"https://quinsett.example/%App%", kRegExpandSz);
     },
     [](ProgramDetails& d) {
       d.version = d.publisher = u"%App%";
       d.quiet_command = d.modify_command = d.install_location = d.display_icon = u"C:\\App";
       d.web_page = u"https://quinsett.example/%App%";
     }},
    {"values_of_other_types_are_absent",
     [](FakeMachine& m) {
       m.registry.SetDword(kKey, u"DisplayVersion", 2);
       m.registry.SetRaw(kKey, u"Publisher", kRegMultiSz, FakeRegistry::Utf16Bytes(u"Q\0\0"));
       m.registry.SetDword(kKey, u"InstallDate", 20240307);
       Text(m, u"EstimatedSize", u"12600");
       m.registry.SetRaw(kKey, u"QuietUninstallString", kRegBinary, "C:\\un.exe");
       Text(m, u"WindowsInstaller", u"1");
       m.registry.SetRaw(kKey, u"NoModify", kRegQword, std::string("\1\0\0\0\0\0\0\0", 8));
       m.registry.SetRaw(kKey, u"NoRepair", kRegBinary, std::string("\1\0\0\0", 4));
       m.registry.SetDword(kKey, u"DisplayIcon", 1);
     },
     [](ProgramDetails&) {}},
    {"numbers_other_than_the_ones_that_count",
     [](FakeMachine& m) {
       m.registry.SetDword(kKey, u"EstimatedSize", 0);
       m.registry.SetDword(kKey, u"NoModify", 2);
       m.registry.SetDword(kKey, u"NoRepair", 0);
       m.registry.SetDword(kKey, u"WindowsInstaller", 0xFFFFFFFF);
     },
     [](ProgramDetails&) {}},
    {"largest_size",
     [](FakeMachine& m) { m.registry.SetDword(kKey, u"EstimatedSize", 0xFFFFFFFF); },
     [](ProgramDetails& d) { d.size_kb = 0xFFFFFFFFu; }},
    {"help_link_when_the_page_is_no_web_address",
     [](FakeMachine& m) {
       Text(m, u"URLInfoAbout", u"file:///C:/x.exe");
       Text(m, u"HelpLink", u"http://help.example");
     },
     [](ProgramDetails& d) { d.web_page = u"http://help.example"; }},
    {"no_web_page_of_two_that_are_no_addresses",
     [](FakeMachine& m) {
       Text(m, u"URLInfoAbout", u"mailto:a@b.example");
       Text(m, u"HelpLink", u"C:\\help.chm");
     },
     [](ProgramDetails&) {}},
    {"unreadable_value",
     [](FakeMachine& m) {
       Text(m, u"DisplayVersion", u"1.0");
       m.registry.FailFetch(kKey, u"DisplayVersion");
     },
     [](ProgramDetails&) {}},
    // The longest command line: one character more, as stored or as expanded, is none.
    {"longest_command",
     [](FakeMachine& m) { Text(m, u"QuietUninstallString", std::u16string(32767, u'q')); },
     [](ProgramDetails& d) { d.quiet_command = std::u16string(32767, u'q'); }},
    {"commands_too_long",
     [](FakeMachine& m) {
       m.shell.environment[u"X"] = u"xxxx";
       Text(m, u"QuietUninstallString", std::u16string(32768, u'q'));
       Text(m, u"ModifyPath", std::u16string(32764, u'm') + u"%X%", kRegExpandSz);
       Text(m, u"Publisher", std::u16string(40000, u'p'));
     },
     [](ProgramDetails&) {}},
};

class ReadProgramDetailsTest : public ::testing::TestWithParam<DetailsCase> {};

TEST_P(ReadProgramDetailsTest, KeepsOnlyValuesOfTheirForm) {
  FakeMachine machine;
  machine.registry.AddKey(kKey);
  GetParam().arrange(machine);
  ProgramDetails expected;
  GetParam().expect(expected);
  EXPECT_TRUE(ReadProgramDetails(Entry(), machine.registry, machine.shell) == expected);
  EXPECT_EQ(machine.registry.open_key_count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Values, ReadProgramDetailsTest, ::testing::ValuesIn(kDetailsCases),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(ReadProgramDetailsTest, ProductCodeIsTheSubkeysName) {
  FakeMachine machine;
  machine.registry.AddKey(kKey);
  machine.registry.AddKey(std::u16string(FakeMachine::kUninstall) + u"\\" + kCode);
  EXPECT_EQ(ReadProgramDetails(Entry(kCode), machine.registry, machine.shell).product_code, kCode);
  EXPECT_EQ(ReadProgramDetails(Entry(), machine.registry, machine.shell).product_code, u"");
}

// The subkey is read where the program was found; one that cannot be opened gives nothing.
TEST(ReadProgramDetailsTest, ReadsWhereTheEntryWasFound) {
  FakeMachine machine;
  const std::u16string old_key = kKey;
  machine.registry.SetString(old_key, u"DisplayVersion", u"64-bit", kRegSz);
  machine.registry.SetString(old_key, u"DisplayVersion", u"32-bit", kRegSz,
                             FakeRegistry::View::k32);
  machine.registry.SetString(std::u16string(FakeMachine::kUserUninstall) + u"\\P",
                             u"DisplayVersion", u"user");
  ProgramEntry entry = Entry();
  entry.view = kKeyWow64_32Key;
  EXPECT_EQ(ReadProgramDetails(entry, machine.registry, machine.shell).version, u"32-bit");
  entry.root = kHkeyCurrentUser;
  entry.view = 0;
  EXPECT_EQ(ReadProgramDetails(entry, machine.registry, machine.shell).version, u"user");
  machine.registry.RefuseOpen(kKey);
  EXPECT_TRUE(ReadProgramDetails(Entry(), machine.registry, machine.shell) == ProgramDetails());
  EXPECT_TRUE(ReadProgramDetails(Entry(u""), machine.registry, machine.shell) == ProgramDetails());
  EXPECT_EQ(machine.registry.open_key_count(), 0u);
}

// One open, one query per value (one more for a value beyond the first buffer, none more for one
// beyond every bound), one close: the same with 3,000 programs beside it.
TEST(ReadProgramDetailsTest, CostsOneRegistryCallPerValue) {
  FakeMachine machine;
  for (int i = 0; i < 3000; ++i) {
    const std::string number = std::to_string(i);
    machine.AddProgram(u"Program " + std::u16string(number.begin(), number.end()), u"Program",
                       u"C:\\un.exe");
  }
  machine.registry.AddKey(kKey);
  const std::size_t before = machine.registry.call_count();
  ReadProgramDetails(Entry(), machine.registry, machine.shell);
  EXPECT_EQ(machine.registry.call_count() - before, 1 + 13 + 1u);  // every value missing

  Text(machine, u"URLInfoAbout", u"https://quinsett.example");
  Text(machine, u"Publisher", std::u16string(600, u'p'));
  Text(machine, u"DisplayVersion", std::u16string(40000, u'v'));
  const std::size_t second = machine.registry.call_count();
  ReadProgramDetails(Entry(), machine.registry, machine.shell);
  EXPECT_EQ(machine.registry.call_count() - second, 1 + (12 + 1) + 1u);  // no "HelpLink"

  const std::size_t third = machine.registry.call_count();
  ReadDisplayIcon(Entry(), machine.registry, machine.shell);
  EXPECT_EQ(machine.registry.call_count() - third, 3u);
  EXPECT_EQ(machine.registry.open_key_count(), 0u);
}

}  // namespace
}  // namespace velmoro
