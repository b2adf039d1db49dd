// A start where nobody can see the program: it ends at once, before it reads or writes anything,
// instead of waiting for a click that cannot come.
#include <gtest/gtest.h>

#include "app/program.h"
#include "platform/fake/fake_machine.h"

namespace velmoro {
namespace {

struct DesktopCase {
  const char* name;
  bool window_station_visible;
  bool input_desktop;
};

void PrintTo(const DesktopCase& c, std::ostream* out) {
  *out << c.name;
}

class InteractiveDesktopTest : public ::testing::TestWithParam<DesktopCase> {};

TEST_P(InteractiveDesktopTest, WithoutOneTheProgramEndsAtOnceTouchingNothing) {
  FakeMachine machine;
  machine.AddProgram(u"a", u"Alpha", u"C:\\alpha.exe");
  machine.files.AddDirectory(FakeMachine::kDataDir);
  machine.files.SetFile(FakeMachine::DataFile(u"All.dat"), "\r\n");
  machine.desktop.window_station_visible = GetParam().window_station_visible;
  machine.desktop.input_desktop = GetParam().input_desktop;
  // Refused the foreground, the program would otherwise flash its taskbar button and wait.
  machine.desktop.foreground_granted = false;
  Platform platform = machine.platform();

  EXPECT_EQ(RunProgram(platform), 0);
  EXPECT_EQ(machine.desktop.log, std::vector<std::u16string>{});
  EXPECT_TRUE(machine.desktop.popups.empty());
  EXPECT_FALSE(machine.desktop.waited_forever);
  EXPECT_EQ(machine.files.log(), std::vector<std::u16string>{});
  EXPECT_EQ(machine.files.File(FakeMachine::DataFile(u"All.dat")), "\r\n");
  EXPECT_EQ(machine.registry.peak_open_key_count(), 0u);
  EXPECT_TRUE(machine.shell.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Starts, InteractiveDesktopTest,
                         ::testing::Values(DesktopCase{"service_window_station", false, true},
                                           DesktopCase{"no_input_desktop", true, false},
                                           DesktopCase{"neither", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmoro
