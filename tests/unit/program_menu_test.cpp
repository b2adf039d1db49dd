#include <gtest/gtest.h>

#include "program_test.h"

namespace velmoro {
namespace {

constexpr char16_t kCode[] = u"{11111111-2222-3333-4444-555555555555}";
const std::u16string kMsiKey = std::u16string(FakeMachine::kUninstall) + u"\\" + kCode;

// One Windows Installer program whose uninstaller exists, and one whose uninstaller is gone.
class ProgramMenuTest : public ProgramTest {
 protected:
  void SetUp() override {
    AddProgram(kCode, u"Alpha & Co", u"MsiExec.exe /X{1}");
    registry.SetDword(kMsiKey, u"WindowsInstaller", 1);
    registry.SetString(kMsiKey, u"DisplayVersion", u"2.0");
    registry.SetString(kMsiKey, u"InstallLocation", u"C:\\Alpha");
    registry.SetString(kMsiKey, u"URLInfoAbout", u"https://alpha.example/");
    files.AddDirectory(u"C:\\Alpha");
    AddProgram(u"gone", u"Bravo", u"\"C:\\Bravo\\unins000.exe\" /x");
    files.AddDirectory(kDataDir);
    files.SetFile(DataFile(u"All.dat"), "\r\n");  // every program is new, so both are recent
  }

  const std::vector<MenuEntry>& ShownMenu() {
    EXPECT_EQ(desktop.program_menus.size(), 1u);
    return desktop.program_menus.back().second;
  }
};

TEST_F(ProgramMenuTest, ListsWhatAppliesAndShowsTheDetailsAsTheyStand) {
  Run({u"Recent Programs", u"menu:Alpha && Co", u""});
  EXPECT_EQ(
      Texts(ShownMenu()),
      (std::vector<std::u16string>{u"2.0", u"Uninstall", u"Uninstall quietly", u"Modify", u"Repair",
                                   u"Open Install Folder", u"Publisher's Web Page", u"Copy Name"}));
  EXPECT_TRUE(ShownMenu()[0].disabled);
  EXPECT_TRUE(ShownMenu()[1].is_default);
  // Escape closed only the program's menu; the main one was dismissed after it.
  EXPECT_TRUE(shell.calls.empty());
  ExpectEnded();
}

struct ChoiceCase {
  const char* name;
  std::vector<std::u16string> choice;
  bool elevated;
  std::vector<FakeShell::Call> opened;
  DesktopShell desktop_shell = DesktopShell::kOpens;
  std::size_t boxes = 0;
};

void PrintTo(const ChoiceCase& c, std::ostream* out) {
  *out << c.name;
}

const ChoiceCase kChoices[] = {
    {"uninstall",
     {u"Recent Programs", u"menu:Alpha && Co", u"Uninstall"},
     false,
     {{u"C:\\Windows\\system32\\MsiExec.exe", u"/X{1}", kSystem}}},
    {"quietly",
     {u"All Programs", u"menu:Alpha && Co", u"Uninstall quietly"},
     false,
     {{u"C:\\Windows\\system32\\msiexec.exe",
       u"/x {11111111-2222-3333-4444-555555555555} /passive /norestart", kSystem}}},
    {"modify",
     {u"Recent Programs", u"menu:Alpha && Co", u"Modify"},
     false,
     {{u"C:\\Windows\\system32\\msiexec.exe", u"/i {11111111-2222-3333-4444-555555555555}",
       kSystem}}},
    {"repair",
     {u"Recent Programs", u"menu:Alpha && Co", u"Repair"},
     false,
     {{u"C:\\Windows\\system32\\msiexec.exe", u"/f {11111111-2222-3333-4444-555555555555}",
       kSystem}}},
    // A folder named with a closing "\" opens only as a folder.
    {"folder",
     {u"Recent Programs", u"menu:Alpha && Co", u"Open Install Folder"},
     false,
     {{u"C:\\Alpha\\", std::nullopt, std::nullopt, Owner::kMenuOwner}}},
    {"folder_as_the_desktops_user",
     {u"Recent Programs", u"menu:Alpha && Co", u"Open Install Folder"},
     true,
     {{u"C:\\Alpha\\", std::nullopt, std::nullopt, std::nullopt}}},
    {"web_page_as_the_desktops_user",
     {u"Recent Programs", u"menu:Alpha && Co", u"Publisher's Web Page"},
     true,
     {{u"https://alpha.example/", std::nullopt, std::nullopt, std::nullopt}}},
    // Never opened with the administrator's rights: only shown, to be copied.
    {"folder_where_the_desktop_shell_fails",
     {u"Recent Programs", u"menu:Alpha && Co", u"Open Install Folder"},
     true,
     {},
     DesktopShell::kFails,
     1},
    // Escape leaves the main menu open on the same level.
    {"escape_then_the_item",
     {u"Recent Programs", u"menu:Bravo", u"", u"menu:Alpha && Co", u"Repair"},
     false,
     {{u"C:\\Windows\\system32\\msiexec.exe", u"/f {11111111-2222-3333-4444-555555555555}",
       kSystem}}},
    {"no_menu_for_a_fixed_command", {u"menu:Exit", u"Exit"}, false, {}},
};

class ProgramMenuChoiceTest : public ProgramMenuTest,
                              public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ProgramMenuChoiceTest, StartsTheChosenActionAndEnds) {
  process.elevated = GetParam().elevated;
  shell.desktop_shell = GetParam().desktop_shell;
  files.SetFile(u"C:\\Windows\\system32\\msiexec.exe", "MZ");
  EXPECT_EQ(Run(GetParam().choice), 0);
  EXPECT_EQ(shell.calls, GetParam().opened);
  EXPECT_EQ(desktop.boxes.size(), GetParam().boxes);
  EXPECT_EQ(desktop.popups.size(), 1u);
  ExpectEnded();
}

INSTANTIATE_TEST_SUITE_P(Choices, ProgramMenuChoiceTest, ::testing::ValuesIn(kChoices),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ProgramMenuTest, CopyNamePutsTheNameOnTheClipboardThenEnds) {
  Run({u"Recent Programs", u"menu:Alpha && Co", u"Copy Name"});
  EXPECT_EQ(desktop.clipboard, u"Alpha & Co");
  EXPECT_TRUE(desktop.boxes.empty());
  ExpectEnded();

  desktop = FakeDesktop();
  desktop.choice = {u"Recent Programs", u"menu:Alpha && Co", u"Copy Name"};
  desktop.clipboard_refused = true;
  Platform machine = platform();
  EXPECT_EQ(RunProgram(machine), 0);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].text, u"The name could not be put on the clipboard.");
  ExpectEnded();
}

// Looked at when the item is drawn: its icon carries the mark, and its menu cannot start what is
// gone. Choosing the item itself starts the command as before.
TEST_F(ProgramMenuTest, AMissingUninstallerIsMarked) {
  Run({u"Recent Programs", u"menu:Bravo", u"", u"Bravo"});
  ASSERT_EQ(desktop.icons.size(), 2u);
  for (const auto& [command, icon] : desktop.icons) {
    EXPECT_EQ(icon.warning, desktop.FindEntry({u"Recent Programs", u"Bravo"})->command == command);
  }
  const std::vector<MenuEntry>& menu = ShownMenu();
  ASSERT_GE(menu.size(), 1u);
  EXPECT_EQ(menu[0].text, u"Uninstall (uninstaller missing)");
  EXPECT_TRUE(menu[0].disabled);
  EXPECT_EQ(shell.calls,
            (std::vector<FakeShell::Call>{{u"C:\\Bravo\\unins000.exe", u" /x", kSystem}}));
}

}  // namespace
}  // namespace velmoro
