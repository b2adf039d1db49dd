#include "uninstall/command_split.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_files.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_text.h"
#include "uninstall/run_uninstall_command.h"

namespace velmoro {
namespace {

struct SplitCase {
  const char16_t* command;
  std::optional<LaunchCommand> expected;
};

void PrintTo(const SplitCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(std::u16string(c.command));
}

std::optional<LaunchCommand> Launch(const char16_t* file, const char16_t* parameters) {
  return LaunchCommand{file, parameters};
}

const SplitCase kCases[] = {
    // A quoted path keeps the blank after its closing quote at the front of the parameters.
    {uR"("C:\Program Files\App\uninst.exe" /S)",
     Launch(uR"(C:\Program Files\App\uninst.exe)", u" /S")},
    {uR"(C:\App\uninst.exe /S)", Launch(uR"(C:\App\uninst.exe)", u"/S")},
    {uR"(C:\My Dir\uninst.exe /S)", Launch(uR"(C:\My Dir\uninst.exe)", u"/S")},
    {u"MsiExec.exe /X{1234-ABCD}", Launch(u"MsiExec.exe", u"/X{1234-ABCD}")},
    {u"MsiExec.exe /I{1234-ABCD}", Launch(u"MsiExec.exe", u"/I{1234-ABCD}")},
    {uR"(C:\App\uninst.exe)", Launch(uR"(C:\App\uninst.exe)", u"")},
    {uR"("C:\App\uninst.exe")", Launch(uR"(C:\App\uninst.exe)", u"")},
    {uR"("C:\App\uninst.exe)", Launch(uR"(C:\App\uninst.exe)", u"")},
    {uR"(%ProgramFiles%\App\uninst.exe)", Launch(uR"(%ProgramFiles%\App\uninst.exe)", u"")},
    {uR"(RunDll32.exe C:\lib.dll,Entry)", Launch(u"RunDll32.exe", uR"(C:\lib.dll,Entry)")},
    {uR"(C:\a.exe	/q)", Launch(uR"(C:\a.exe)", u"/q")},
    {uR"(C:\setup.msi /x)", Launch(uR"(C:\setup.msi)", u"/x")},
    // Every case of the extension matches, letters kept as written.
    {uR"(C:\A.eXe /u)", Launch(uR"(C:\A.eXe)", u"/u")},
    {uR"(C:\A.Msi)", Launch(uR"(C:\A.Msi)", u"")},
    // An extension inside a folder or a longer word is not the program.
    {uR"(C:\Tools.exe\bin\remove.exe /s)", Launch(uR"(C:\Tools.exe\bin\remove.exe)", u"/s")},
    {uR"(C:\App.Exec\remove.exe)", Launch(uR"(C:\App.Exec\remove.exe)", u"")},
    // What the quotes hold is the program, though a folder name holds ".exe ".
    {uR"("C:\Apps\My.exe Tools\un.exe" /x)", Launch(uR"(C:\Apps\My.exe Tools\un.exe)", u" /x")},
    {uR"("C:\Apps\My.exe" Tools\un.exe)", Launch(uR"(C:\Apps\My.exe)", uR"( Tools\un.exe)")},
    {uR"("MsiExec" /X{1})", Launch(u"MsiExec", u" /X{1}")},
    {uR"("C:\A.exe"x)", Launch(uR"(C:\A.exe)", u"x")},
    {uR"("" /x)", std::nullopt},
    // Leading blanks are skipped before the test for an opening quote.
    {uR"(  "C:\App\un.exe" /S)", Launch(uR"(C:\App\un.exe)", u" /S")},
    // Without a program extension the first word is opened.
    {u"msiexec /x{1234}", Launch(u"msiexec", u"/x{1234}")},
    {uR"(rundll32 lib.dll,Entry)", Launch(u"rundll32", u"lib.dll,Entry")},
    {uR"(C:\App\remove.bat /quiet)", Launch(uR"(C:\App\remove.bat)", u"/quiet")},
    {uR"("C:\My App\remove.cmd" -y)", Launch(uR"(C:\My App\remove.cmd)", u" -y")},
    {uR"("C:\My App\remove.cmd)", Launch(uR"(C:\My App\remove.cmd)", u"")},
    {u"abc", Launch(u"abc", u"")},
    // Names in any script are kept as they are; only Latin letters make the extension.
    {uR"("C:\Программы\Удалить.EXE" /S)", Launch(uR"(C:\Программы\Удалить.EXE)", u" /S")},
    {uR"(C:\😀 Apps\un.exe /q)", Launch(uR"(C:\😀 Apps\un.exe)", u"/q")},
    {uR"(C:\Tool.ехе /S)", Launch(uR"(C:\Tool.ехе)", u"/S")},
    // The rest of a name holding the entry separator is scanned too.
    {uR"(B.exe x<#>C:\real.exe)", Launch(u"B.exe", uR"(x<#>C:\real.exe)")},
    // Nothing to start.
    {u"", std::nullopt},
    {u"   ", std::nullopt},
    {u"\"", std::nullopt},
};

class SplitUninstallCommandTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitUninstallCommandTest, GivesFileAndParameters) {
  FakeText text;
  const SplitCase& c = GetParam();
  const auto result = SplitUninstallCommand(c.command, text);
  ASSERT_EQ(result.has_value(), c.expected.has_value());
  if (result) {
    EXPECT_EQ(result->file, c.expected->file);
    EXPECT_EQ(result->parameters, c.expected->parameters);
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, SplitUninstallCommandTest, ::testing::ValuesIn(kCases));

struct LaunchCase {
  const char16_t* command;
  std::vector<const char16_t*> present;  // files in the system's folders
  const char16_t* file;                  // what the shell is asked to open
  const char16_t* parameters;
};

void PrintTo(const LaunchCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(std::u16string(c.command));
}

constexpr char16_t kSystem[] = u"C:\\Windows\\system32";

// A program named without a folder is started by its full path from the system folder or the
// Windows folder, never looked for in the folder the user is in; everything is started in the
// system folder.
const LaunchCase kLaunchCases[] = {
    {uR"(C:\App\uninst.exe /S)", {}, uR"(C:\App\uninst.exe)", u"/S"},
    {u"MsiExec.exe /X{1}",
     {uR"(C:\Windows\system32\msiexec.exe)"},
     uR"(C:\Windows\system32\MsiExec.exe)",
     u"/X{1}"},
    {u"write.exe", {uR"(C:\Windows\write.exe)"}, uR"(C:\Windows\write.exe)", u""},
    {u"rundll32 lib.dll,Entry",
     {uR"(C:\Windows\system32\rundll32.exe)"},
     uR"(C:\Windows\system32\rundll32.exe)",
     u"lib.dll,Entry"},
    {u"cmd.exe /c x",
     {uR"(C:\Windows\system32\cmd.exe)", uR"(C:\Windows\cmd.exe)"},
     uR"(C:\Windows\system32\cmd.exe)",
     u"/c x"},
    {u"elsewhere.exe /q", {}, u"elsewhere.exe", u"/q"},
    // winget's command for a portable package it installed: found in neither folder, the bare
    // name is left to the shell.
    {u"winget uninstall --product-code "
     u"Quinsett.VelmoroUninstaller_Microsoft.Winget.Source_8wekyb3d8bbwe",
     {},
     u"winget",
     u"uninstall --product-code Quinsett.VelmoroUninstaller_Microsoft.Winget.Source_8wekyb3d8bbwe"},
    {uR"(..\up.exe)", {uR"(C:\Windows\up.exe)"}, uR"(..\up.exe)", u""},
    {u"msi*.exe", {uR"(C:\Windows\system32\msiexec.exe)"}, u"msi*.exe", u""},
};

class RunUninstallCommandTest : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(RunUninstallCommandTest, StartsTheProgramFromTheSystemsFolders) {
  FakeShell shell;
  FakeFiles files;
  FakeText text;
  for (const char16_t* path : GetParam().present) files.SetFile(path, "");
  RunUninstallCommand(shell, files, text, GetParam().command);
  EXPECT_EQ(shell.calls,
            (std::vector<FakeShell::Call>{{GetParam().file, GetParam().parameters, kSystem}}));
}

INSTANTIATE_TEST_SUITE_P(Commands, RunUninstallCommandTest, ::testing::ValuesIn(kLaunchCases));

TEST(RunUninstallCommandTest, StartsNothingForAnEmptyCommand) {
  FakeShell shell;
  FakeFiles files;
  FakeText text;
  RunUninstallCommand(shell, files, text, u"");
  RunUninstallCommand(shell, files, text, u"  \"");
  EXPECT_TRUE(shell.calls.empty());
}

// The scan compares through the platform's upper-casing.
TEST(SplitUninstallCommandTest, UpperCasesThroughThePlatform) {
  struct NoUpper : FakeText {
    void UpperCase(std::u16string&) override {}
  } text;
  const auto result = SplitUninstallCommand(uR"(C:\My Dir\a.exe /s)", text);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->file, u"C:\\My");  // lower case is no hit without the mapping
}

}  // namespace
}  // namespace velmoro
