// Where a program item's icon comes from, and when it is asked for: only once the menu is shown,
// and only for the items drawn.
#include "app/program_icon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/program.h"
#include "catalogue/enumeration.h"
#include "platform/fake/fake_machine.h"

namespace velmoro {
namespace {

using Kind = IconSource::Kind;
const std::u16string kKey = std::u16string(FakeMachine::kUninstall) + u"\\P";
const std::u16string kUserKey = std::u16string(FakeMachine::kUserUninstall) + u"\\P";

struct IconCase {
  const char* what;
  std::function<void(FakeMachine&)> arrange;  // the program's subkey, kKey, has a name already
  IconSource icon;
  std::vector<std::u16string> never_touched;  // paths no file call may name
};

void PrintTo(const IconCase& c, std::ostream* out) {
  *out << c.what;
}

void Command(FakeMachine& m, const std::u16string& command) {
  m.registry.SetString(kKey, u"UninstallString", command);
}

void Icon(FakeMachine& m, const std::u16string& text, std::uint32_t type = kRegSz) {
  m.registry.SetString(kKey, u"DisplayIcon", text, type);
}

const IconCase kCases[] = {
    {"display_icon",
     [](FakeMachine& m) { Icon(m, u"C:\\App\\app.exe,2"); },
     {Kind::kFile, u"C:\\App\\app.exe", 2},
     {}},
    {"display_icon_quoted_resource_id",
     [](FakeMachine& m) { Icon(m, u"\"C:\\My App\\app.dll\",-101"); },
     {Kind::kFile, u"C:\\My App\\app.dll", -101},
     {}},
    {"display_icon_expanded",
     [](FakeMachine& m) {
       m.shell.environment[u"PROGRAMFILES"] = u"C:\\Program Files";
       Icon(m, u"%ProgramFiles%\\App\\app.ico", kRegExpandSz);
     },
     {Kind::kFile, u"C:\\Program Files\\App\\app.ico", 0},
     {}},
    // What the subkey names comes first, even beside an uninstaller that exists.
    {"display_icon_before_the_uninstaller",
     [](FakeMachine& m) {
       Icon(m, u"C:\\App\\app.ico");
       m.files.SetFile(u"C:\\App\\un.exe", "");
     },
     {Kind::kFile, u"C:\\App\\app.ico", 0},
     {u"C:\\App\\un.exe"}},
    {"unreadable_display_icon_then_the_uninstaller",
     [](FakeMachine& m) {
       Icon(m, u"\"C:\\App\\app.ico");
       m.files.SetFile(u"C:\\App\\un.exe", "");
     },
     {Kind::kFile, u"C:\\App\\un.exe", 0},
     {}},
    {"display_icon_of_a_wrong_type_then_the_uninstaller",
     [](FakeMachine& m) {
       m.registry.SetDword(kKey, u"DisplayIcon", 1);
       m.files.SetFile(u"C:\\App\\un.exe", "");
     },
     {Kind::kFile, u"C:\\App\\un.exe", 0},
     {}},
    {"uninstaller",
     [](FakeMachine& m) { m.files.SetFile(u"C:\\App\\un.exe", ""); },
     {Kind::kFile, u"C:\\App\\un.exe", 0},
     {}},
    {"quoted_uninstaller",
     [](FakeMachine& m) {
       Command(m, u"\"C:\\My App\\un.exe\" /S");
       m.files.SetFile(u"C:\\My App\\un.exe", "");
     },
     {Kind::kFile, u"C:\\My App\\un.exe", 0},
     {}},
    {"missing_uninstaller", [](FakeMachine&) {}, {}, {}},
    {"uninstaller_slow_to_answer",
     [](FakeMachine& m) {
       m.files.SetFile(u"C:\\App\\un.exe", "");
       m.files.AnswerSlowly(u"C:\\App");
     },
     {},
     {}},
    // A file call would take it for a pattern, which a file of another name matches.
    {"uninstaller_named_by_a_pattern",
     [](FakeMachine& m) {
       Command(m, u"C:\\App\\un*.exe /x");
       m.files.SetFile(u"C:\\App\\uninst.exe", "");
     },
     {},
     {u"C:\\App\\un*.exe"}},
    {"batch_file",
     [](FakeMachine& m) {
       Command(m, u"C:\\App\\remove.bat /q");
       m.files.SetFile(u"C:\\App\\remove.bat", "");
     },
     {},
     {u"C:\\App\\remove.bat"}},
    // The icon of what starts: a program named without a folder, from the system folder.
    {"windows_installer",
     [](FakeMachine& m) {
       Command(m, u"MsiExec.exe /X{1234}");
       m.files.SetFile(u"C:\\Windows\\system32\\msiexec.exe", "");
     },
     {Kind::kFile, u"C:\\Windows\\system32\\MsiExec.exe", 0},
     {}},
    {"bare_windows_installer",
     [](FakeMachine& m) {
       Command(m, u"msiexec /x{1234}");
       m.files.SetFile(u"C:\\Windows\\system32\\msiexec.exe", "");
     },
     {Kind::kFile, u"C:\\Windows\\system32\\msiexec.exe", 0},
     {}},
    {"bare_program_of_the_system",
     [](FakeMachine& m) {
       Command(m, u"RunDll32.exe C:\\App\\un.dll,Remove");
       m.files.SetFile(u"C:\\Windows\\system32\\rundll32.exe", "");
     },
     {Kind::kFile, u"C:\\Windows\\system32\\RunDll32.exe", 0},
     {}},
    // A share or a drive that may sleep or be gone is never touched.
    {"display_icon_on_a_share",
     [](FakeMachine& m) {
       Icon(m, u"\\\\server\\share\\app.exe");
       m.files.SetFile(u"C:\\App\\un.exe", "");
     },
     {},
     {u"\\\\server\\share\\app.exe", u"C:\\App\\un.exe"}},
    {"display_icon_on_a_network_drive",
     [](FakeMachine& m) {
       m.files.drives[u'Z'] = DriveKind::kRemote;
       Icon(m, u"Z:\\Apps\\app.exe");
     },
     {},
     {u"Z:\\Apps\\app.exe"}},
    {"uninstaller_on_a_removable_drive",
     [](FakeMachine& m) {
       m.files.drives[u'E'] = DriveKind::kRemovable;
       Command(m, u"E:\\App\\un.exe");
       m.files.SetFile(u"E:\\App\\un.exe", "");
     },
     {},
     {u"E:\\App\\un.exe"}},
    {"uninstaller_on_an_optical_drive",
     [](FakeMachine& m) {
       m.files.drives[u'D'] = DriveKind::kOptical;
       Command(m, u"D:\\setup.exe /u");
     },
     {},
     {u"D:\\setup.exe"}},
    {"uninstaller_without_a_drive",
     [](FakeMachine& m) { Command(m, u"App\\un.exe /x"); },
     {},
     {u"App\\un.exe"}},
    // A device name in any folder is the device, whatever follows it: nothing there is opened.
    {"display_icon_naming_a_port",
     [](FakeMachine& m) { Icon(m, u"C:\\App\\COM1"); },
     {},
     {u"COM1"}},
    {"display_icon_naming_a_printer_port_with_an_extension",
     [](FakeMachine& m) { Icon(m, u"C:\\App\\Lpt9.ico,2"); },
     {},
     {u"Lpt9"}},
    {"display_icon_in_a_device_folder_with_a_blank_and_a_dot",
     [](FakeMachine& m) { Icon(m, u"C:\\App\\nul .\\app.ico"); },
     {},
     {u"app.ico"}},
    {"display_icon_naming_a_port_in_superscript",
     [](FakeMachine& m) { Icon(m, u"C:\\App\\com\u00B2.dll:icons"); },
     {},
     {u"App"}},
    {"display_icon_naming_the_console_unparsed",
     [](FakeMachine& m) { Icon(m, u"\\\\?\\C:\\App\\CONOUT$"); },
     {},
     {u"CONOUT$"}},
    {"uninstaller_in_a_device_folder",
     [](FakeMachine& m) {
       Command(m, u"C:\\AUX\\un.exe");
       m.files.SetFile(u"C:\\AUX\\un.exe", "");
     },
     {},
     {u"un.exe"}},
    // Names that only begin like a device's are files.
    {"display_icon_named_like_a_device",
     [](FakeMachine& m) { Icon(m, u"C:\\COM10\\Console.ico"); },
     {Kind::kFile, u"C:\\COM10\\Console.ico", 0},
     {}},
    // The path named, and checked, is the full one: no ".." climbs out of it.
    {"display_icon_made_full",
     [](FakeMachine& m) { Icon(m, u"C:\\App\\..\\..\\Icons\\.\\app.ico.."); },
     {Kind::kFile, u"C:\\Icons\\app.ico", 0},
     {}},
    {"unparsed_display_icon_with_dots",
     [](FakeMachine& m) { Icon(m, u"\\\\?\\C:\\App\\..\\app.ico"); },
     {},
     {u"app.ico"}},
};

class ProgramIconTest : public ::testing::TestWithParam<IconCase> {};

TEST_P(ProgramIconTest, ComesFromTheFirstSourceThatHasOne) {
  FakeMachine machine;
  machine.AddProgram(u"P", u"Program", u"C:\\App\\un.exe /x");
  GetParam().arrange(machine);
  Platform platform = machine.platform();
  const auto entries = EnumeratePrograms(machine.registry, machine.threads, [] {});
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(ProgramIcon(entries[0], platform), GetParam().icon);
  for (const std::u16string& path : GetParam().never_touched) {
    for (const std::u16string& call : machine.files.log()) {
      EXPECT_EQ(call.find(path), call.npos) << ::testing::PrintToString(call);
    }
  }
  EXPECT_EQ(machine.registry.open_key_count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Sources, ProgramIconTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.what); });

// The subkey is read where the program was found: the current user's key, or the 32-bit view.
TEST(ProgramIconTest, ReadsTheSubkeyWhereTheProgramWasFound) {
  FakeMachine machine;
  machine.AddProgram(u"P", u"User Program", u"C:\\u.exe", FakeRegistry::View::k64,
                     FakeMachine::kUserUninstall);
  machine.registry.SetString(kUserKey, u"DisplayIcon", u"C:\\user.ico");
  machine.AddProgram(u"Q", u"Old Program", u"C:\\q.exe", FakeRegistry::View::k32);
  machine.registry.SetString(std::u16string(FakeMachine::kUninstall) + u"\\Q", u"DisplayIcon",
                             u"C:\\old.ico", kRegSz, FakeRegistry::View::k32);
  Platform platform = machine.platform();
  const auto entries = EnumeratePrograms(machine.registry, machine.threads, [] {});
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(ProgramIcon(entries[0], platform).path, u"C:\\old.ico");
  EXPECT_EQ(ProgramIcon(entries[1], platform).path, u"C:\\user.ico");
}

// Nothing is asked before the menu is shown, and only the items drawn ask: the first twenty of
// "All Programs" and the one chosen; none of a submenu never opened.
TEST(ProgramIconTest, OnlyTheItemsDrawnAskForTheirIcons) {
  FakeMachine machine;
  for (int i = 0; i < 30; ++i) {
    const std::u16string n = {static_cast<char16_t>(u'A' + i / 10),
                              static_cast<char16_t>(u'0' + i % 10)};
    machine.AddProgram(n, u"Program " + n, u"C:\\Apps\\" + n + u".exe");
  }
  machine.files.AddDirectory(FakeMachine::kDataDir);
  machine.files.SetFile(FakeMachine::DataFile(u"All.dat"), "\r\n");  // all recent: never opened
  machine.desktop.choice = {u"All Programs", u"@25"};
  Platform platform = machine.platform();
  RunProgram(platform);

  const auto& log = machine.desktop.log;
  const auto popup = std::find(log.begin(), log.end(), u"popup");
  const auto first_icon = std::find_if(log.begin(), log.end(), [](const std::u16string& line) {
    return line.rfind(u"icon", 0) == 0;
  });
  EXPECT_LT(popup, first_icon);
  ASSERT_EQ(machine.desktop.icons.size(), 21u);
  const auto& all = machine.desktop.popups[0].top[0].submenu;
  for (std::size_t i = 0; i < 20; ++i) EXPECT_EQ(machine.desktop.icons[i].first, all[i].command);
  EXPECT_EQ(machine.desktop.icons[20].first, all[25].command);
}

}  // namespace
}  // namespace velmoro
