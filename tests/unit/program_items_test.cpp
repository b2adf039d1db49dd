#include <gtest/gtest.h>

#include "program_test.h"

namespace velmoro {
namespace {

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
  EXPECT_EQ(
      files.File(user_dir + u"\\All.dat"),
      "Velmoro Uninstaller, UTF-8: the programs seen by this user\r\n"
      "U A User Tool<#>C:\\u.exe\r\nM Machine Tool<#>C:\\m.exe\r\nU Very New<#>C:\\v.exe\r\n");
  EXPECT_EQ(files.File(user_dir + u"\\Recent.dat"),
            "Velmoro Uninstaller, UTF-8: the recent programs of this user\r\n"
            "U Very New<#>C:\\v.exe\r\n");
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
