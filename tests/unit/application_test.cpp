#include "app/application.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/error_display.h"
#include "app/program.h"
#include "platform/fake/fake_machine.h"

namespace velmoro {
namespace {

constexpr char16_t kSystem[] = u"C:\\Windows\\system32";
constexpr char16_t kUpdater[] = u"C:\\Program Files\\Velmoro Uninstaller\\Updater.exe";

// One machine: a run of the program on it is one call of Run().
class ProgramTest : public ::testing::Test, protected FakeMachine {
 protected:
  // Runs the program once with a fresh desktop and shell; returns its exit status.
  int Run(std::vector<std::u16string> choice = {}) {
    desktop = FakeDesktop();
    desktop.choice = std::move(choice);
    desktop.start_state = start_state;
    shell.calls.clear();
    Platform machine = platform();
    return RunProgram(machine);
  }

  std::vector<std::u16string> Texts(const std::vector<MenuEntry>& entries) {
    std::vector<std::u16string> texts;
    for (const MenuEntry& entry : entries) texts.push_back(entry.text);
    return texts;
  }

  // The program ended by itself, without anything left to wait for.
  void ExpectEnded() {
    EXPECT_FALSE(desktop.waited_forever);
    EXPECT_GE(desktop.quit_requests, 1);
  }

  int start_state = kSwShowDefault;
};

TEST_F(ProgramTest, PopsTheStaticMenuUpAtThePointerAndEndsWhenDismissed) {
  EXPECT_EQ(Run(), 0);
  ASSERT_EQ(desktop.popups.size(), 1u);
  const auto& popup = desktop.popups[0];
  EXPECT_EQ(popup.x, 300);
  EXPECT_EQ(popup.y, 200);
  EXPECT_EQ(Texts(popup.top),
            (std::vector<std::u16string>{u"All Programs", u"Recent Programs", u"-",
                                         u"Velmoro Uninstaller Pro", u"Exit"}));
  EXPECT_TRUE(popup.top[1].is_default);
  EXPECT_TRUE(popup.top[1].submenu.empty()) << "an empty entry is a plain item";
  EXPECT_TRUE(popup.top[2].separator);
  EXPECT_EQ(Texts(popup.top[3].submenu),
            (std::vector<std::u16string>{u"Check for Updates", u"Visit Web Site", u"Send Email",
                                         u"-", u"About..."}));
  EXPECT_EQ(desktop.log, (std::vector<std::u16string>{u"title Velmoro Uninstaller", u"show host 1",
                                                      u"foreground menu owner", u"hide app",
                                                      u"hide host", u"popup"}));
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_TRUE(desktop.boxes.empty());
  ExpectEnded();
}

constexpr char16_t kWebSite[] = u"http://www.quinsett.example/velmoro-uninstaller/?vid=1.0";
constexpr char16_t kMail[] = u"mailto:support@quinsett.example?subject=velmoro-uninstaller_1.0";
// Through ShellExecuteExW owned by the menu owner, or through the desktop shell's process.
const FakeShell::Call kUpdaterCall{kUpdater, std::nullopt, std::nullopt, Owner::kMenuOwner};
const FakeShell::Call kWebCall{kWebSite, std::nullopt, std::nullopt, Owner::kMenuOwner};
const FakeShell::Call kWebAsUser{kWebSite, std::nullopt, std::nullopt, std::nullopt};
const FakeShell::Call kMailCall{kMail, std::nullopt, std::nullopt, Owner::kMenuOwner};
const FakeShell::Call kMailAsUser{kMail, std::nullopt, std::nullopt, std::nullopt};

struct FixedCommandCase {
  const char16_t* item;
  bool elevated;
  bool desktop_shell;  // the desktop shell's process can open files for the program
  std::vector<FakeShell::Call> opened;
};

void PrintTo(const FixedCommandCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(std::u16string(c.item)) << (c.elevated ? " elevated" : "")
       << (c.desktop_shell ? "" : " without desktop shell");
}

class FixedCommandTest : public ProgramTest,
                         public ::testing::WithParamInterface<FixedCommandCase> {};

TEST_P(FixedCommandTest, OpensItsTargetAndEnds) {
  const std::u16string item = GetParam().item;
  process.elevated = GetParam().elevated;
  shell.desktop_shell = GetParam().desktop_shell;
  EXPECT_EQ(Run(item == u"Exit" ? std::vector<std::u16string>{item}
                                : std::vector<std::u16string>{u"Velmoro Uninstaller Pro", item}),
            0);
  EXPECT_EQ(shell.calls, GetParam().opened);
  ExpectEnded();
}

// An elevated run opens the links as the desktop's user where it can; the updater is started as
// the program itself runs.
INSTANTIATE_TEST_SUITE_P(
    Items, FixedCommandTest,
    ::testing::Values(FixedCommandCase{u"Check for Updates", false, true, {kUpdaterCall}},
                      FixedCommandCase{u"Check for Updates", true, true, {kUpdaterCall}},
                      FixedCommandCase{u"Visit Web Site", false, true, {kWebCall}},
                      FixedCommandCase{u"Visit Web Site", true, true, {kWebAsUser}},
                      FixedCommandCase{u"Visit Web Site", true, false, {kWebCall}},
                      FixedCommandCase{u"Send Email", false, true, {kMailCall}},
                      FixedCommandCase{u"Send Email", true, true, {kMailAsUser}},
                      FixedCommandCase{u"Send Email", true, false, {kMailCall}},
                      FixedCommandCase{u"Exit", true, true, {}}));

TEST_F(ProgramTest, AboutBoxStaysUntilClosedThenTheProgramEnds) {
  EXPECT_EQ(Run({u"Velmoro Uninstaller Pro", u"About..."}), 0);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  const auto& box = desktop.boxes[0];
  EXPECT_EQ(box.owner, Owner::kHostForm);
  EXPECT_EQ(box.caption, u"About Velmoro Uninstaller");
  EXPECT_EQ(box.flags, 0x40u);
  EXPECT_EQ(box.text.rfind(u"Velmoro Uninstaller v1.0\r\n\r\n", 0), 0u);
  EXPECT_NE(box.text.find(u"Quinsett"), std::u16string::npos);
  EXPECT_NE(box.text.back(), u'\n');
  EXPECT_EQ(desktop.boxes_cut_short, 0);
  EXPECT_EQ(desktop.popups.size(), 1u);
  ExpectEnded();
}

TEST_F(ProgramTest, UnreadablePointerPutsTheMenuAtTheWorkAreaCentre) {
  desktop.cursor.reset();
  Platform machine = platform();
  RunProgram(machine);
  ASSERT_EQ(desktop.popups.size(), 1u);
  EXPECT_EQ(desktop.popups[0].x, 640);
  EXPECT_EQ(desktop.popups[0].y, 480);
}

TEST_F(ProgramTest, MinimisedStartWaitsForTheRestore) {
  start_state = kSwShowMinNoActive;
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(desktop.popups.empty());
  EXPECT_TRUE(desktop.waited_forever) << "nothing but a restore brings the menu";

  desktop = FakeDesktop();
  desktop.start_state = kSwShowMinNoActive;
  desktop.PostRestore();
  desktop.PostRestore();
  Platform machine = platform();
  RunProgram(machine);
  EXPECT_EQ(desktop.log,
            (std::vector<std::u16string>{u"title Velmoro Uninstaller", u"minimise app", u"restore",
                                         u"show host 1", u"restore", u"foreground menu owner",
                                         u"hide app", u"hide host", u"popup"}));
  ExpectEnded();
}

struct ForegroundCase {
  const char* name;
  int start_state;
  bool granted;      // the starter let the program take the foreground
  bool user_clicks;  // the user clicks the flashing taskbar button
  std::vector<std::u16string> log;
};

void PrintTo(const ForegroundCase& c, std::ostream* out) {
  *out << c.name;
}

const ForegroundCase kForegroundCases[] = {
    {"normal",
     kSwShowDefault,
     true,
     false,
     {u"show host 1", u"foreground menu owner", u"hide app", u"hide host", u"popup"}},
    // A maximised form would fill the screen for a moment.
    {"maximised",
     kSwShowMaximized,
     true,
     false,
     {u"show host 1", u"foreground menu owner", u"hide app", u"hide host", u"popup"}},
    // Started from a scheduled task, or while the user clicked elsewhere: a menu without the
    // keyboard could not be closed, so the taskbar button flashes until the user clicks it.
    {"refused",
     kSwShowDefault,
     false,
     false,
     {u"show host 1", u"foreground menu owner", u"hide app", u"hide host", u"flash app"}},
    {"refused_then_clicked",
     kSwShowDefault,
     false,
     true,
     {u"show host 1", u"foreground menu owner", u"hide app", u"hide host", u"flash app", u"restore",
      u"show host 1", u"foreground menu owner", u"hide app", u"hide host", u"popup"}},
};

class ForegroundTest : public ProgramTest, public ::testing::WithParamInterface<ForegroundCase> {};

// The menu owner takes the foreground while the visible host form still holds it, and the menu is
// tracked only when it has it.
TEST_P(ForegroundTest, TheMenuIsShownOnlyWithTheKeyboard) {
  desktop = FakeDesktop();
  desktop.start_state = GetParam().start_state;
  desktop.foreground_granted = GetParam().granted;
  desktop.click_flashing_button = GetParam().user_clicks;
  Platform machine = platform();
  EXPECT_EQ(RunProgram(machine), 0);
  std::vector<std::u16string> log(desktop.log.begin() + 1, desktop.log.end());
  EXPECT_EQ(log, GetParam().log);
  EXPECT_EQ(desktop.popups.size(), GetParam().granted || GetParam().user_clicks ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Starts, ForegroundTest, ::testing::ValuesIn(kForegroundCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct PlacementCase {
  ScreenLayout screen;
  FakeDesktop::Placement placement;
};

class PlacementTest : public ProgramTest, public ::testing::WithParamInterface<PlacementCase> {};

// Wholly left of the leftmost monitor, at the size the form has at that monitor's scale.
TEST_P(PlacementTest, TheHostFormIsLeftOfEveryMonitor) {
  desktop = FakeDesktop();
  desktop.screen = GetParam().screen;
  Platform machine = platform();
  RunProgram(machine);
  EXPECT_EQ(desktop.host_form_placement, GetParam().placement);
}

INSTANTIATE_TEST_SUITE_P(MonitorLayouts, PlacementTest,
                         ::testing::Values(PlacementCase{{0, 96}, {-123, 406, 123, 75}},
                                           // A monitor left of the primary one.
                                           PlacementCase{{-1920, 96}, {-2043, 406, 123, 75}},
                                           PlacementCase{{-1280, 144}, {-1465, 609, 185, 113}},
                                           PlacementCase{{-3840, 192}, {-4086, 812, 246, 150}},
                                           PlacementCase{{-2560, 240}, {-2868, 1015, 308, 188}}));

TEST_F(ProgramTest, CloseRequestWhileMinimisedEndsTheProgram) {
  desktop.start_state = kSwShowMinNoActive;
  desktop.PostClose();
  Platform machine = platform();
  EXPECT_EQ(RunProgram(machine), 0);
  EXPECT_TRUE(desktop.popups.empty());
  ExpectEnded();
}

TEST_F(ProgramTest, ChoosingAnEmptySubmenuEntryEndsTheProgram) {
  EXPECT_EQ(Run({u"Recent Programs"}), 0);
  EXPECT_TRUE(shell.calls.empty());
  ExpectEnded();
}

struct EndSessionCase {
  const char* name;
  std::function<void(FakeMachine&)> arrange;
  std::size_t popups;
};

void PrintTo(const EndSessionCase& c, std::ostream* out) {
  *out << c.name;
}

const EndSessionCase kEndSessionCases[] = {
    {"waiting_minimised",
     [](FakeMachine& m) {
       m.desktop.start_state = kSwShowMinNoActive;
       m.desktop.SendEndSession();
     },
     0},
    {"start_up_box",
     [](FakeMachine& m) {
       m.files.DenyMakeDirectory(u"C:\\ProgramData\\Quinsett");
       m.desktop.on_box = [&m](const FakeDesktop::Box&) { m.desktop.SendEndSession(); };
     },
     0},
    {"enumeration",
     [](FakeMachine& m) {
       m.AddProgram(u"A", u"Alpha", u"C:\\a.exe");
       m.desktop.SendEndSession();
     },
     0},
    {"about_box",
     [](FakeMachine& m) {
       m.desktop.choice = {u"Velmoro Uninstaller Pro", u"About..."};
       m.desktop.on_box = [&m](const FakeDesktop::Box&) { m.desktop.SendEndSession(); };
     },
     1},
};

class EndSessionTest : public ::testing::TestWithParam<EndSessionCase> {};

// The platform may end the process any moment after the logon has ended, so the program ends at
// once, whatever it was doing.
TEST_P(EndSessionTest, EndsTheProgramAtOnce) {
  FakeMachine machine;
  GetParam().arrange(machine);
  Platform platform = machine.platform();
  EXPECT_THROW(RunProgram(platform), FakeDesktop::ProcessEnded);
  EXPECT_EQ(machine.desktop.popups.size(), GetParam().popups);
  EXPECT_EQ(machine.desktop.log.back(), u"end process");
}

INSTANTIATE_TEST_SUITE_P(States, EndSessionTest, ::testing::ValuesIn(kEndSessionCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Notices the platform may deliver at any time, delivered while start-up shows a box and while a
// chosen item's handler shows one: none may act on a form, menu or item before its time.
TEST_F(ProgramTest, NoticesOutOfTurnAreSafe) {
  AddProgram(u"A", u"Alpha", u"C:\\a.exe");
  files.DenyMakeDirectory(u"C:\\ProgramData\\Quinsett");
  desktop.choice = {u"Velmoro Uninstaller Pro", u"About..."};
  Platform machine = platform();
  Application application(machine);
  std::vector<std::uint16_t> commands;
  desktop.on_box = [&](const FakeDesktop::Box&) {
    TForm1& form = *application.Form1();
    for (MenuItem* item : {form.N11, form.Recent1, form.About1, form.About2, form.Exit1}) {
      application.OnHostActivated();
      application.OnRestore();
      EXPECT_EQ(application.OnSubmenuOpening(item->Command()), std::nullopt);
      EXPECT_EQ(application.OnMenuChar(item->Command(), 'a', -1), -1);
      application.OnCommand(item->Command());
    }
  };
  application.Initialize();
  application.SetTitle(kTitle);
  application.CreateForm();
  application.Run();

  std::vector<std::u16string> boxes;
  for (const auto& box : desktop.boxes) boxes.push_back(box.text.substr(0, 14));
  EXPECT_EQ(boxes, (std::vector<std::u16string>{u"Error creating", u"Error creating",
                                                u"Cannot create ", u"Velmoro Uninst"}));
  ASSERT_EQ(desktop.popups.size(), 1u);
  EXPECT_EQ(Texts(desktop.popups[0].top[0].submenu), (std::vector<std::u16string>{u"Alpha"}));
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(desktop.boxes_cut_short, 0);
  ExpectEnded();
}

TEST_F(ProgramTest, CloseRequestDuringStartUpEndsTheProgramOnceTheMenuHasClosed) {
  AddProgram(u"A", u"Alpha", u"C:\\a.exe");
  files.DenyMakeDirectory(u"C:\\ProgramData\\Quinsett");
  desktop.on_box = [this](const FakeDesktop::Box&) { desktop.PostClose(); };
  Platform machine = platform();
  desktop.choice = {u"All Programs", u"Alpha"};
  EXPECT_EQ(RunProgram(machine), 0);
  EXPECT_EQ(desktop.boxes_cut_short, 0);
  ASSERT_EQ(desktop.popups.size(), 1u);
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{u"C:\\a.exe", u"", kSystem}}));
  ExpectEnded();
}

// Copies started together take turns: each reads and replaces both files under the lock, and no
// box waits for the user while the lock is held.
TEST_F(ProgramTest, DataFilesAreReadAndReplacedUnderTheLock) {
  AddProgram(u"a", u"Alpha", u"C:\\a.exe");
  files.AddDirectory(kDataDir);
  files.SetFile(DataFile(u"All.dat"), "x\r\n");
  files.FailMove(DataFile(u"All.dat"), kErrorAccessDenied);
  bool held_during_box = true;
  Platform machine = platform();
  desktop.on_box = [&](const FakeDesktop::Box&) { held_during_box = files.lock_held(); };
  RunProgram(machine);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_FALSE(held_during_box);

  std::vector<std::u16string> steps;
  for (const std::u16string& line : files.log()) {
    if (line.rfind(u"LockDataFiles", 0) == 0 || line.rfind(u"UnlockDataFiles", 0) == 0 ||
        line.rfind(u"ReadWholeFile", 0) == 0 || line.rfind(u"ReplaceFileIn", 0) == 0) {
      steps.push_back(line.substr(0, line.find(u' ')));
    }
  }
  // The machine's files, then the user's, made on this first run.
  EXPECT_EQ(steps, (std::vector<std::u16string>{
                       u"LockDataFiles", u"ReadWholeFile", u"ReplaceFileIn", u"ReplaceFileIn",
                       u"ReplaceFileIn", u"ReplaceFileIn", u"UnlockDataFiles"}));
}

struct DisplayTextCase {
  const char16_t* message;
  const char16_t* shown;
};

void PrintTo(const DisplayTextCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(std::u16string(c.message));
}

class ErrorDisplayTextTest : public ::testing::TestWithParam<DisplayTextCase> {};

TEST_P(ErrorDisplayTextTest, AppendsAPeriodAfterBytesAboveIt) {
  EXPECT_EQ(ErrorDisplayText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ErrorDisplayTextTest,
    ::testing::Values(DisplayTextCase{u"Stream write error", u"Stream write error."},
                      DisplayTextCase{u"Done.", u"Done."}, DisplayTextCase{u"'x'", u"'x'"},
                      DisplayTextCase{u"a-", u"a-"}, DisplayTextCase{u"a/", u"a/."},
                      DisplayTextCase{u"\xE9", u"\xE9."}, DisplayTextCase{u"Ж", u"Ж."},
                      DisplayTextCase{u"", u""}));

TEST_F(ProgramTest, ProgramItemsStartTheirOwnEntriesCommands) {
  AddProgram(u"k1", u"Same", u"C:\\second.exe /b");
  AddProgram(u"k2", u"Same", u"C:\\first.exe /a");
  AddProgram(u"k3", u"R&D Tools", u"\"C:\\R D\\un.exe\" /S");
  AddProgram(u"k4", u"-", u"msiexec /x{1}");

  Run({u"All Programs", u"@0"});
  const auto* all = desktop.FindEntry({u"All Programs"});
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(Texts(all->submenu),
            (std::vector<std::u16string>{u"-", u"R&&D Tools", u"Same", u"Same"}));
  EXPECT_FALSE(all->submenu[0].separator);
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{u"msiexec", u"/x{1}", kSystem}}));

  Run({u"All Programs", u"@1"});
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{u"C:\\R D\\un.exe", u" /S", kSystem}}));
  Run({u"All Programs", u"@2"});
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{u"C:\\first.exe", u"/a", kSystem}}));
  Run({u"All Programs", u"@3"});
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{u"C:\\second.exe", u"/b", kSystem}}));
  ExpectEnded();
}

TEST_F(ProgramTest, ProgramsAddedSinceTheLastRunAreRecentAndUninstallable) {
  AddProgram(u"a", u"Alpha", u"C:\\alpha.exe");
  Run();
  EXPECT_EQ(files.File(DataFile(u"All.dat")), "Alpha<#>C:\\alpha.exe\r\n");
  EXPECT_EQ(files.File(DataFile(u"Recent.dat")), "");

  AddProgram(u"b", u"Bravo", u"C:\\bravo.exe /u");
  AddProgram(u"c", u"Charlie", u"C:\\charlie.exe");
  Run({u"Recent Programs", u"Bravo"});
  const auto* recent = desktop.FindEntry({u"Recent Programs"});
  ASSERT_NE(recent, nullptr);
  EXPECT_EQ(Texts(recent->submenu), (std::vector<std::u16string>{u"Charlie", u"Bravo"}));
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{u"C:\\bravo.exe", u"/u", kSystem}}));
  EXPECT_EQ(files.File(DataFile(u"Recent.dat")), "Charlie\r\nBravo\r\n");
  ExpectEnded();
}

}  // namespace
}  // namespace velmoro
namespace velmoro {
namespace {

// Names and commands in any script are listed and started exactly; the files hold their 8-bit
// form, so a run without changes detects nothing, and each recent line shows a program of its
// 8-bit name.
TEST_F(ProgramTest, ProgramsOfAnyScriptKeepTheirRealNames) {
  AddProgram(u"微软", u"微软拼音", u"C:\\微软\\卸载.exe /S");
  AddProgram(u"ru", u"Программа", u"\"C:\\Программы\\удалить.exe\" /q");
  AddProgram(u"emoji", u"Tool 😀", u"C:\\😀\\un.exe");
  AddProgram(u"cafe", u"Café", u"C:\\Café\\un.exe");
  files.AddDirectory(kDataDir);
  files.SetFile(DataFile(u"All.dat"), "\r\n");  // one empty line: every program is new

  Run({u"Recent Programs", u"Программа"});
  EXPECT_EQ(Texts(desktop.FindEntry({u"All Programs"})->submenu),
            (std::vector<std::u16string>{u"Café", u"Tool 😀", u"Программа", u"微软拼音"}));
  EXPECT_EQ(Texts(desktop.FindEntry({u"Recent Programs"})->submenu),
            (std::vector<std::u16string>{u"微软拼音", u"Программа", u"Tool 😀", u"Café"}));
  EXPECT_EQ(shell.calls,
            (std::vector<FakeShell::Call>{{u"C:\\Программы\\удалить.exe", u" /q", kSystem}}));
  EXPECT_EQ(files.File(DataFile(u"All.dat")),
            "Caf\xE9<#>C:\\Caf\xE9\\un.exe\r\nTool ?\?<#>C:\\??\\un.exe\r\n"
            "????????\?<#>\"C:\\?????????\\???????.exe\" /q\r\n???\?<#>C:\\??\\??.exe /S\r\n");
  EXPECT_EQ(files.File(DataFile(u"Recent.dat")), "????\r\n?????????\r\nTool ??\r\nCaf\xE9\r\n");

  Run({u"Recent Programs", u"Tool 😀"});
  EXPECT_EQ(files.File(DataFile(u"Recent.dat")), "????\r\n?????????\r\nTool ??\r\nCaf\xE9\r\n");
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{u"C:\\😀\\un.exe", u"", kSystem}}));
}

// The current user's programs are listed among the machine's and remembered in the user's own
// folder: the machine's files, shared by all users, hold the machine's programs alone.
TEST_F(ProgramTest, PerUserProgramsAreRememberedInTheUsersFolder) {
  const std::u16string user_dir = files.local_app_data + u"\\Quinsett\\Velmoro Uninstaller";
  AddProgram(u"m", u"Machine Tool", u"C:\\m.exe");
  AddProgram(u"u", u"A User Tool", u"C:\\u.exe", FakeRegistry::View::k64, kUserUninstall);
  Run();
  AddProgram(u"v", u"Very New", u"C:\\v.exe", FakeRegistry::View::k64, kUserUninstall);

  Run({u"Recent Programs", u"Very New"});
  EXPECT_EQ(Texts(desktop.FindEntry({u"All Programs"})->submenu),
            (std::vector<std::u16string>{u"A User Tool", u"Machine Tool", u"Very New"}));
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{u"C:\\v.exe", u"", kSystem}}));
  EXPECT_EQ(files.File(DataFile(u"All.dat")), "Machine Tool<#>C:\\m.exe\r\n");
  EXPECT_EQ(files.File(DataFile(u"Recent.dat")), "");
  EXPECT_EQ(files.File(user_dir + u"\\All.dat"),
            "Velmoro Uninstaller: the programs seen by this user\r\nU A User Tool<#>C:\\u.exe\r\n"
            "M Machine Tool<#>C:\\m.exe\r\nU Very New<#>C:\\v.exe\r\n");
  EXPECT_EQ(files.File(user_dir + u"\\Recent.dat"), "U Very New\r\n");
}

// Closing a start-up box owned by the host form activates the form. Wine's box loop drops the
// notice, Windows' delivers it while start-up still runs; either way the menu pops up once.
class StartupActivationTest : public ProgramTest, public ::testing::WithParamInterface<bool> {};

TEST_P(StartupActivationTest, TheMenuComesOnceAfterStartUp) {
  registry.RefuseOpen(kShellFolders);
  AddProgram(u"A", u"Alpha", u"C:\\a.exe");  // the enumeration handles the messages waiting
  desktop = FakeDesktop();
  desktop.box_drops_next_message = GetParam();
  Platform machine = platform();
  EXPECT_EQ(RunProgram(machine), 0);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_EQ(desktop.boxes[0].owner, Owner::kHostForm);
  EXPECT_EQ(desktop.popups.size(), 1u);
  ExpectEnded();
}

INSTANTIATE_TEST_SUITE_P(BoxLoops, StartupActivationTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "drops" : "delivers"; });

// A command message that no menu of the program has produced names no choice of the user's.
TEST_F(ProgramTest, ACommandBeforeTheMenuChoosesNothing) {
  AddProgram(u"A", u"Alpha", u"C:\\a.exe");
  desktop.choice = {u"Exit"};
  Platform machine = platform();
  Application application(machine);
  application.Initialize();
  application.SetTitle(kTitle);
  application.CreateForm();
  desktop.PostCommand((*application.Form1()->N11)[0].Command());
  application.Run();
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(desktop.popups.size(), 1u);
  ExpectEnded();
}

// An expandable command is started with its variables' values; the files keep it as stored.
TEST_F(ProgramTest, ExpandableCommandsAreExpandedBeforeTheyAreSplit) {
  const std::u16string key = std::u16string(kUninstall) + u"\\x";
  registry.SetString(key, u"DisplayName", u"Expanded");
  registry.SetString(key, u"UninstallString", u"\"%ProgramFiles%\\X\\un.exe\" /x", kRegExpandSz);
  shell.environment[u"PROGRAMFILES"] = u"C:\\Program Files";
  Run({u"All Programs", u"Expanded"});
  EXPECT_EQ(shell.calls,
            (std::vector<FakeShell::Call>{{u"C:\\Program Files\\X\\un.exe", u" /x", kSystem}}));
  EXPECT_EQ(files.File(DataFile(u"All.dat")), "Expanded<#>\"%ProgramFiles%\\X\\un.exe\" /x\r\n");
}

}  // namespace
}  // namespace velmoro
