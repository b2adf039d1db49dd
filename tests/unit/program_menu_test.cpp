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

  // Applied to every run's fresh desktop.
  void Prepare(FakeDesktop& fresh) override {
    fresh.program_menu_unplaced = unplaced;
    fresh.click_beside_program_menu = click_beside;
  }

  bool unplaced = false;
  bool click_beside = false;

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
  // The popup posts its own choice of the highlighted item too.
  bool click_beside = false;
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
    // Only the choice made in the program's menu runs, not the item it was opened for.
    {"a_click_beside_the_choice",
     {u"All Programs", u"menu:Alpha && Co", u"Repair"},
     false,
     {{u"C:\\Windows\\system32\\msiexec.exe", u"/f {11111111-2222-3333-4444-555555555555}",
       kSystem}},
     DesktopShell::kOpens,
     0,
     true},
};

class ProgramMenuChoiceTest : public ProgramMenuTest,
                              public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ProgramMenuChoiceTest, StartsTheChosenActionAndEnds) {
  process.elevated = GetParam().elevated;
  shell.desktop_shell = GetParam().desktop_shell;
  files.SetFile(u"C:\\Windows\\system32\\msiexec.exe", "MZ");
  click_beside = GetParam().click_beside;
  EXPECT_EQ(Run(GetParam().choice), 0);
  EXPECT_EQ(shell.calls, GetParam().opened);
  EXPECT_EQ(desktop.boxes.size(), GetParam().boxes);
  EXPECT_EQ(desktop.popups.size(), 1u);
  ExpectEnded();
}

INSTANTIATE_TEST_SUITE_P(Choices, ProgramMenuChoiceTest, ::testing::ValuesIn(kChoices),
                         [](const auto& info) { return std::string(info.param.name); });

struct Steps {
  const char* name;
  std::vector<std::u16string> steps;
};

// How the user leaves the highlighted item; only where it is highlighted still, in a level on the
// screen, is its menu shown. Leaving a submenu by Left or Escape sends no notice for the entry
// highlighted again, as under Wine; one closed by the platform sends none at all.
const Steps kLeavings[] = {
    {"stays", {}},
    {"left", {u"!left"}},
    {"escape", {u"!escape"}},
    {"pointer_on_another_menu", {u"!point:Exit"}},
    {"closed_without_notice", {u"!hide"}},
};
void PrintTo(const Steps& steps, std::ostream* out) {
  *out << steps.name;
}

const Steps kAskings[] = {
    {"key", {u"!apps"}},
    {"shift_f10", {u"!shift+f10"}},
    {"shift_right_click", {u"!shift+rdown", u"!shift+rup"}},
};

class ProgramMenuRequestTest : public ProgramMenuTest,
                               public ::testing::WithParamInterface<std::tuple<Steps, Steps>> {};

TEST_P(ProgramMenuRequestTest, OpensOnlyForTheItemHighlightedNow) {
  const auto& [leaving, asking] = GetParam();
  std::vector<std::u16string> steps{u"All Programs", u"Alpha && Co"};
  steps.insert(steps.end(), leaving.steps.begin(), leaving.steps.end());
  steps.insert(steps.end(), asking.steps.begin(), asking.steps.end());
  steps.push_back(u"");
  EXPECT_EQ(Run(steps), 0);
  EXPECT_EQ(desktop.program_menus.size(), leaving.steps.empty() ? 1u : 0u);
  EXPECT_TRUE(shell.calls.empty());
  ExpectEnded();
}

INSTANTIATE_TEST_SUITE_P(Ways, ProgramMenuRequestTest,
                         ::testing::Combine(::testing::ValuesIn(kLeavings),
                                            ::testing::ValuesIn(kAskings)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_then_" +
                                  std::get<1>(info.param).name;
                         });

struct RightClickCase {
  const char* name;
  std::vector<std::u16string> steps;  // after Alpha is highlighted
  bool unplaced;
  std::size_t menus;
  std::vector<FakeShell::Call> started;
};

void PrintTo(const RightClickCase& c, std::ostream* out) {
  *out << c.name;
}

const FakeShell::Call kBravoStarted{u"C:\\Bravo\\unins000.exe", u" /x", kSystem};

// A press taken for the program's menu takes its release too, whatever Shift does meanwhile; where
// the menu cannot open, nothing is chosen and the popup stays as it was.
const RightClickCase kRightClicks[] = {
    {"shift_let_go_before_the_press",
     {u"!rdown", u"!rup"},
     false,
     0,
     {{u"C:\\Windows\\system32\\MsiExec.exe", u"/X{1}", kSystem}}},
    {"shift_let_go_before_the_release", {u"!shift+rdown", u"!rup", u""}, false, 1, {}},
    {"shift_let_go_after_the_release", {u"!shift+rdown", u"!shift+rup", u""}, false, 1, {}},
    {"right_click_where_the_menu_cannot_open",
     {u"!shift+rdown", u"!shift+rup", u"Bravo"},
     true,
     0,
     {kBravoStarted}},
    {"key_where_the_menu_cannot_open", {u"!apps", u"Bravo"}, true, 0, {kBravoStarted}},
};

class RightClickTest : public ProgramMenuTest,
                       public ::testing::WithParamInterface<RightClickCase> {};

TEST_P(RightClickTest, StartsOnlyWhatIsChosen) {
  files.SetFile(u"C:\\Windows\\system32\\msiexec.exe", "MZ");
  unplaced = GetParam().unplaced;
  std::vector<std::u16string> steps{u"All Programs", u"Alpha && Co"};
  steps.insert(steps.end(), GetParam().steps.begin(), GetParam().steps.end());
  EXPECT_EQ(Run(steps), 0);
  EXPECT_EQ(desktop.program_menus.size(), GetParam().menus);
  EXPECT_EQ(shell.calls, GetParam().started);
  ExpectEnded();
}

INSTANTIATE_TEST_SUITE_P(Moments, RightClickTest, ::testing::ValuesIn(kRightClicks),
                         [](const auto& info) { return std::string(info.param.name); });

// The menu is ended, and the quit posted once it has closed: posted inside the menu's loop, it
// would be taken and dropped there, and the program would stay for ever.
TEST_F(ProgramMenuTest, ACloseRequestWhileTheMenuIsUpEndsTheProgramAtOnce) {
  const std::vector<std::u16string> kCloses[] = {
      {u"!close", u"All Programs", u"Alpha && Co"},
      {u"All Programs", u"!close", u"Alpha && Co"},
      {u"All Programs", u"menu:Alpha && Co", u"!close", u"Repair"},
  };
  for (const std::vector<std::u16string>& steps : kCloses) {
    EXPECT_EQ(Run(steps), 0);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(desktop.quits_lost_in_menu, 0);
    ExpectEnded();
  }
}

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
