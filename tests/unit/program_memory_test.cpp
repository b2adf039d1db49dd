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
  bool finished = true;                // the enumeration went through every key
};

using FolderTexts = std::map<std::u16string, std::pair<std::string, std::string>>;

struct MemoryCase {
  const char* name;
  std::vector<Step> steps;
  // Afterwards, by folder: "All.dat" and "Recent.dat".
  FolderTexts files;
  // Before the first run, the same way.
  FolderTexts before = {};
};

void PrintTo(const MemoryCase& c, std::ostream* out) {
  *out << c.name;
}

// The user's files begin with a line of their own each; an "All.dat" of the 8-bit form with
// another.
const std::string H = "Velmoro Uninstaller, UTF-8: the programs seen by this user\r\n";
const std::string R = "Velmoro Uninstaller, UTF-8: the recent programs of this user\r\n";
const std::string H8 = "Velmoro Uninstaller: the programs seen by this user\r\n";

const std::vector<ProgramEntry> kBase = {M(u"Alpha", u"a"), U(u"Beta", u"b")};

std::vector<ProgramEntry> Own(const char16_t* who, int count) {
  std::vector<ProgramEntry> own;
  for (int i = 1; i <= count; ++i) {
    const std::u16string number(1, static_cast<char16_t>(u'0' + i));
    own.push_back({who + (u" " + number), who + number, false, true});
  }
  return own;
}

// The programs of `first`, then those of `rest`: the list in its sorted order, as given.
std::vector<ProgramEntry> Join(std::vector<ProgramEntry> first,
                               const std::vector<ProgramEntry>& rest) {
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

const ProgramEntry kAlpha = M(u"Alpha", u"a");
// Two names of one 8-bit form, "??", and two programs of one name; c1 and t2 sort last.
const ProgramEntry kZhong = M(u"\u4E2D\u6587", u"c2");
const ProgramEntry kWei = M(u"\u5FAE\u8F6F", u"c1");
const ProgramEntry kTwin1 = M(u"Twin", u"t1");
const ProgramEntry kTwin2 = M(u"Twin", u"t2");
const ProgramEntry kCafe = U(u"Caf\u00E9", u"u");

const MemoryCase kCases[] = {
    // The first run remembers and finds nothing new; a run without changes writes nothing.
    {"first_run_then_nothing_new",
     {{kAnn, {M(u"Alpha", u"a")}, {}, 4}, {kAnn, {M(u"Alpha", u"a")}, {}, 0}},
     {{kMachineDir, {"Alpha<#>a\r\n", ""}}, {UserDir(kAnn), {H + "M Alpha<#>a\r\n", R}}}},
    // A program installed for this user only heads the list and stays there; the machine's files
    // hold the machine's programs alone.
    {"user_program_new_since_the_last_run",
     {{kAnn, kBase, {}, 4},
      {kAnn, Join(kBase, {U(u"Gamma", u"g")}), {u"g"}, 2},
      {kAnn, Join(kBase, {U(u"Gamma", u"g")}), {u"g"}, 0}},
     {{kMachineDir, {"Alpha<#>a\r\n", ""}},
      {UserDir(kAnn),
       {H + "M Alpha<#>a\r\nU Beta<#>b\r\nU Gamma<#>g\r\n", R + "U Gamma<#>g\r\n"}}}},
    // The machine's and the user's programs new in one run are ordered together, the one that
    // sorts last on top, and keep that order.
    {"new_in_one_run_ordered_together",
     {{kAnn, kBase, {}, 4},
      {kAnn,
       Join(kBase, {M(u"Cedar", u"c"), U(u"Delta", u"d"), M(u"Echo", u"e")}),
       {u"e", u"d", u"c"},
       4},
      {kAnn,
       Join(kBase, {M(u"Cedar", u"c"), U(u"Delta", u"d"), M(u"Echo", u"e")}),
       {u"e", u"d", u"c"},
       0}},
     {{kMachineDir, {"Alpha<#>a\r\nCedar<#>c\r\nEcho<#>e\r\n", "Echo\r\nCedar\r\n"}},
      {UserDir(kAnn),
       {H + "M Alpha<#>a\r\nU Beta<#>b\r\nM Cedar<#>c\r\nU Delta<#>d\r\nM Echo<#>e\r\n",
        R + "M Echo<#>e\r\nU Delta<#>d\r\nM Cedar<#>c\r\n"}}}},
    // Both users' lists are full of their own programs. A machine program that Ann's run finds
    // first heads Bob's list at his next run all the same; neither ever sees the other's programs.
    {"two_users_with_full_lists",
     {{kAnn, {M(u"Base", u"base")}, {}, 4},
      {kBob, {M(u"Base", u"base")}, {}, 2},
      {kAnn,
       Join(Own(u"Ann", 6), {M(u"Base", u"base")}),
       {u"Ann6", u"Ann5", u"Ann4", u"Ann3", u"Ann2", u"Ann1"},
       2},
      {kBob,
       Join({M(u"Base", u"base")}, Own(u"Bob", 6)),
       {u"Bob6", u"Bob5", u"Bob4", u"Bob3", u"Bob2", u"Bob1"},
       2},
      {kAnn,
       Join(Own(u"Ann", 6), {M(u"Base", u"base"), M(u"New", u"new")}),
       {u"new", u"Ann6", u"Ann5", u"Ann4", u"Ann3", u"Ann2"},
       4},
      {kBob,
       Join(Join({M(u"Base", u"base")}, Own(u"Bob", 6)), {M(u"New", u"new")}),
       {u"new", u"Bob6", u"Bob5", u"Bob4", u"Bob3", u"Bob2"},
       2}},
     {{kMachineDir, {"Base<#>base\r\nNew<#>new\r\n", "New\r\n"}},
      {UserDir(kBob),
       {H + "M Base<#>base\r\nU Bob 1<#>Bob1\r\nU Bob 2<#>Bob2\r\nU Bob 3<#>Bob3\r\n"
            "U Bob 4<#>Bob4\r\nU Bob 5<#>Bob5\r\nU Bob 6<#>Bob6\r\nM New<#>new\r\n",
        R + "M New<#>new\r\nU Bob 6<#>Bob6\r\nU Bob 5<#>Bob5\r\nU Bob 4<#>Bob4\r\n"
            "U Bob 3<#>Bob3\r\nU Bob 2<#>Bob2\r\n"}}}},
    // The user's own "Foo Tool" sorts first; the machine's, new, is the one its item reaches,
    // in this run and the next.
    {"one_name_in_both_hives",
     {{kAnn, {M(u"Alpha", u"a"), U(u"Foo Tool", u"f1")}, {}, 4},
      {kAnn, {M(u"Alpha", u"a"), U(u"Foo Tool", u"f1"), M(u"Foo Tool", u"f2")}, {u"f2"}, 4},
      {kAnn, {M(u"Alpha", u"a"), U(u"Foo Tool", u"f1"), M(u"Foo Tool", u"f2")}, {u"f2"}, 0}},
     {{kMachineDir, {"Alpha<#>a\r\nFoo Tool<#>f2\r\n", "Foo Tool\r\n"}},
      {UserDir(kAnn),
       {H + "M Alpha<#>a\r\nU Foo Tool<#>f1\r\nM Foo Tool<#>f2\r\n", R + "M Foo Tool<#>f2\r\n"}}}},
    // Uninstalled for the user, installed for the whole machine: it stands once.
    {"per_user_program_reinstalled_for_all",
     {{kAnn, {M(u"Alpha", u"a")}, {}, 4},
      {kAnn, {M(u"Alpha", u"a"), U(u"Tool", u"t")}, {u"t"}, 2},
      {kAnn, {M(u"Alpha", u"a"), M(u"Tool", u"t")}, {u"t"}, 4}},
     {{kMachineDir, {"Alpha<#>a\r\nTool<#>t\r\n", "Tool\r\n"}},
      {UserDir(kAnn), {H + "M Alpha<#>a\r\nM Tool<#>t\r\n", R + "M Tool<#>t\r\n"}}}},
    // A machine program pushed out of the list by six of the user's own does not come back when
    // one of those is uninstalled.
    {"a_line_pushed_out_stays_out",
     {{kAnn, {M(u"Base", u"base")}, {}, 4},
      {kAnn, {M(u"Base", u"base"), M(u"New", u"new")}, {u"new"}, 4},
      {kAnn,
       Join(Own(u"Ann", 6), {M(u"Base", u"base"), M(u"New", u"new")}),
       {u"Ann6", u"Ann5", u"Ann4", u"Ann3", u"Ann2", u"Ann1"},
       2},
      {kAnn,
       Join(Own(u"Ann", 5), {M(u"Base", u"base"), M(u"New", u"new")}),
       {u"Ann5", u"Ann4", u"Ann3", u"Ann2", u"Ann1"},
       2}},
     {{kMachineDir, {"Base<#>base\r\nNew<#>new\r\n", "New\r\n"}}}},
    // A name with a line break is one line of the files: new once, then known.
    {"line_break_in_a_name",
     {{kAnn, {M(u"Alpha", u"a")}, {}, 4},
      {kAnn, {M(u"Alpha", u"a"), M(u"Zz\r\nTool", u"z")}, {u"z"}, 4},
      {kAnn, {M(u"Alpha", u"a"), M(u"Alto", u"t"), M(u"Zz\r\nTool", u"z")}, {u"t", u"z"}, 4}},
     {{kMachineDir, {"Alpha<#>a\r\nAlto<#>t\r\nZz  Tool<#>z\r\n", "Alto\r\nZz  Tool\r\n"}},
      {UserDir(kAnn),
       {H + "M Alpha<#>a\r\nM Alto<#>t\r\nM Zz  Tool<#>z\r\n",
        R + "M Alto<#>t\r\nM Zz  Tool<#>z\r\n"}}}},
    // Names of one 8-bit form, installed together: each item keeps its program run after run, and
    // leaves with it. The machine's list, by name, keeps "??" twice.
    {"one_8bit_form_for_two_names",
     {{kAnn, {kAlpha}, {}, 4},
      {kAnn, {kAlpha, kZhong, kWei}, {u"c1", u"c2"}, 4},
      {kAnn, {kAlpha, kZhong, kWei}, {u"c1", u"c2"}, 0},
      {kAnn, {kAlpha, kZhong}, {u"c2"}, 3}},
     {{kMachineDir, {"Alpha<#>a\r\n?\?<#>c2\r\n", "?\?\r\n?\?\r\n"}},
      {UserDir(kAnn),
       {H + "M Alpha<#>a\r\nM \xE4\xB8\xAD\xE6\x96\x87<#>c2\r\n",
        R + "M \xE4\xB8\xAD\xE6\x96\x87<#>c2\r\n"}}}},
    // The same, installed in two runs, the newer one uninstalled.
    {"one_8bit_form_installed_in_two_runs",
     {{kAnn, {kAlpha}, {}, 4},
      {kAnn, {kAlpha, kWei}, {u"c1"}, 4},
      {kAnn, {kAlpha, kZhong, kWei}, {u"c2", u"c1"}, 4},
      {kAnn, {kAlpha, kZhong, kWei}, {u"c2", u"c1"}, 0},
      {kAnn, {kAlpha, kWei}, {u"c1"}, 3}},
     {{kMachineDir, {"Alpha<#>a\r\n?\?<#>c1\r\n", "?\?\r\n?\?\r\n"}},
      {UserDir(kAnn),
       {H + "M Alpha<#>a\r\nM \xE5\xBE\xAE\xE8\xBD\xAF<#>c1\r\n",
        R + "M \xE5\xBE\xAE\xE8\xBD\xAF<#>c1\r\n"}}}},
    // Two programs of one name, installed together: the one that sorts last on top, in every
    // run; the other stays when it is uninstalled.
    {"one_name_for_two_programs",
     {{kAnn, {kAlpha}, {}, 4},
      {kAnn, {kAlpha, kTwin1, kTwin2}, {u"t2", u"t1"}, 4},
      {kAnn, {kAlpha, kTwin1, kTwin2}, {u"t2", u"t1"}, 0},
      {kAnn, {kAlpha, kTwin1, kTwin2}, {u"t2", u"t1"}, 0},
      {kAnn, {kAlpha, kTwin1}, {u"t1"}, 3}},
     {{kMachineDir, {"Alpha<#>a\r\nTwin<#>t1\r\n", "Twin\r\nTwin\r\n"}},
      {UserDir(kAnn), {H + "M Alpha<#>a\r\nM Twin<#>t1\r\n", R + "M Twin<#>t1\r\n"}}}},
    // The same, installed in two runs, the older one uninstalled.
    {"one_name_installed_in_two_runs",
     {{kAnn, {kAlpha}, {}, 4},
      {kAnn, {kAlpha, kTwin1}, {u"t1"}, 4},
      {kAnn, {kAlpha, kTwin1, kTwin2}, {u"t2", u"t1"}, 4},
      {kAnn, {kAlpha, kTwin1, kTwin2}, {u"t2", u"t1"}, 0},
      {kAnn, {kAlpha, kTwin2}, {u"t2"}, 3}},
     {{kMachineDir, {"Alpha<#>a\r\nTwin<#>t2\r\n", "Twin\r\nTwin\r\n"}},
      {UserDir(kAnn), {H + "M Alpha<#>a\r\nM Twin<#>t2\r\n", R + "M Twin<#>t2\r\n"}}}},
    // A changed command makes the program new again: its name stands twice, and both lines reach
    // the one program.
    {"changed_command",
     {{kAnn, {M(u"Alpha", u"old")}, {}, 4},
      {kAnn, {M(u"Alpha", u"old"), M(u"Bravo", u"b")}, {u"b"}, 4},
      {kAnn, {M(u"Alpha", u"old"), M(u"Bravo", u"b")}, {u"b"}, 0},
      {kAnn, {M(u"Alpha", u"new"), M(u"Bravo", u"b")}, {u"new", u"b"}, 4},
      {kAnn, {M(u"Alpha", u"new")}, {u"new"}, 4}},
     {{kMachineDir, {"Alpha<#>new\r\n", "Alpha\r\n"}},
      {UserDir(kAnn), {H + "M Alpha<#>new\r\n", R + "M Alpha<#>new\r\n"}}}},
    // A recent program whose command changed is new again and stands once; the machine's list,
    // by name, holds it twice.
    {"changed_command_of_a_recent_program",
     {{kAnn, {M(u"Zulu", u"z")}, {}, 4},
      {kAnn, {M(u"Alpha", u"old"), M(u"Zulu", u"z")}, {u"old"}, 4},
      {kAnn, {M(u"Alpha", u"new"), M(u"Zulu", u"z")}, {u"new"}, 4},
      {kAnn, {M(u"Alpha", u"new"), M(u"Zulu", u"z")}, {u"new"}, 0}},
     {{kMachineDir, {"Alpha<#>new\r\nZulu<#>z\r\n", "Alpha\r\nAlpha\r\n"}},
      {UserDir(kAnn), {H + "M Alpha<#>new\r\nM Zulu<#>z\r\n", R + "M Alpha<#>new\r\n"}}}},
    // The user's files of the 8-bit form are read as such (the snapshot's "Caf\xE9" is Café, not
    // new; names reach the programs of their name in menu order), then written in UTF-8.
    {"user_files_of_the_8bit_form",
     {{kAnn, {kAlpha, kCafe, M(u"Delta", u"d"), kTwin1, kTwin2}, {u"d", u"u", u"t1", u"t2"}, 4},
      {kAnn, {kAlpha, kCafe, M(u"Delta", u"d"), kTwin1, kTwin2}, {u"d", u"u", u"t1", u"t2"}, 0}},
     {{kMachineDir,
       {"Alpha<#>a\r\nDelta<#>d\r\nTwin<#>t1\r\nTwin<#>t2\r\n", "Delta\r\nTwin\r\nTwin\r\n"}},
      {UserDir(kAnn),
       {H + "M Alpha<#>a\r\nU Caf\xC3\xA9<#>u\r\nM Delta<#>d\r\nM Twin<#>t1\r\nM Twin<#>t2\r\n",
        R + "M Delta<#>d\r\nU Caf\xC3\xA9<#>u\r\nM Twin<#>t1\r\nM Twin<#>t2\r\n"}}},
     {{kMachineDir, {"Alpha<#>a\r\nTwin<#>t1\r\nTwin<#>t2\r\n", "Twin\r\nTwin\r\n"}},
      {UserDir(kAnn),
       {H8 + "M Alpha<#>a\r\nU Caf\xE9<#>u\r\nM Twin<#>t1\r\nM Twin<#>t2\r\n",
        "U Caf\xE9\r\nM Twin\r\nM Twin\r\n"}}}},
    // An enumeration that stopped early finds nothing new and writes nothing: the list as it was,
    // without what it did not find; the next full one finds nothing new either.
    {"enumeration_stopped_early",
     {{kAnn, {M(u"Alpha", u"a"), M(u"Bravo", u"b")}, {}, 4},
      {kAnn, {M(u"Alpha", u"a"), M(u"Bravo", u"b"), M(u"Cedar", u"c")}, {u"c"}, 4},
      {kAnn, {M(u"Alpha", u"a")}, {}, 0, false},
      {kAnn, {M(u"Alpha", u"a"), M(u"Cedar", u"c")}, {u"c"}, 0, false},
      {kAnn, {M(u"Alpha", u"a"), M(u"Bravo", u"b"), M(u"Cedar", u"c")}, {u"c"}, 0}},
     {{kMachineDir, {"Alpha<#>a\r\nBravo<#>b\r\nCedar<#>c\r\n", "Cedar\r\n"}},
      {UserDir(kAnn),
       {H + "M Alpha<#>a\r\nM Bravo<#>b\r\nM Cedar<#>c\r\n", R + "M Cedar<#>c\r\n"}}}},
    // A user's first run with this memory, also after an earlier version kept the user's own
    // programs alone, starts from the machine's list: nothing old floods in.
    {"user_memory_starts_from_the_machines_list",
     {{kAnn, {M(u"Alpha", u"a"), U(u"Beta", u"u"), M(u"Cedar", u"c")}, {u"c", u"a"}, 4},
      {kBob, {M(u"Alpha", u"a"), M(u"Cedar", u"c")}, {u"c", u"a"}, 2}},
     {{kMachineDir, {"Alpha<#>a\r\nCedar<#>c\r\n", "Cedar\r\nAlpha\r\n"}},
      {UserDir(kAnn),
       {H + "M Alpha<#>a\r\nU Beta<#>u\r\nM Cedar<#>c\r\n", R + "M Cedar<#>c\r\nM Alpha<#>a\r\n"}},
      {UserDir(kBob),
       {H + "M Alpha<#>a\r\nM Cedar<#>c\r\n", R + "M Cedar<#>c\r\nM Alpha<#>a\r\n"}}},
     {{kMachineDir, {"Alpha<#>a\r\n", "Alpha\r\n"}},
      {UserDir(kAnn), {"Beta<#>u\r\n", "Beta\r\n"}}}},
    // An empty "All.dat" is a snapshot of no program, in either folder.
    {"empty_snapshot_is_a_snapshot",
     {{kAnn, {M(u"Alpha", u"a")}, {u"a"}, 4},
      {kAnn, {M(u"Alpha", u"a"), U(u"Beta", u"b")}, {u"b", u"a"}, 2}},
     {{kMachineDir, {"Alpha<#>a\r\n", "Alpha\r\n"}},
      {UserDir(kAnn), {H + "M Alpha<#>a\r\nU Beta<#>b\r\n", R + "U Beta<#>b\r\nM Alpha<#>a\r\n"}}},
     {{kMachineDir, {"", ""}}}},
};

class ProgramMemoryTest : public ::testing::TestWithParam<MemoryCase>, protected FakeMachine {
 protected:
  ProgramMemoryTest() {
    files.AddDirectory(kAnn);
    files.AddDirectory(kBob);
    for (const auto& [dir, texts] : GetParam().before) {
      files.AddDirectory(dir);
      files.SetFile(dir + u"\\All.dat", texts.first);
      files.SetFile(dir + u"\\Recent.dat", texts.second);
    }
  }

  std::vector<std::u16string> Run(const Step& step) {
    files.local_app_data = step.user;
    const std::size_t opens = registry.open_calls().size();
    Platform services = platform();
    ProgramMemory memory(services);
    memory.EnsureDataDir(
        [](const std::u16string& level) { ADD_FAILURE() << "not made: " << level.size(); });
    const Recollection recollection = memory.Update(step.programs, step.finished);
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
  for (const auto& [dir, texts] : GetParam().files) {
    EXPECT_EQ(files.File(dir + u"\\All.dat"), texts.first);
    EXPECT_EQ(files.File(dir + u"\\Recent.dat"), texts.second);
  }
  for (const std::u16string& path : files.FilePaths()) {
    EXPECT_NE(path.find(u".dat"), path.npos) << "a temporary file left";
  }
}

INSTANTIATE_TEST_SUITE_P(Runs, ProgramMemoryTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A profile moved to another drive leaves a link at the local application-data folder: it is
// followed, and the user's memory works there. A link at a level of the program's own is not.
TEST(UserFolderLinkTest, TheKnownFolderIsFollowedTheProgramsOwnLevelsAreNot) {
  for (const bool own_level : {false, true}) {
    SCOPED_TRACE(own_level ? "own level" : "known folder");
    FakeMachine machine;
    const std::u16string moved = u"D:\\Moved\\Cat\\AppData";
    const std::u16string local = u"C:\\Users\\Cat\\AppData\\Local";
    machine.files.AddDirectory(moved + u"\\Local");
    machine.files.AddDirectory(u"C:\\Users\\Cat\\AppData");
    ASSERT_TRUE(machine.files.MakeMountPoint(u"C:\\Users\\Cat\\AppData", moved));
    machine.files.local_app_data = local;
    if (own_level) {
      machine.files.AddDirectory(moved + u"\\Local\\Quinsett");
      machine.files.MakeLink(moved + u"\\Local\\Quinsett", LinkKind::kReparsePoint);
    }
    Platform services = machine.platform();
    ProgramMemory memory(services);
    memory.EnsureDataDir(
        [](const std::u16string& level) { ADD_FAILURE() << "not made: " << level.size(); });
    const Recollection recollection = memory.Update({M(u"Alpha", u"a")}, true);
    std::vector<MemoryNotice> expected;
    if (own_level) {
      expected.push_back(
          {MemoryNotice::Kind::kWarning, u"The data folder is not used: \"" + local +
                                             u"\\Quinsett\" is a link to another place."});
    }
    EXPECT_EQ(recollection.notices, expected);
    EXPECT_EQ(
        machine.files.File(moved + u"\\Local\\Quinsett\\Velmoro Uninstaller\\All.dat").has_value(),
        !own_level);
  }
}

}  // namespace
}  // namespace velmoro
