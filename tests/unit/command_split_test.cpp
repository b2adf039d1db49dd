#include "uninstall/command_split.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_text.h"
#include "uninstall/run_uninstall_command.h"

namespace velmoro {
namespace {

struct SplitCase {
  const char* command;
  std::optional<LaunchCommand> expected;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
  *out << c.command;
}

std::optional<LaunchCommand> Launch(const char* file, const char* parameters) {
  return LaunchCommand{file, parameters};
}

const SplitCase kCases[] = {
    // A quoted path keeps the blank after its closing quote at the front of the parameters.
    {R"("C:\Program Files\App\uninst.exe" /S)",
     Launch(R"(C:\Program Files\App\uninst.exe)", " /S")},
    {R"(C:\App\uninst.exe /S)", Launch(R"(C:\App\uninst.exe)", "/S")},
    {R"(C:\My Dir\uninst.exe /S)", Launch(R"(C:\My Dir\uninst.exe)", "/S")},
    {"MsiExec.exe /X{1234-ABCD}", Launch("MsiExec.exe", "/X{1234-ABCD}")},
    {"MsiExec.exe /I{1234-ABCD}", Launch("MsiExec.exe", "/I{1234-ABCD}")},
    {R"(C:\App\uninst.exe)", Launch(R"(C:\App\uninst.exe)", "")},
    {R"("C:\App\uninst.exe")", Launch(R"(C:\App\uninst.exe)", "")},
    {R"("C:\App\uninst.exe)", Launch(R"(C:\App\uninst.exe)", "")},
    {R"(%ProgramFiles%\App\uninst.exe)", Launch(R"(%ProgramFiles%\App\uninst.exe)", "")},
    {R"(RunDll32.exe C:\lib.dll,Entry)", Launch("RunDll32.exe", R"(C:\lib.dll,Entry)")},
    {R"(C:\a.exe	/q)", Launch(R"(C:\a.exe)", "/q")},
    {R"(C:\setup.msi /x)", Launch(R"(C:\setup.msi)", "/x")},
    // Every case of the extension matches, letters kept as written.
    {R"(C:\A.eXe /u)", Launch(R"(C:\A.eXe)", "/u")},
    {R"(C:\A.Msi)", Launch(R"(C:\A.Msi)", "")},
    // An extension inside a folder or a longer word is not the program.
    {R"(C:\Tools.exe\bin\remove.exe /s)", Launch(R"(C:\Tools.exe\bin\remove.exe)", "/s")},
    {R"(C:\App.Exec\remove.exe)", Launch(R"(C:\App.Exec\remove.exe)", "")},
    // Leading blanks are skipped before the test for an opening quote.
    {R"(  "C:\App\un.exe" /S)", Launch(R"(C:\App\un.exe)", " /S")},
    // Without a program extension the first word is opened.
    {"msiexec /x{1234}", Launch("msiexec", "/x{1234}")},
    {R"(rundll32 lib.dll,Entry)", Launch("rundll32", "lib.dll,Entry")},
    {R"(C:\App\remove.bat /quiet)", Launch(R"(C:\App\remove.bat)", "/quiet")},
    {R"("C:\My App\remove.cmd" -y)", Launch(R"(C:\My App\remove.cmd)", " -y")},
    {R"("C:\My App\remove.cmd)", Launch(R"(C:\My App\remove.cmd)", "")},
    {"abc", Launch("abc", "")},
    // The rest of a name holding the entry separator is scanned too.
    {R"(B.exe x<#>C:\real.exe)", Launch("B.exe", R"(x<#>C:\real.exe)")},
    // Nothing to start.
    {"", std::nullopt},
    {"   ", std::nullopt},
    {"\"", std::nullopt},
};

class SplitUninstallCommandTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitUninstallCommandTest, GivesFileAndParameters) {
  FakeText text;
  const SplitCase& c = GetParam();
  const auto result = SplitUninstallCommand(c.command, text);
  ASSERT_EQ(result.has_value(), c.expected.has_value()) << c.command;
  if (result) {
    EXPECT_EQ(result->file, c.expected->file) << c.command;
    EXPECT_EQ(result->parameters, c.expected->parameters) << c.command;
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, SplitUninstallCommandTest, ::testing::ValuesIn(kCases));

TEST(RunUninstallCommandTest, OpensOnceWithParametersAlwaysAText) {
  FakeShell shell;
  FakeText text;
  RunUninstallCommand(shell, text, R"(C:\App\uninst.exe)");
  RunUninstallCommand(shell, text, "");
  ASSERT_EQ(shell.calls.size(), 1u);
  EXPECT_EQ(shell.calls[0], (FakeShell::Call{R"(C:\App\uninst.exe)", std::string()}));
}

// The scan compares through the platform's upper-casing, so a code page's own letters count.
TEST(RunUninstallCommandTest, UpperCasesThroughThePlatform) {
  struct NoUpper : FakeText {
    void UpperCase(std::string&) override {}
  } text;
  const auto result = SplitUninstallCommand(R"(C:\My Dir\a.exe /s)", text);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->file, "C:\\My");  // lower case is no hit without the mapping
}

}  // namespace
}  // namespace velmoro
