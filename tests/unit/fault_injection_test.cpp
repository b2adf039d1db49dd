// One start-up with one platform operation failing at a time: what the user is shown, which items
// the menu holds and what both files hold afterwards.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>

#include "app/application.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_files.h"
#include "platform/fake/fake_list_control.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"
#include "platform/fake/fake_text.h"

namespace velmoro {
namespace {

constexpr char kShellFolders[] =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kUninstall[] =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr char kDir[] = "C:\\ProgramData\\Quinsett\\Velmoro Uninstaller";
const std::string kAll = std::string(kDir) + "\\All.dat";
const std::string kRecent = std::string(kDir) + "\\Recent.dat";
const std::string kOldAll = "Alpha<#>C:\\alpha.exe\r\n";
const std::string kOldRecent = "Alpha\r\n";
constexpr std::uint32_t kDenied = FakeFiles::kAccessDenied;

struct Machine {
  FakeRegistry registry;
  FakeFiles files;
};

enum class Files { kUnchanged, kReplaced };

struct FaultCase {
  const char* name;
  std::function<void(Machine&)> fault;
  std::vector<std::string> boxes;
  std::vector<std::string> programs;
  std::vector<std::string> recent;
  Files files;
};

void PrintTo(const FaultCase& c, std::ostream* out) {
  *out << c.name;
}

const std::vector<std::string> kAllPrograms = {"Alpha", "Bravo", "Charlie"};
const std::vector<std::string> kAllRecent = {"Charlie", "Bravo", "Alpha"};
const std::string kKeyB = std::string(kUninstall) + "\\b";

std::string CannotCreate(const std::string& path) {
  return "Cannot create file \"" + path + "\". Access is denied.";
}

const FaultCase kCases[] = {
    {"none", [](Machine&) {}, {}, kAllPrograms, kAllRecent, Files::kReplaced},
    {"shell_folders_refused",
     [](Machine& m) { m.registry.RefuseOpen(kShellFolders); },
     // The data directory falls back to the drive's root, where the walk makes it.
     {"Error creating directory:\n\r"},
     kAllPrograms,
     {},
     Files::kUnchanged},
    {"common_appdata_fetch_fails",
     [](Machine& m) { m.registry.FailFetch(kShellFolders, "Common AppData"); },
     {"Failed to get data for 'Common AppData'"},
     {},
     {},
     Files::kUnchanged},
    {"common_appdata_wrong_type",
     [](Machine& m) { m.registry.SetDword(kShellFolders, "Common AppData", 7); },
     {"Invalid data type for 'Common AppData'"},
     {},
     {},
     Files::kUnchanged},
    {"uninstall_key_refused",
     [](Machine& m) { m.registry.RefuseOpen(kUninstall); },
     {},
     {},
     {},
     Files::kReplaced},
    {"uninstall_key_info_fails",
     [](Machine& m) { m.registry.FailQueryInfo(kUninstall); },
     {},
     {},
     {},
     Files::kReplaced},
    {"subkey_name_fails",
     [](Machine& m) { m.registry.FailEnumKey(kUninstall, 1); },
     {},
     {"Alpha", "Charlie"},
     {"Charlie", "Alpha"},
     Files::kReplaced},
    {"subkey_refused",
     [](Machine& m) { m.registry.RefuseOpen(kKeyB); },
     {},
     {"Alpha", "Charlie"},
     {"Charlie", "Alpha"},
     Files::kReplaced},
    {"display_name_fetch_fails",
     [](Machine& m) { m.registry.FailFetch(kKeyB, "DisplayName"); },
     {},
     {"Alpha", "Charlie"},
     {"Charlie", "Alpha"},
     Files::kReplaced},
    {"display_name_wrong_type",
     [](Machine& m) { m.registry.SetDword(kKeyB, "DisplayName", 1); },
     {},
     {"Alpha", "Charlie"},
     {"Charlie", "Alpha"},
     Files::kReplaced},
    {"uninstall_string_wrong_type",
     [](Machine& m) { m.registry.SetRaw(kKeyB, "UninstallString", kRegBinary, "ab"); },
     {},
     {"Alpha", "Charlie"},
     {"Charlie", "Alpha"},
     Files::kReplaced},
    {"no_remove_wrong_type",
     [](Machine& m) { m.registry.SetString(kKeyB, "NoRemove", "1"); },
     {},
     {"Alpha", "Charlie"},
     {"Charlie", "Alpha"},
     Files::kReplaced},
    {"no_remove_too_long",
     [](Machine& m) { m.registry.SetRaw(kKeyB, "NoRemove", kRegDword, "12345"); },
     {},
     {"Alpha", "Charlie"},
     {"Charlie", "Alpha"},
     Files::kReplaced},
    {"all_read_refused",
     [](Machine& m) { m.files.RefuseRead(kAll, kDenied); },
     {"Cannot open file \"" + kAll + "\". Access is denied."},
     {},
     {},
     Files::kUnchanged},
    {"recent_read_refused",
     [](Machine& m) { m.files.RefuseRead(kRecent, kDenied); },
     {"Cannot open file \"" + kRecent + "\". Access is denied."},
     {},
     {},
     Files::kUnchanged},
    {"all_temp_not_made",
     [](Machine& m) { m.files.FailTempCreation(kDenied); },
     {CannotCreate(kAll)},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"recent_temp_not_made",
     [](Machine& m) { m.files.FailTempCreation(kDenied, 1); },
     {CannotCreate(kRecent)},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"all_temp_not_opened",
     [](Machine& m) { m.files.RefuseCreate(FakeFiles::TempName(kDir, 1), kDenied); },
     {CannotCreate(kAll)},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"all_short_write",
     [](Machine& m) { m.files.ShortWrite(FakeFiles::TempName(kDir, 1), 5); },
     {"Stream write error."},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"recent_short_write",
     [](Machine& m) { m.files.ShortWrite(FakeFiles::TempName(kDir, 2), 0); },
     {"Stream write error."},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"recent_move_fails",
     [](Machine& m) { m.files.FailMove(kRecent, kDenied); },
     {CannotCreate(kRecent)},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
    {"all_move_fails",
     [](Machine& m) { m.files.FailMove(kAll, kDenied); },
     {CannotCreate(kAll)},
     kAllPrograms,
     kAllRecent,
     Files::kUnchanged},
};

std::vector<std::string> Captions(const MenuItem& parent) {
  std::vector<std::string> captions;
  for (std::size_t i = 0; i < parent.Count(); ++i) captions.push_back(parent[i].Caption);
  return captions;
}

class FaultInjectionTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultInjectionTest, ShowsTheErrorAndLosesNoFile) {
  Machine machine;
  machine.registry.SetString(kShellFolders, "Common AppData", "C:\\ProgramData");
  machine.files.AddDirectory(kDir);
  const std::pair<const char*, const char*> programs[] = {
      {"a", "Alpha"}, {"b", "Bravo"}, {"c", "Charlie"}};
  for (const auto& [key, name] : programs) {
    const std::string path = std::string(kUninstall) + "\\" + key;
    std::string command = name;
    for (char& c : command) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    machine.registry.SetString(path, "DisplayName", name);
    machine.registry.SetString(path, "UninstallString", "C:\\" + command + ".exe");
  }
  machine.files.SetFile(kAll, kOldAll);
  machine.files.SetFile(kRecent, kOldRecent);
  GetParam().fault(machine);

  FakeShell shell;
  FakeDesktop desktop;
  FakeListControl list;
  FakeText text;
  Platform platform{machine.registry, shell, desktop, machine.files, list, text};
  Application application(platform);
  application.Initialize();
  application.SetTitle(kTitle);
  application.CreateForm();
  application.Run();

  std::vector<std::string> boxes;
  for (const auto& box : desktop.boxes) boxes.push_back(box.text);
  EXPECT_EQ(boxes, GetParam().boxes);
  EXPECT_EQ(desktop.popups.size(), 1u) << "the menu always pops up";
  EXPECT_EQ(desktop.boxes_cut_short, 0);
  const TForm1& form = *application.Form1();
  EXPECT_EQ(Captions(*form.N11), GetParam().programs);
  EXPECT_EQ(Captions(*form.Recent1), GetParam().recent);

  std::string all;
  for (const std::string& name : GetParam().programs) {
    std::string command = name;
    for (char& c : command) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    all += name + "<#>C:\\" + command + ".exe\r\n";
  }
  std::string recent;
  for (const std::string& name : GetParam().recent) recent += name + "\r\n";
  const bool replaced = GetParam().files == Files::kReplaced;
  EXPECT_EQ(machine.files.File(kAll), replaced ? all : kOldAll);
  EXPECT_EQ(machine.files.File(kRecent), replaced ? recent : kOldRecent);
  for (const std::string& path : machine.files.FilePaths()) {
    EXPECT_EQ(path.find(".tmp"), std::string::npos) << "temporary file left: " << path;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FaultInjectionTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmoro
