#include "app/application.h"

#include <gtest/gtest.h>

#include <functional>

#include "program_test.h"

namespace velmoro {
namespace {

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
  DesktopShell desktop_shell;
  std::vector<FakeShell::Call> opened;
  const char16_t* box_address = nullptr;  // shown instead, on the last line of a box, to be copied
};

void PrintTo(const FixedCommandCase& c, std::ostream* out) {
  constexpr const char* kShells[] = {"", " desktop shell fails", " desktop shell never answers"};
  *out << ::testing::PrintToString(std::u16string(c.item)) << (c.elevated ? " elevated" : "")
       << kShells[static_cast<int>(c.desktop_shell)];
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
  std::vector<std::u16string> last_lines;
  for (const auto& box : desktop.boxes)
    last_lines.push_back(box.text.substr(box.text.rfind('\n') + 1));
  EXPECT_EQ(last_lines, GetParam().box_address ? std::vector<std::u16string>{GetParam().box_address}
                                               : std::vector<std::u16string>{});
  EXPECT_EQ(desktop.boxes_cut_short, 0);
  ExpectEnded();
}

// An elevated run opens the links as the desktop's user, or else only shows them: never with its
// own elevation. The updater is started as the program itself runs.
INSTANTIATE_TEST_SUITE_P(
    Items, FixedCommandTest,
    ::testing::Values(
        FixedCommandCase{u"Check for Updates", false, DesktopShell::kOpens, {kUpdaterCall}},
        FixedCommandCase{u"Check for Updates", true, DesktopShell::kOpens, {kUpdaterCall}},
        FixedCommandCase{u"Visit Web Site", false, DesktopShell::kOpens, {kWebCall}},
        FixedCommandCase{u"Visit Web Site", true, DesktopShell::kOpens, {kWebAsUser}},
        FixedCommandCase{u"Visit Web Site", true, DesktopShell::kFails, {}, kWebSite},
        FixedCommandCase{u"Visit Web Site", true, DesktopShell::kNeverAnswers, {}, kWebSite},
        FixedCommandCase{u"Send Email", false, DesktopShell::kOpens, {kMailCall}},
        FixedCommandCase{u"Send Email", true, DesktopShell::kOpens, {kMailAsUser}},
        FixedCommandCase{u"Send Email", true, DesktopShell::kFails, {}, kMail},
        FixedCommandCase{u"Send Email", true, DesktopShell::kNeverAnswers, {}, kMail},
        FixedCommandCase{u"Exit", true, DesktopShell::kOpens, {}}));

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
  std::vector<FakeDesktop::Monitor> monitors;
  FakeDesktop::Placement placement;
};

class PlacementTest : public ProgramTest, public ::testing::WithParamInterface<PlacementCase> {};

// Wholly left of the leftmost monitor, at the size the form has at that monitor's scale, though
// the desktop keeps it at least the minimum tracking width.
TEST_P(PlacementTest, TheHostFormIsLeftOfEveryMonitor) {
  desktop = FakeDesktop();
  desktop.monitors = GetParam().monitors;
  Platform machine = platform();
  RunProgram(machine);
  EXPECT_EQ(desktop.host_form_placement, GetParam().placement);
}

constexpr FakeDesktop::Monitor kPrimary{0, 0, 1920, 1080, 96};

INSTANTIATE_TEST_SUITE_P(
    MonitorLayouts, PlacementTest,
    ::testing::Values(
        PlacementCase{{kPrimary}, {-136, 406, 136, 75}},
        // A monitor left of the primary one.
        PlacementCase{{kPrimary, {-1920, 0, 1920, 1080, 96}}, {-2056, 406, 136, 75}},
        PlacementCase{{kPrimary, {-1280, 0, 1280, 1024, 144}}, {-1484, 609, 204, 113}},
        PlacementCase{{kPrimary, {-3840, 0, 3840, 2160, 192}}, {-4112, 812, 272, 150}},
        PlacementCase{{kPrimary, {-2560, 0, 2560, 1440, 240}}, {-2900, 1015, 340, 188}},
        // A taller primary monitor reaches above the leftmost one: the virtual
        // screen's corner is nearer the primary, the form nearer the leftmost.
        PlacementCase{{{0, -1440, 2560, 1440, 96}, {-1280, 0, 1280, 1024, 144}},
                      {-1484, -831, 204, 113}}));

// Taken once start-up is over, before the menu: minimised, or shown and not yet activated.
TEST_F(ProgramTest, CloseRequestBeforeTheMenuEndsTheProgram) {
  for (const int state : {kSwShowMinNoActive, kSwShowDefault}) {
    desktop = FakeDesktop();
    desktop.start_state = state;
    desktop.PostClose();
    Platform machine = platform();
    EXPECT_EQ(RunProgram(machine), 0);
    EXPECT_TRUE(desktop.popups.empty()) << state;
    ExpectEnded();
  }
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
    {"menu",
     [](FakeMachine& m) {
       m.desktop.choice = {u"All Programs"};
       m.desktop.on_popup = [&m] { m.desktop.SendEndSession(); };
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

// Notices the platform may deliver at any time, delivered while start-up shows a box, while the
// menu is up and while a chosen item's handler shows a box: none may act on a form, menu or item
// before its time.
TEST_F(ProgramTest, NoticesOutOfTurnAreSafe) {
  AddProgram(u"A", u"Alpha", u"C:\\a.exe");
  files.DenyMakeDirectory(u"C:\\ProgramData\\Quinsett");
  desktop.choice = {u"Velmoro Uninstaller Pro", u"About..."};
  Platform machine = platform();
  Application application(machine);
  std::vector<std::uint16_t> commands;
  desktop.on_box = [&](const FakeDesktop::Box&) {
    TForm1& form = *application.Form1();
    MenuItem& top = form.PMenu1.Items;
    for (MenuItem* item : {&top[0], &top[1], &top[3], &top[3][4], &top[4]}) {
      application.OnHostActivated();
      application.OnRestore();
      EXPECT_EQ(application.OnSubmenuOpening(item->Command()), std::nullopt);
      EXPECT_EQ(application.OnMenuChar(item->Command(), 'a', -1), -1);
      application.OnCommand(item->Command());
    }
  };
  // While the menu is up, a command names no choice, whether sent or posted.
  desktop.on_popup = [&] {
    MenuItem& top = application.Form1()->PMenu1.Items;
    application.OnCommand(top[4].Command());
    desktop.PostCommand(top[0][0].Command());
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

}  // namespace
}  // namespace velmoro
