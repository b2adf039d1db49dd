// The items of a program's own menu: which apply, what each does, its details line, and the mark
// of an uninstaller that is gone.
#include "uninstall/program_actions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "platform/fake/fake_machine.h"
#include "uninstall/details_line.h"
#include "uninstall/run_uninstall_command.h"

namespace velmoro {
namespace {

using ::testing::ElementsAreArray;

constexpr char16_t kCode[] = u"{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}";

ProgramEntry Entry(const std::u16string& command = u"C:\\App\\un.exe /x") {
  return {u"Program & Co", command, false, false, kHkeyLocalMachine, 0, u"P"};
}

ProgramDetails Installer() {
  ProgramDetails details;
  details.windows_installer = true;
  details.product_code = kCode;
  return details;
}

// An action as one line: its caption, its state, and what it does with what.
std::u16string Described(const ProgramAction& action) {
  static const char16_t* const kEffects[] = {u"", u" run ", u" open ", u" copy "};
  return action.caption + (action.enabled ? u"" : u" [disabled]") +
         (action.is_default ? u" [default]" : u"") + (action.literal ? u" [literal]" : u"") +
         kEffects[static_cast<int>(action.effect)] + action.argument;
}

struct ActionsCase {
  const char* what;
  std::function<void(ProgramDetails&, FakeMachine&)> arrange;  // C:\App\un.exe exists already
  std::vector<std::u16string> items;  // between "Uninstall" and "Copy Name", which all have
};

void PrintTo(const ActionsCase& c, std::ostream* out) {
  *out << c.what;
}

const ActionsCase kActionsCases[] = {
    {"nothing_more", [](ProgramDetails&, FakeMachine&) {}, {}},
    {"quiet_command",
     [](ProgramDetails& d, FakeMachine&) { d.quiet_command = u"\"C:\\App\\un.exe\" /S"; },
     {u"Uninstall quietly run \"C:\\App\\un.exe\" /S"}},
    {"quiet_command_that_names_no_program",
     [](ProgramDetails& d, FakeMachine&) { d.quiet_command = u"  \"\" /S"; },
     {}},
    {"windows_installer",
     [](ProgramDetails& d, FakeMachine&) { d = Installer(); },
     {u"Uninstall quietly run msiexec.exe /x {0A1B2C3D-4E5F-6789-ABCD-EF0123456789} /passive "
      u"/norestart",
      u"Modify run msiexec.exe /i {0A1B2C3D-4E5F-6789-ABCD-EF0123456789}",
      u"Repair run msiexec.exe /f {0A1B2C3D-4E5F-6789-ABCD-EF0123456789}"}},
    {"windows_installer_with_its_own_commands",
     [](ProgramDetails& d, FakeMachine&) {
       d = Installer();
       d.quiet_command = u"MsiExec.exe /X{0A1B2C3D-4E5F-6789-ABCD-EF0123456789} /qn";
       d.modify_command = u"MsiExec.exe /I{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}";
     },
     {u"Uninstall quietly run MsiExec.exe /X{0A1B2C3D-4E5F-6789-ABCD-EF0123456789} /qn",
      u"Modify run MsiExec.exe /I{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}",
      u"Repair run msiexec.exe /f {0A1B2C3D-4E5F-6789-ABCD-EF0123456789}"}},
    {"windows_installer_that_may_not_be_modified_or_repaired",
     [](ProgramDetails& d, FakeMachine&) {
       d = Installer();
       d.no_modify = d.no_repair = true;
       d.modify_command = u"MsiExec.exe /I{0A1B2C3D-4E5F-6789-ABCD-EF0123456789}";
     },
     {u"Uninstall quietly run msiexec.exe /x {0A1B2C3D-4E5F-6789-ABCD-EF0123456789} /passive "
      u"/norestart"}},
    {"windows_installer_flag_without_a_product_code",
     [](ProgramDetails& d, FakeMachine&) {
       d = Installer();
       d.product_code = u"{0A1B2C3D}";
     },
     {}},
    {"product_code_without_the_windows_installer_flag",
     [](ProgramDetails& d, FakeMachine&) {
       d = Installer();
       d.windows_installer = false;
     },
     {}},
    {"modify_command",
     [](ProgramDetails& d, FakeMachine&) { d.modify_command = u"C:\\App\\setup.exe /modify"; },
     {u"Modify run C:\\App\\setup.exe /modify"}},
    {"modify_command_that_may_not_be_used",
     [](ProgramDetails& d, FakeMachine&) {
       d.modify_command = u"C:\\App\\setup.exe /modify";
       d.no_modify = true;
     },
     {}},
    {"install_folder",
     [](ProgramDetails& d, FakeMachine& m) {
       d.install_location = u"C:\\Program Files\\App";
       m.files.AddDirectory(d.install_location);
     },
     {u"Open Install Folder open C:\\Program Files\\App\\"}},
    {"install_folder_ending_in_a_separator",
     [](ProgramDetails& d, FakeMachine& m) {
       m.files.AddDirectory(u"C:\\App");
       d.install_location = u"C:\\App\\";
     },
     {u"Open Install Folder open C:\\App\\"}},
    {"install_location_that_is_a_file",
     [](ProgramDetails& d, FakeMachine&) { d.install_location = u"C:\\App\\un.exe"; },
     {}},
    {"install_folder_that_is_gone",
     [](ProgramDetails& d, FakeMachine&) { d.install_location = u"C:\\Gone"; },
     {}},
    {"install_folder_slow_to_answer",
     [](ProgramDetails& d, FakeMachine& m) {
       d.install_location = u"C:\\Far\\App";
       m.files.AddDirectory(d.install_location);
       m.files.AnswerSlowly(u"C:\\Far");
     },
     {}},
    {"install_folder_on_a_network_drive",
     [](ProgramDetails& d, FakeMachine& m) {
       m.files.drives[u'Z'] = DriveKind::kRemote;
       d.install_location = u"Z:\\App";
       m.files.AddDirectory(d.install_location);
     },
     {}},
    {"install_folder_on_a_share",
     [](ProgramDetails& d, FakeMachine& m) {
       d.install_location = u"\\\\server\\share\\App";
       m.files.AddDirectory(d.install_location);
     },
     {}},
    {"install_folder_as_a_pattern",
     [](ProgramDetails& d, FakeMachine& m) {
       m.files.AddDirectory(u"C:\\App");
       d.install_location = u"C:\\A*";
     },
     {}},
    {"web_page",
     [](ProgramDetails& d, FakeMachine&) { d.web_page = u"https://quinsett.example/a?b"; },
     {u"Publisher's Web Page open https://quinsett.example/a?b"}},
    {"web_page_that_is_no_address",
     [](ProgramDetails& d, FakeMachine&) { d.web_page = u"https://quinsett.example/\" -x"; },
     {}},
    {"everything_in_order",
     [](ProgramDetails& d, FakeMachine& m) {
       d = Installer();
       d.no_repair = true;
       d.install_location = u"C:\\App";
       m.files.AddDirectory(d.install_location);
       d.web_page = u"http://quinsett.example";
     },
     {u"Uninstall quietly run msiexec.exe /x {0A1B2C3D-4E5F-6789-ABCD-EF0123456789} /passive "
      u"/norestart",
      u"Modify run msiexec.exe /i {0A1B2C3D-4E5F-6789-ABCD-EF0123456789}",
      u"Open Install Folder open C:\\App\\", u"Publisher's Web Page open http://quinsett.example"}},
};

class ProgramActionsTest : public ::testing::TestWithParam<ActionsCase> {};

TEST_P(ProgramActionsTest, OnlyThoseThatApplyInOrder) {
  FakeMachine machine;
  machine.files.SetFile(u"C:\\App\\un.exe", "");
  ProgramDetails details;
  GetParam().arrange(details, machine);
  Platform platform = machine.platform();
  std::vector<std::u16string> items = {u"Uninstall [default] run C:\\App\\un.exe /x"};
  items.insert(items.end(), GetParam().items.begin(), GetParam().items.end());
  items.push_back(u"Copy Name copy Program & Co");
  std::vector<std::u16string> described;
  for (const ProgramAction& action : ProgramActions(Entry(), details, platform)) {
    described.push_back(Described(action));
  }
  EXPECT_THAT(described, ElementsAreArray(items));
  // A folder off the fixed drives or named as a pattern is never looked at.
  for (const std::u16string& call : machine.files.log()) {
    for (const char16_t* path : {u"Z:\\App", u"\\\\server", u"*"}) {
      EXPECT_EQ(call.find(path), call.npos) << ::testing::PrintToString(call);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Items, ProgramActionsTest, ::testing::ValuesIn(kActionsCases),
                         [](const auto& info) { return std::string(info.param.what); });

// The commands made for a Windows Installer entry run as uninstall commands do: by the system
// folder's own msiexec.exe, in the system folder.
TEST(ProgramActionsTest, InstallerCommandsRunFromTheSystemFolder) {
  FakeMachine machine;
  machine.files.SetFile(u"C:\\Windows\\system32\\msiexec.exe", "");
  machine.files.SetFile(u"msiexec.exe", "");
  Platform platform = machine.platform();
  const auto actions = ProgramActions(Entry(u"MsiExec.exe /X{1}"), Installer(), platform);
  ASSERT_EQ(actions.size(), 5u);
  for (const ProgramAction& action : actions) {
    if (action.effect == ActionEffect::kRunCommand) {
      RunUninstallCommand(machine.shell, machine.files, machine.text, action.argument);
    }
  }
  const std::u16string code = kCode;
  const std::u16string msiexec = u"C:\\Windows\\system32\\msiexec.exe";
  EXPECT_THAT(machine.shell.calls,
              ElementsAreArray(std::vector<FakeShell::Call>{
                  {u"C:\\Windows\\system32\\MsiExec.exe", u"/X{1}", machine.shell.system_folder},
                  {msiexec, u"/x " + code + u" /passive /norestart", machine.shell.system_folder},
                  {msiexec, u"/i " + code, machine.shell.system_folder},
                  {msiexec, u"/f " + code, machine.shell.system_folder}}));
}

struct MissingCase {
  const char* what;
  std::u16string command;
  std::function<void(FakeMachine&)> arrange;
  bool missing;
  std::u16string never_touched;  // a path no file call may name; empty for none
};

void PrintTo(const MissingCase& c, std::ostream* out) {
  *out << c.what;
}

void Exists(FakeMachine& m) {
  m.files.SetFile(u"C:\\App\\un.exe", "");
}

const MissingCase kMissingCases[] = {
    {"present", u"C:\\App\\un.exe /x", Exists, false, u""},
    {"absent", u"C:\\App\\un.exe /x", [](FakeMachine&) {}, true, u""},
    {"absent_quoted", u"\"C:\\My App\\un.exe\" /x", Exists, true, u""},
    {"absent_unparsed", u"\\\\?\\C:\\App\\un2.exe", Exists, true, u""},
    {"a_folder_of_its_name", u"C:\\App\\un.exe /x",
     [](FakeMachine& m) { m.files.AddDirectory(u"C:\\App\\un.exe"); }, true, u""},
    {"absent_as_expanded", u"%App%\\un.exe",
     [](FakeMachine& m) { m.shell.environment[u"APP"] = u"C:\\Gone"; }, true, u""},
    {"network_drive", u"Z:\\App\\un.exe",
     [](FakeMachine& m) { m.files.drives[u'Z'] = DriveKind::kRemote; }, false, u"Z:\\App"},
    {"removable_drive", u"E:\\un.exe",
     [](FakeMachine& m) { m.files.drives[u'E'] = DriveKind::kRemovable; }, false, u"E:\\un"},
    {"optical_drive", u"D:\\setup.exe /u",
     [](FakeMachine& m) { m.files.drives[u'D'] = DriveKind::kOptical; }, false, u"D:\\setup"},
    {"share", u"\\\\server\\share\\un.exe", [](FakeMachine&) {}, false, u"\\\\server"},
    {"bare_name", u"MsiExec.exe /X{1}", [](FakeMachine&) {}, false, u"MsiExec"},
    {"relative_path", u"App\\un.exe", [](FakeMachine&) {}, false, u"App"},
    {"pattern", u"C:\\App\\un?.exe", Exists, false, u"un?"},
    // Not known is no mark: the path leads through a link to somewhere slow.
    {"slow_to_answer", u"C:\\Far\\un.exe", [](FakeMachine& m) { m.files.AnswerSlowly(u"C:\\Far"); },
     false, u""},
    {"after_a_slow_answer", u"C:\\App\\un.exe",
     [](FakeMachine& m) {
       m.files.AnswerSlowly(u"C:\\Far");
       m.files.ProbePath(u"C:\\Far\\un.exe");
     },
     false, u"C:\\App"},
};

class UninstallerMissingTest : public ::testing::TestWithParam<MissingCase> {};

TEST_P(UninstallerMissingTest, OnlyAnAbsentFileOnAFixedDrive) {
  FakeMachine machine;
  GetParam().arrange(machine);
  Platform platform = machine.platform();
  ProgramEntry entry = Entry(GetParam().command);
  entry.expand_command = true;
  EXPECT_EQ(UninstallerMissing(entry, platform), GetParam().missing);
  if (!GetParam().never_touched.empty()) {
    for (const std::u16string& call : machine.files.log()) {
      EXPECT_EQ(call.find(GetParam().never_touched), call.npos) << ::testing::PrintToString(call);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, UninstallerMissingTest, ::testing::ValuesIn(kMissingCases),
                         [](const auto& info) { return std::string(info.param.what); });

// Both uninstall items say so and cannot be chosen; the rest of the menu stays.
TEST(UninstallerMissingTest, DisablesBothUninstallItems) {
  FakeMachine machine;
  Platform platform = machine.platform();
  ProgramDetails details;
  details.quiet_command = u"C:\\App\\un.exe /S";
  details.modify_command = u"C:\\App\\un.exe /modify";
  std::vector<std::u16string> described;
  for (const ProgramAction& action : ProgramActions(Entry(), details, platform)) {
    described.push_back(Described(action));
  }
  EXPECT_THAT(described,
              ElementsAreArray(std::vector<std::u16string>{
                  u"Uninstall (uninstaller missing) [disabled] [default] run C:\\App\\un.exe /x",
                  u"Uninstall quietly (uninstaller missing) [disabled] run C:\\App\\un.exe /S",
                  u"Modify run C:\\App\\un.exe /modify", u"Copy Name copy Program & Co"}));
}

struct LineCase {
  ProgramDetails details;
  std::u16string line;
};

ProgramDetails Shown(std::u16string version, std::u16string publisher,
                     std::optional<CalendarDate> date = {},
                     std::optional<std::uint32_t> size_kb = {}) {
  ProgramDetails details;
  details.version = std::move(version);
  details.publisher = std::move(publisher);
  details.install_date = date;
  details.size_kb = size_kb;
  return details;
}

const LineCase kLineCases[] = {
    {Shown(u"", u""), u""},
    {Shown(u" \t ", u"\r\n"), u""},
    {Shown(u"2.4.1", u"Quinsett & Co", CalendarDate{2024, 3, 7}, 12600),
     u"2.4.1 | Quinsett & Co | 3/7/2024 | 12.3 MB"},
    {Shown(u"", u"Quinsett", {}, 1), u"Quinsett | 1.00 KB"},
    {Shown(u"1.0", u"", CalendarDate{1999, 12, 31}), u"1.0 | 12/31/1999"},
    {Shown(u"", u"", {}, 1023), u"0.99 MB"},
    {Shown(u"", u"", {}, 999999), u"976 MB"},
    {Shown(u"", u"", {}, 0xFFFFFFFF), u"3.99 TB"},
    {Shown(u" 1.0\r\n", u"\tQuinsett\u202E Co\x85"), u"1.0 | Quinsett  Co"},
    {Shown(std::u16string(32, u'v'), std::u16string(65, u'p')),
     std::u16string(32, u'v') + u" | " + std::u16string(63, u'p') + u"…"},
    {Shown(std::u16string(30, u'v') + u"😀😀", u""), std::u16string(30, u'v') + u"…"},
    {Shown(std::u16string(31, u'v') + u"😀", u""), std::u16string(31, u'v') + u"…"},
};

TEST(DetailsLineTest, WhatIsKnownAsPlainText) {
  FakeText text;
  for (const LineCase& c : kLineCases) {
    SCOPED_TRACE(::testing::PrintToString(c.line));
    EXPECT_EQ(DetailsLine(c.details, text), c.line);
  }
  FakeMachine machine;
  Platform platform = machine.platform();
  const auto actions = ProgramActions(Entry(), kLineCases[2].details, platform);
  EXPECT_EQ(Described(actions[0]),
            u"2.4.1 | Quinsett & Co | 3/7/2024 | 12.3 MB [disabled] [literal]");
  EXPECT_EQ(actions[0].kind, ProgramActionKind::kDetails);
}

}  // namespace
}  // namespace velmoro
