// One start-up with one platform operation failing at a time: what the user is shown, which items
// the menu holds and what both files hold afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>

#include "app/application.h"
#include "app/program.h"
#include "catalogue/list_files.h"
#include "platform/fake/fake_machine.h"

namespace velmoro {
namespace {

constexpr const char16_t* kShellFolders = FakeMachine::kShellFolders;
constexpr const char16_t* kUninstall = FakeMachine::kUninstall;
constexpr const char16_t* kDir = FakeMachine::kDataDir;
const std::u16string kAll = FakeMachine::DataFile(u"All.dat");
const std::u16string kRecent = FakeMachine::DataFile(u"Recent.dat");
const std::u16string kUserAll =
    FakeFiles().local_app_data + u"\\Quinsett\\Velmoro Uninstaller\\All.dat";
const std::string kOldAll = "Alpha<#>C:\\alpha.exe\r\n";
const std::string kOldRecent = "Alpha\r\n";
constexpr std::uint32_t kDenied = kErrorAccessDenied;
const std::u16string kInUse =
    u"The process cannot access the file because it is being used by another process.";

enum class Files { kUnchanged, kReplaced };

struct FaultCase {
  const char* name;
  std::function<void(FakeMachine&)> fault;
  std::vector<std::u16string> boxes;
  std::vector<std::u16string> programs;
  std::vector<std::u16string> recent;
  Files files;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
  *out << c.name;
}

const std::vector<std::u16string> kAllPrograms = {u"Alpha", u"Bravo", u"Charlie"};
const std::vector<std::u16string> kAllRecent = {u"Charlie", u"Bravo", u"Alpha"};
const std::u16string kKeyB = kUninstall + std::u16string(u"\\b");

std::u16string CannotCreate(const std::u16string& path) {
  return u"Cannot create file \"" + path + u"\". Access is denied.";
}

const FaultCase kCases[] = {
    {"none", [](FakeMachine&) {}, {}, kAllPrograms, kAllRecent, Files::kReplaced},
    {"shell_folders_refused",
     [](FakeMachine& m) { m.registry.RefuseOpen(kShellFolders); },
     // The data directory falls back to the drive's root, where the walk makes it.
     {u"Error creating directory:\n\r"},
     kAllPrograms,
     {},
     Files::kUnchanged},
    {"common_appdata_fetch_fails",
     [](FakeMachine& m) { m.registry.FailFetch(kShellFolders, u"Common AppData"); },
     {u"Failed to get data for 'Common AppData'"},
     {},
     {},
     Files::kUnchanged},
    {"common_appdata_wrong_type",
     [](FakeMachine& m) { m.registry.SetDword(kShellFolders, u"Common AppData", 7); },
     {u"Invalid data type for 'Common AppData'"},
     {},
     {},
     Files::kUnchanged},
    {"uninstall_key_refused",
     [](FakeMachine& m) { m.registry.RefuseOpen(kUninstall); },
     {},
     {},
     {},
     Files::kReplaced},
    // Not knowing which programs there are, the run rewrites nothing of the memory.
    {"uninstall_key_info_fails",
     [](FakeMachine& m) { m.registry.FailQueryInfo(kUninstall); },
     {},
     {},
     {},
     Files::kUnchanged},
    {"subkey_name_fails",
     [](FakeMachine& m) { m.registry.FailEnumKey(kUninstall, 1); },
     {},
     {},
     {},
     Files::kUnchanged},
    // Another program's installer makes a subkey while the key is listed.
    {"subkey_made_while_listed",
     [](FakeMachine& m) { m.registry.MakeSubkeyWhileListed(kUninstall, 2, u"new"); },
     {},
     {},
     {},
     Files::kUnchanged},
    {"subkey_refused",
     [](FakeMachine& m) { m.registry.RefuseOpen(kKeyB); },
     {},
     {u"Alpha", u"Charlie"},
     {u"Charlie", u"Alpha"},
     Files::kReplaced},
    {"display_name_fetch_fails",
     [](FakeMachine& m) { m.registry.FailFetch(kKeyB, u"DisplayName"); },
     {},
     {u"Alpha", u"Charlie"},
     {u"Charlie", u"Alpha"},
     Files::kReplaced},
    {"display_name_wrong_type",
     [](FakeMachine& m) { m.registry.SetDword(kKeyB, u"DisplayName", 1); },
     {},
     {u"Alpha", u"Charlie"},
     {u"Charlie", u"Alpha"},
     Files::kReplaced},
    {"uninstall_string_wrong_type",
     [](FakeMachine& m) { m.registry.SetRaw(kKeyB, u"UninstallString", kRegBinary, "ab"); },
     {},
     {u"Alpha", u"Charlie"},
     {u"Charlie", u"Alpha"},
     Files::kReplaced},
    {"no_remove_wrong_type",
     [](FakeMachine& m) { m.registry.SetString(kKeyB, u"NoRemove", u"1"); },
     {},
     {u"Alpha", u"Charlie"},
     {u"Charlie", u"Alpha"},
     Files::kReplaced},
    // The enumeration stopped early: nothing is new, nothing is written, and "Recent Programs"
    // holds the old list as far as its programs were found.
    {"enumeration_stops_early",
     [](FakeMachine& m) { m.registry.RunOutOfMemory(kKeyB); },
     {},
     {u"Alpha"},
     {u"Alpha"},
     Files::kUnchanged},
    {"no_remove_too_long",
     [](FakeMachine& m) { m.registry.SetRaw(kKeyB, u"NoRemove", kRegDword, "12345"); },
     {},
     {u"Alpha", u"Charlie"},
     {u"Charlie", u"Alpha"},
     Files::kReplaced},
    {"lock_not_had",
     [](FakeMachine& m) { m.files.RefuseLock(); },
     {},
     kAllPrograms,
     kAllRecent,
     Files::kReplaced},
    // A file that another user holds or keeps from being read hides no program.
    {"all_read_refused",
     [](FakeMachine& m) { m.files.RefuseRead(kAll, kDenied); },
     {u"Cannot open file \"" + kAll + u"\". Access is denied."},
     kAllPrograms,
     {},
     Files::kUnchanged},
    {"recent_read_refused",
     [](FakeMachine& m) { m.files.RefuseRead(kRecent, kDenied); },
     {u"Cannot open file \"" + kRecent + u"\". Access is denied."},
     kAllPrograms,
     {},
     Files::kUnchanged},
    // Another user's oplock on a data file: reading it would break a batch oplock, replacing it a
    // read-handle one, and wait for ever for that user.
    {"all_oplocked_against_reading",
     [](FakeMachine& m) { m.files.HoldOplock(kAll, OplockKind::kBatch); },
     {u"Cannot open file \"" + kAll + u"\". " + kInUse},
     kAllPrograms,
     {},
     Files::kUnchanged},
    {"recent_oplocked_against_replacing",
     [](FakeMachine& m) { m.files.HoldOplock(kRecent, OplockKind::kReadHandle); },
     {u"Cannot create file \"" + kRecent + u"\". " + kInUse},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"all_temp_not_made",
     [](FakeMachine& m) { m.files.FailNewFiles(kDir, kDenied); },
     {CannotCreate(kAll)},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"recent_temp_not_made",
     [](FakeMachine& m) { m.files.FailNewFiles(kDir, kDenied, 1); },
     {CannotCreate(kRecent)},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"all_temp_not_opened",
     [](FakeMachine& m) { m.files.RefuseCreate(kDir + (u"\\" + TempFileName(1)), kDenied); },
     {CannotCreate(kAll)},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"all_short_write",
     [](FakeMachine& m) { m.files.ShortWrite(kDir + (u"\\" + TempFileName(1)), 5); },
     {u"Stream write error."},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"recent_short_write",
     [](FakeMachine& m) { m.files.ShortWrite(kDir + (u"\\" + TempFileName(2)), 0); },
     {u"Stream write error."},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"recent_move_fails",
     [](FakeMachine& m) { m.files.FailMove(kRecent, kDenied); },
     {CannotCreate(kRecent)},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"all_move_fails",
     [](FakeMachine& m) { m.files.FailMove(kAll, kDenied); },
     {CannotCreate(kAll)},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    // What another user can plant in the data folder.
    {"data_path_is_a_link",
     [](FakeMachine& m) {
       m.files.MakeLink(u"C:\\ProgramData\\Quinsett", LinkKind::kReparsePoint);
     },
     {u"The data folder is not used: \"C:\\ProgramData\\Quinsett\" is a link to another place."},
     kAllPrograms,
     {},
     Files::kUnchanged},
    {"data_folder_is_a_link",
     [](FakeMachine& m) { m.files.MakeLink(kDir, LinkKind::kReparsePoint); },
     {u"The data folder is not used: \"" + std::u16string(kDir) +
      u"\" is a link to another place."},
     kAllPrograms,
     {},
     Files::kUnchanged},
    {"recent_is_a_symbolic_link",
     [](FakeMachine& m) { m.files.MakeLink(kRecent, LinkKind::kReparsePoint); },
     {u"The data folder is not used: \"" + kRecent + u"\" is a link to another place."},
     kAllPrograms,
     {},
     Files::kUnchanged},
    {"data_folder_held_elsewhere",
     [](FakeMachine& m) { m.files.HoldElsewhere(kDir); },
     {u"The data folder is not used: \"" + std::u16string(kDir) +
      u"\" is held open by another program."},
     kAllPrograms,
     {},
     Files::kUnchanged},
    // Without random names, none can be kept from other users: nothing is written.
    {"no_random_bits",
     [](FakeMachine& m) { m.files.FailRandom(); },
     {u"Cannot create file \"" + kAll + u"\". An internal error occurred.",
      u"Cannot create file \"" + kUserAll + u"\". An internal error occurred."},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"data_file_has_hard_links",
     [](FakeMachine& m) { m.files.MakeLink(kAll, LinkKind::kHardLinks); },
     {u"The data folder is not used: \"" + kAll + u"\" has more than one name."},
     kAllPrograms,
     {},
     Files::kUnchanged},
    {"data_file_too_large",
     [](FakeMachine& m) { m.files.SetLargeFile(kRecent, kMaxListFileBytes + 1); },
     {u"\"" + kRecent + u"\" is larger than 64 MB and was not read; it is replaced."},
     kAllPrograms,
     {u"Charlie", u"Bravo"},
     Files::kReplaced},
};

std::vector<std::u16string> Texts(const std::vector<MenuEntry>& entries) {
  std::vector<std::u16string> texts;
  for (const MenuEntry& entry : entries) texts.push_back(entry.text);
  return texts;
}

class FaultInjectionTest : public ::testing::TestWithParam<FaultCase> {};

// The programs' names are ASCII: their 8-bit form in the files is byte for byte the same.
std::string Narrow(const std::u16string& text) {
  return std::string(text.begin(), text.end());
}

std::u16string Lower(std::u16string text) {
  for (char16_t& c : text) c = static_cast<char16_t>(std::tolower(c));
  return text;
}

TEST_P(FaultInjectionTest, ShowsTheErrorAndLosesNoFile) {
  FakeMachine machine;
  machine.files.AddDirectory(kDir);
  for (const std::u16string name : {u"Alpha", u"Bravo", u"Charlie"}) {
    machine.AddProgram(Lower(name.substr(0, 1)), name, u"C:\\" + Lower(name) + u".exe");
  }
  machine.files.SetFile(kAll, kOldAll);
  machine.files.SetFile(kRecent, kOldRecent);
  GetParam().fault(machine);
  machine.desktop.choice = {u"All Programs", u"@0"};

  Platform platform = machine.platform();
  EXPECT_EQ(RunProgram(platform), 0);

  // Each box waited for the user with nothing else on screen; then the menu popped up once, with
  // everything start-up built, and the choice made in it was carried out.
  std::vector<std::u16string> boxes;
  for (const auto& box : machine.desktop.boxes) {
    boxes.push_back(box.text);
    EXPECT_NE(box.flags & kMbSetForeground, 0u) << "a box behind other windows: " << box.flags;
  }
  EXPECT_FALSE(machine.files.lock_held()) << "the lock is given back, also on an error";
  EXPECT_TRUE(machine.files.waited_forever().empty()) << "a run that never ends";
  EXPECT_EQ(boxes, GetParam().boxes);
  EXPECT_EQ(machine.desktop.boxes_cut_short, 0);
  ASSERT_EQ(machine.desktop.popups.size(), 1u) << "the menu always pops up";
  const auto& log = machine.desktop.log;
  EXPECT_TRUE(std::none_of(std::find(log.begin(), log.end(), u"popup"), log.end(),
                           [](const std::u16string& line) { return line.rfind(u"box ", 0) == 0; }))
      << "a box after the menu";
  EXPECT_EQ(Texts(machine.desktop.popups[0].top[0].submenu), GetParam().programs);
  EXPECT_EQ(Texts(machine.desktop.popups[0].top[1].submenu), GetParam().recent);
  EXPECT_EQ(machine.shell.calls.size(), GetParam().programs.empty() ? 0u : 1u);

  std::string all;
  for (const std::u16string& name : GetParam().programs) {
    all += Narrow(name + u"<#>C:\\" + Lower(name) + u".exe\r\n");
  }
  std::string recent;
  for (const std::u16string& name : GetParam().recent) recent += Narrow(name + u"\r\n");
  const bool replaced = GetParam().files == Files::kReplaced;
  EXPECT_EQ(machine.files.File(kAll), replaced ? all : kOldAll);
  EXPECT_EQ(machine.files.File(kRecent), replaced ? recent : kOldRecent);
  for (const std::u16string& path : machine.files.FilePaths()) {
    EXPECT_EQ(path.find(u".tmp"), path.npos) << "temporary file left";
  }
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultInjectionTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmoro
