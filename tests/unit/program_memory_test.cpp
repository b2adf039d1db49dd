// The program's memory alone, run after run: what "Recent Programs" holds, what each data file
// holds and how many files each run writes.
#include "catalogue/program_memory.h"

#include <gtest/gtest.h>

#include <map>

#include "platform/fake/fake_machine.h"

namespace velmoro {
namespace {

const std::u16string kMachineDir = FakeMachine::kDataDir;
const std::u16string kAnn = FakeFiles().local_app_data;
const std::u16string kBob = u"C:\\Users\\Bob\\AppData\\Local";

std::u16string UserDir(const std::u16string& local) {
  return local + u"\\Quinsett\\Velmoro Uninstaller";
}

// Programs are named by their commands, which are all different, so that a recent item shows
// which program it reaches.
ProgramEntry M(const char16_t* name, const char16_t* command) {
  return {name, command, false, false};
}
ProgramEntry U(const char16_t* name, const char16_t* command) {
  return {name, command, false, true};
}

struct Step {
  std::u16string user;                 // whose run: the local application-data folder
  std::vector<ProgramEntry> programs;  // the program list, sorted
  std::vector<std::u16string> recent;  // the commands of "Recent Programs", top first
  int written;                         // data files this run replaces
};

struct MemoryCase {
  const char* name;
  std::vector<Step> steps;
  // Afterwards, by folder: "All.dat" and "Recent.dat".
  std::map<std::u16string, std::pair<std::string, std::string>> files;
};

void PrintTo(const MemoryCase& c, std::ostream* out) {
  *out << c.name;
}

const std::vector<ProgramEntry> kBase = {M(u"Alpha", u"a"), U(u"Beta", u"b")};

const MemoryCase kCases[] = {
    // The first run remembers and finds nothing new; a run without changes writes nothing.
    {"first_run_then_nothing_new",
     {{kAnn, {M(u"Alpha", u"a")}, {}, 4}, {kAnn, {M(u"Alpha", u"a")}, {}, 0}},
     {{kMachineDir, {"Alpha<#>a\r\n", ""}}, {UserDir(kAnn), {"", ""}}}},
    // A program installed for this user only heads the list and stays there; the machine's files
    // hold the machine's programs alone.
    {"user_program_new_since_the_last_run",
     {{kAnn, kBase, {}, 4},
      {kAnn, {M(u"Alpha", u"a"), U(u"Beta", u"b"), U(u"Gamma", u"g")}, {u"g"}, 2},
      {kAnn, {M(u"Alpha", u"a"), U(u"Beta", u"b"), U(u"Gamma", u"g")}, {u"g"}, 0}},
     {{kMachineDir, {"Alpha<#>a\r\n", ""}},
      {UserDir(kAnn), {"Beta<#>b\r\nGamma<#>g\r\n", "Gamma\r\n"}}}},
    // The user's first program of their own is new like any other.
    {"first_user_program",
     {{kAnn, {M(u"Alpha", u"a")}, {}, 4}, {kAnn, kBase, {u"b"}, 2}},
     {{kMachineDir, {"Alpha<#>a\r\n", ""}}, {UserDir(kAnn), {"Beta<#>b\r\n", "Beta\r\n"}}}},
    // The machine's and the user's programs new in one run are ordered together, the one that
    // sorts last on top, and keep that order.
    {"new_in_one_run_ordered_together",
     {{kAnn, kBase, {}, 4},
      {kAnn,
       {M(u"Alpha", u"a"), U(u"Beta", u"b"), M(u"Cedar", u"c"), U(u"Delta", u"d"),
        M(u"Echo", u"e")},
       {u"e", u"d", u"c"},
       4},
      {kAnn,
       {M(u"Alpha", u"a"), U(u"Beta", u"b"), M(u"Cedar", u"c"), U(u"Delta", u"d"),
        M(u"Echo", u"e")},
       {u"e", u"d", u"c"},
       0}},
     {{kMachineDir, {"Alpha<#>a\r\nCedar<#>c\r\nEcho<#>e\r\n", "Echo\r\nCedar\r\n"}},
      {UserDir(kAnn), {"Beta<#>b\r\nDelta<#>d\r\n", "Echo\r\nDelta\r\nCedar\r\n"}}}},
    // A user's programs are never new to another user, and a machine program found new by one
    // user's run is still shown to the other, below what that user's list held.
    {"two_users",
     {{kAnn, kBase, {}, 4},
      {kBob, {M(u"Alpha", u"a")}, {}, 2},
      {kBob, {M(u"Alpha", u"a"), M(u"Yew", u"y")}, {u"y"}, 3},
      {kAnn, {M(u"Alpha", u"a"), U(u"Beta", u"b"), M(u"Yew", u"y")}, {u"y"}, 1},
      {kAnn,
       {M(u"Alpha", u"a"), U(u"Beta", u"b"), U(u"Quince", u"q"), M(u"Yew", u"y")},
       {u"q", u"y"},
       2},
      {kBob, {M(u"Alpha", u"a"), M(u"Yew", u"y")}, {u"y"}, 0},
      {kAnn,
       {M(u"Alpha", u"a"), U(u"Beta", u"b"), U(u"Quince", u"q"), M(u"Yew", u"y")},
       {u"q", u"y"},
       0}},
     {{kMachineDir, {"Alpha<#>a\r\nYew<#>y\r\n", "Yew\r\n"}},
      {UserDir(kAnn), {"Beta<#>b\r\nQuince<#>q\r\n", "Quince\r\nYew\r\n"}},
      {UserDir(kBob), {"", "Yew\r\n"}}}},
    // A name with a line break is one line of the files: new once, then known.
    {"line_break_in_a_name",
     {{kAnn, {M(u"Alpha", u"a")}, {}, 4},
      {kAnn, {M(u"Alpha", u"a"), M(u"Zz\r\nTool", u"z")}, {u"z"}, 3},
      {kAnn, {M(u"Alpha", u"a"), M(u"Alto", u"t"), M(u"Zz\r\nTool", u"z")}, {u"t", u"z"}, 3}},
     {{kMachineDir, {"Alpha<#>a\r\nAlto<#>t\r\nZz  Tool<#>z\r\n", "Alto\r\nZz  Tool\r\n"}},
      {UserDir(kAnn), {"", "Alto\r\nZz  Tool\r\n"}}}},
    // Names of one 8-bit form: each line reaches a program of its own.
    {"one_8bit_form_for_two_names",
     {{kAnn, {M(u"Alpha", u"a")}, {}, 4},
      {kAnn,
       {M(u"Alpha", u"a"), M(u"\u4E2D\u6587", u"c2"), M(u"\u5FAE\u8F6F", u"c1")},
       {u"c2", u"c1"},
       3}},
     {{kMachineDir, {"Alpha<#>a\r\n?\?<#>c2\r\n?\?<#>c1\r\n", "?\?\r\n?\?\r\n"}},
      {UserDir(kAnn), {"", "?\?\r\n?\?\r\n"}}}},
    // A changed command makes the program new again: its name stands twice, and both lines reach
    // the one program.
    {"changed_command",
     {{kAnn, {M(u"Alpha", u"old")}, {}, 4},
      {kAnn, {M(u"Alpha", u"old"), M(u"Bravo", u"b")}, {u"b"}, 3},
      {kAnn, {M(u"Alpha", u"new"), M(u"Bravo", u"b")}, {u"new", u"b"}, 3},
      {kAnn, {M(u"Alpha", u"new")}, {u"new"}, 3}},
     {{kMachineDir, {"Alpha<#>new\r\n", "Alpha\r\n"}}, {UserDir(kAnn), {"", "Alpha\r\n"}}}},
    // A user's first run with a memory of their own keeps the list the machine's memory gave, as
    // after an update from a version without it, or when the user's folder was removed.
    {"user_memory_starts_from_the_machines_list",
     {{kAnn, {M(u"Alpha", u"a")}, {}, 4},
      {kAnn, {M(u"Alpha", u"a"), M(u"Bravo", u"b")}, {u"b"}, 3},
      {kBob, {M(u"Alpha", u"a"), U(u"Beta", u"u"), M(u"Bravo", u"b")}, {u"b"}, 2}},
     {{kMachineDir, {"Alpha<#>a\r\nBravo<#>b\r\n", "Bravo\r\n"}},
      {UserDir(kAnn), {"", "Bravo\r\n"}},
      {UserDir(kBob), {"Beta<#>u\r\n", "Bravo\r\n"}}}},
};

class ProgramMemoryTest : public ::testing::TestWithParam<MemoryCase>, protected FakeMachine {
 protected:
  ProgramMemoryTest() {
    files.AddDirectory(kAnn);
    files.AddDirectory(kBob);
  }

  std::vector<std::u16string> Run(const Step& step) {
    files.local_app_data = step.user;
    const std::size_t opens = registry.open_calls().size();
    Platform services = platform();
    ProgramMemory memory(services);
    EXPECT_TRUE(memory.EnsureDataDir().empty());
    const Recollection recollection = memory.Update(step.programs);
    EXPECT_EQ(recollection.notices, std::vector<MemoryNotice>());
    EXPECT_EQ(registry.open_calls().size(), opens + 1) << "the data folder is read once";
    EXPECT_EQ(files.folders_held(), 0u);
    std::vector<std::u16string> recent;
    for (const std::size_t position : recollection.recent) {
      recent.push_back(step.programs.at(position).command);
    }
    return recent;
  }
};

TEST_P(ProgramMemoryTest, RemembersRunAfterRun) {
  for (std::size_t i = 0; i < GetParam().steps.size(); ++i) {
    SCOPED_TRACE("run " + std::to_string(i + 1));
    const Step& step = GetParam().steps[i];
    const int written = files.files_written();
    EXPECT_EQ(Run(step), step.recent);
    EXPECT_EQ(files.files_written() - written, step.written);
  }
  std::size_t data_files = 0;
  for (const auto& [dir, texts] : GetParam().files) {
    EXPECT_EQ(files.File(dir + u"\\All.dat"), texts.first);
    EXPECT_EQ(files.File(dir + u"\\Recent.dat"), texts.second);
    data_files += 2;
  }
  EXPECT_EQ(files.FilePaths().size(), data_files) << "no other file, no temporary file";
}

INSTANTIATE_TEST_SUITE_P(Runs, ProgramMemoryTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmoro
