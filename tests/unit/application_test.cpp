#include "app/application.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/program.h"
#include "platform/fake/fake_machine.h"

namespace velmoro {
namespace {

constexpr char kUpdater[] = "C:\\Program Files\\Velmoro Uninstaller\\Updater.exe";

// One machine: a run of the program on it is one call of Run().
class ProgramTest : public ::testing::Test, protected FakeMachine {
 protected:
  // Runs the program once with a fresh desktop and shell; returns its exit status.
  int Run(std::vector<std::string> choice = {}) {
    desktop = FakeDesktop();
    desktop.choice = std::move(choice);
    desktop.start_state = start_state;
    shell.calls.clear();
    Platform machine = platform();
    return RunProgram(machine);
  }

  std::vector<std::string> Texts(const std::vector<MenuEntry>& entries) {
    std::vector<std::string> texts;
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
  EXPECT_EQ(Texts(popup.top), (std::vector<std::string>{"All Programs", "Recent Programs", "-",
                                                        "Velmoro Uninstaller Pro", "Exit"}));
  EXPECT_TRUE(popup.top[1].is_default);
  EXPECT_TRUE(popup.top[1].submenu.empty()) << "an empty entry is a plain item";
  EXPECT_TRUE(popup.top[2].separator);
  EXPECT_EQ(Texts(popup.top[3].submenu),
            (std::vector<std::string>{"Check for Updates", "Visit Web Site", "Send Email", "-",
                                      "About..."}));
  EXPECT_EQ(desktop.log, (std::vector<std::string>{"title Velmoro Uninstaller", "show host 1",
                                                   "hide app", "hide host", "popup"}));
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_TRUE(desktop.boxes.empty());
  ExpectEnded();
}

struct FixedCommandCase {
  const char* item;
  std::vector<FakeShell::Call> opened;
};

void PrintTo(const FixedCommandCase& c, std::ostream* out) {
  *out << c.item;
}

class FixedCommandTest : public ProgramTest,
                         public ::testing::WithParamInterface<FixedCommandCase> {};

TEST_P(FixedCommandTest, OpensItsTargetAndEnds) {
  const std::string item = GetParam().item;
  EXPECT_EQ(Run(item == "Exit" ? std::vector<std::string>{item}
                               : std::vector<std::string>{"Velmoro Uninstaller Pro", item}),
            0);
  EXPECT_EQ(shell.calls, GetParam().opened);
  ExpectEnded();
}

INSTANTIATE_TEST_SUITE_P(
    Items, FixedCommandTest,
    ::testing::Values(
        FixedCommandCase{"Check for Updates", {{kUpdater, std::nullopt}}},
        FixedCommandCase{
            "Visit Web Site",
            {{"http://www.quinsett.example/velmoro-uninstaller/?vid=1.0", std::nullopt}}},
        FixedCommandCase{
            "Send Email",
            {{"mailto:support@quinsett.example?subject=velmoro-uninstaller_1.0", std::nullopt}}},
        FixedCommandCase{"Exit", {}}));

TEST_F(ProgramTest, AboutBoxStaysUntilClosedThenTheProgramEnds) {
  EXPECT_EQ(Run({"Velmoro Uninstaller Pro", "About..."}), 0);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  const auto& box = desktop.boxes[0];
  EXPECT_EQ(box.owner, Owner::kHostForm);
  EXPECT_EQ(box.caption, "About Velmoro Uninstaller");
  EXPECT_EQ(box.flags, 0x40u);
  EXPECT_EQ(box.text.rfind("Velmoro Uninstaller v1.0\r\n\r\n", 0), 0u);
  EXPECT_NE(box.text.find("Quinsett"), std::string::npos);
  EXPECT_NE(box.text.back(), '\n');
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
            (std::vector<std::string>{"title Velmoro Uninstaller", "minimise app", "restore",
                                      "show host 1", "restore", "hide app", "hide host", "popup"}));
  ExpectEnded();
}

TEST_F(ProgramTest, MaximisedStartShowsTheFormMaximised) {
  start_state = kSwShowMaximized;
  Run();
  EXPECT_EQ(desktop.log[1], "show host 3");
  EXPECT_EQ(desktop.popups.size(), 1u);
}

TEST_F(ProgramTest, CloseRequestWhileMinimisedEndsTheProgram) {
  desktop.start_state = kSwShowMinNoActive;
  desktop.PostClose();
  Platform machine = platform();
  EXPECT_EQ(RunProgram(machine), 0);
  EXPECT_TRUE(desktop.popups.empty());
  ExpectEnded();
}

TEST_F(ProgramTest, ChoosingAnEmptySubmenuEntryEndsTheProgram) {
  EXPECT_EQ(Run({"Recent Programs"}), 0);
  EXPECT_TRUE(shell.calls.empty());
  ExpectEnded();
}

struct StartupBoxCase {
  const char* name;
  std::function<void(FakeMachine&)> arrange;
  std::vector<std::string> boxes;
  std::vector<std::string> programs;  // under "All Programs" in the one menu
  std::vector<std::string> choice;
  std::vector<FakeShell::Call> started;
};

void PrintTo(const StartupBoxCase& c, std::ostream* out) {
  *out << c.name;
}

const std::string kNoFolder = "Error creating directory:\n\r";

const StartupBoxCase kStartupBoxCases[] = {
    {"data_folder_level_cannot_be_made",
     [](FakeMachine& m) { m.files.DenyMakeDirectory("C:\\ProgramData\\Quinsett"); },
     {kNoFolder + "C:\\ProgramData\\Quinsett", kNoFolder + FakeMachine::kDataDir,
      "Cannot create file \"C:\\ProgramData\\Quinsett\\Velmoro Uninstaller\\All.dat\". The "
      "system cannot find the path specified."},
     {"Alpha"},
     {"All Programs", "Alpha"},
     {{"C:\\a.exe", ""}}},
    {"no_common_appdata",
     [](FakeMachine& m) {
       m.registry.SetRaw(FakeMachine::kShellFolders, "Common AppData", kRegSz, "");
     },
     {kNoFolder},
     {"Alpha"},
     {"Recent Programs"},
     {}},
    {"common_appdata_of_a_wrong_type",
     [](FakeMachine& m) { m.registry.SetDword(FakeMachine::kShellFolders, "Common AppData", 1); },
     {"Invalid data type for 'Common AppData'"},
     {},
     {"Recent Programs"},
     {}},
    {"data_file_held_open",
     [](FakeMachine& m) {
       m.files.AddDirectory(FakeMachine::kDataDir);
       m.files.SetFile(FakeMachine::DataFile("All.dat"), "");
       m.files.RefuseRead(FakeMachine::DataFile("All.dat"), FakeFiles::kSharingViolation);
     },
     {"Cannot open file \"C:\\ProgramData\\Quinsett\\Velmoro Uninstaller\\All.dat\". The "
      "process cannot access the file because it is being used by another process."},
     {},
     {"Recent Programs"},
     {}},
    {"data_file_cannot_be_written",
     [](FakeMachine& m) {
       m.files.AddDirectory(FakeMachine::kDataDir);
       m.files.FailMove(FakeMachine::DataFile("Recent.dat"), FakeFiles::kAccessDenied);
     },
     {"Cannot create file \"C:\\ProgramData\\Quinsett\\Velmoro Uninstaller\\Recent.dat\". "
      "Access is denied."},
     {"Alpha"},
     {"All Programs", "Alpha"},
     {{"C:\\a.exe", ""}}},
};

class StartupBoxTest : public ProgramTest, public ::testing::WithParamInterface<StartupBoxCase> {};

// Each box of start-up waits for the user with nothing else on screen; then the menu pops up
// once, with everything start-up built, and a choice made in it is carried out.
TEST_P(StartupBoxTest, BoxesComeOneAtATimeThenOneFullMenu) {
  AddProgram("A", "Alpha", "C:\\a.exe");
  GetParam().arrange(*this);
  EXPECT_EQ(Run(GetParam().choice), 0);
  std::vector<std::string> boxes;
  for (const auto& box : desktop.boxes) boxes.push_back(box.text);
  EXPECT_EQ(boxes, GetParam().boxes);
  EXPECT_EQ(desktop.boxes_cut_short, 0);
  ASSERT_EQ(desktop.popups.size(), 1u);
  EXPECT_EQ(Texts(desktop.popups[0].top[0].submenu), GetParam().programs);
  const auto popup = std::find(desktop.log.begin(), desktop.log.end(), "popup");
  EXPECT_EQ(std::find_if(popup, desktop.log.end(),
                         [](const std::string& line) { return line.rfind("box ", 0) == 0; }),
            desktop.log.end())
      << "a box after the menu";
  EXPECT_EQ(shell.calls, GetParam().started);
  ExpectEnded();
}

INSTANTIATE_TEST_SUITE_P(Paths, StartupBoxTest, ::testing::ValuesIn(kStartupBoxCases),
                         [](const auto& info) { return std::string(info.param.name); });

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
       m.files.DenyMakeDirectory("C:\\ProgramData\\Quinsett");
       m.desktop.on_box = [&m](const FakeDesktop::Box&) { m.desktop.SendEndSession(); };
     },
     0},
    {"enumeration",
     [](FakeMachine& m) {
       m.AddProgram("A", "Alpha", "C:\\a.exe");
       m.desktop.SendEndSession();
     },
     0},
    {"about_box",
     [](FakeMachine& m) {
       m.desktop.choice = {"Velmoro Uninstaller Pro", "About..."};
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
  EXPECT_EQ(machine.desktop.log.back(), "end process");
}

INSTANTIATE_TEST_SUITE_P(States, EndSessionTest, ::testing::ValuesIn(kEndSessionCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Notices the platform may deliver at any time, delivered while start-up shows a box and while a
// chosen item's handler shows one: none may act on a form, menu or item before its time.
TEST_F(ProgramTest, NoticesOutOfTurnAreSafe) {
  AddProgram("A", "Alpha", "C:\\a.exe");
  files.DenyMakeDirectory("C:\\ProgramData\\Quinsett");
  desktop.choice = {"Velmoro Uninstaller Pro", "About..."};
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

  std::vector<std::string> boxes;
  for (const auto& box : desktop.boxes) boxes.push_back(box.text.substr(0, 14));
  EXPECT_EQ(boxes, (std::vector<std::string>{"Error creating", "Error creating", "Cannot create ",
                                             "Velmoro Uninst"}));
  ASSERT_EQ(desktop.popups.size(), 1u);
  EXPECT_EQ(Texts(desktop.popups[0].top[0].submenu), (std::vector<std::string>{"Alpha"}));
  EXPECT_TRUE(shell.calls.empty());
  EXPECT_EQ(desktop.boxes_cut_short, 0);
  ExpectEnded();
}

TEST_F(ProgramTest, CloseRequestDuringStartUpEndsTheProgramOnceTheMenuHasClosed) {
  AddProgram("A", "Alpha", "C:\\a.exe");
  files.DenyMakeDirectory("C:\\ProgramData\\Quinsett");
  desktop.on_box = [this](const FakeDesktop::Box&) { desktop.PostClose(); };
  Platform machine = platform();
  desktop.choice = {"All Programs", "Alpha"};
  EXPECT_EQ(RunProgram(machine), 0);
  EXPECT_EQ(desktop.boxes_cut_short, 0);
  ASSERT_EQ(desktop.popups.size(), 1u);
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"C:\\a.exe", ""}}));
  ExpectEnded();
}

// Copies started together take turns: each reads and replaces both files under the lock, and no
// box waits for the user while the lock is held.
TEST_F(ProgramTest, DataFilesAreReadAndReplacedUnderTheLock) {
  AddProgram("a", "Alpha", "C:\\a.exe");
  files.AddDirectory(kDataDir);
  files.SetFile(DataFile("All.dat"), "x\r\n");
  files.FailMove(DataFile("All.dat"), FakeFiles::kAccessDenied);
  bool held_during_box = true;
  Platform machine = platform();
  desktop.on_box = [&](const FakeDesktop::Box&) { held_during_box = files.lock_held(); };
  RunProgram(machine);
  ASSERT_EQ(desktop.boxes.size(), 1u);
  EXPECT_FALSE(held_during_box);

  std::vector<std::string> steps;
  for (const std::string& line : files.log()) {
    if (line.rfind("LockDataFiles", 0) == 0 || line.rfind("UnlockDataFiles", 0) == 0 ||
        line.rfind("ReadWholeFile", 0) == 0 || line.rfind("MoveReplacing", 0) == 0) {
      steps.push_back(line.substr(0, line.find(' ')));
    }
  }
  EXPECT_EQ(steps, (std::vector<std::string>{"LockDataFiles", "ReadWholeFile", "MoveReplacing",
                                             "MoveReplacing", "UnlockDataFiles"}));
}

struct DisplayTextCase {
  const char* message;
  const char* shown;
};

void PrintTo(const DisplayTextCase& c, std::ostream* out) {
  *out << '"' << c.message << '"';
}

class ErrorDisplayTextTest : public ::testing::TestWithParam<DisplayTextCase> {};

TEST_P(ErrorDisplayTextTest, AppendsAPeriodAfterBytesAboveIt) {
  EXPECT_EQ(ErrorDisplayText(GetParam().message), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ErrorDisplayTextTest,
    ::testing::Values(DisplayTextCase{"Stream write error", "Stream write error."},
                      DisplayTextCase{"Done.", "Done."}, DisplayTextCase{"'x'", "'x'"},
                      DisplayTextCase{"a-", "a-"}, DisplayTextCase{"a/", "a/."},
                      DisplayTextCase{"\xE9", "\xE9."}, DisplayTextCase{"", ""}));

TEST_F(ProgramTest, ProgramItemsStartTheirOwnEntriesCommands) {
  AddProgram("k1", "Same", "C:\\second.exe /b");
  AddProgram("k2", "Same", "C:\\first.exe /a");
  AddProgram("k3", "R&D Tools", "\"C:\\R D\\un.exe\" /S");
  AddProgram("k4", "-", "msiexec /x{1}");

  Run({"All Programs", "@0"});
  const auto* all = desktop.FindEntry({"All Programs"});
  ASSERT_NE(all, nullptr);
  EXPECT_EQ(Texts(all->submenu), (std::vector<std::string>{"-", "R&&D Tools", "Same", "Same"}));
  EXPECT_FALSE(all->submenu[0].separator);
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"msiexec", "/x{1}"}}));

  Run({"All Programs", "@1"});
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"C:\\R D\\un.exe", " /S"}}));
  Run({"All Programs", "@2"});
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"C:\\first.exe", "/a"}}));
  Run({"All Programs", "@3"});
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"C:\\second.exe", "/b"}}));
  ExpectEnded();
}

TEST_F(ProgramTest, ProgramsAddedSinceTheLastRunAreRecentAndUninstallable) {
  AddProgram("a", "Alpha", "C:\\alpha.exe");
  Run();
  EXPECT_EQ(files.File(DataFile("All.dat")), "Alpha<#>C:\\alpha.exe\r\n");
  EXPECT_EQ(files.File(DataFile("Recent.dat")), "");

  AddProgram("b", "Bravo", "C:\\bravo.exe /u");
  AddProgram("c", "Charlie", "C:\\charlie.exe");
  Run({"Recent Programs", "Bravo"});
  const auto* recent = desktop.FindEntry({"Recent Programs"});
  ASSERT_NE(recent, nullptr);
  EXPECT_EQ(Texts(recent->submenu), (std::vector<std::string>{"Charlie", "Bravo"}));
  EXPECT_EQ(shell.calls, (std::vector<FakeShell::Call>{{"C:\\bravo.exe", "/u"}}));
  EXPECT_EQ(files.File(DataFile("Recent.dat")), "Charlie\r\nBravo\r\n");
  ExpectEnded();
}

}  // namespace
}  // namespace velmoro
