// A run whose data files cannot be read or replaced in one folder, then runs without the fault: the
// failing folder's files are left as they were, the program found new in the failing run stands
// once in "Recent Programs", and none is lost. No step ever waits for another program.
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/list_files.h"
#include "catalogue/program_memory.h"
#include "platform/fake/fake_machine.h"

namespace velmoro {
namespace {

const std::u16string kMachine = FakeMachine::kDataDir;
const std::u16string kUser = FakeFiles().local_app_data + u"\\Quinsett\\Velmoro Uninstaller";
const std::string kHeader = "Velmoro Uninstaller, UTF-8: the programs seen by this user\r\n";
const std::string kListHeader = "Velmoro Uninstaller, UTF-8: the recent programs of this user\r\n";

std::u16string Temp(const std::u16string& dir, std::uint64_t random) {
  return dir + u"\\" + TempFileName(random);
}

struct FailureCase {
  std::string what;
  std::u16string dir;  // the folder whose files the failing run leaves as they were
  std::function<void(FakeFiles&)> fault;
  std::u16string notice;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
  *out << c.what;
}

std::u16string CannotCreate(const std::u16string& dir, const char16_t* name) {
  return u"Cannot create file \"" + dir + u"\\" + name + u"\". Access is denied";
}

const std::u16string kInUse =
    u"The process cannot access the file because it is being used by another process";

std::u16string InUse(const char16_t* failed, const std::u16string& dir, const char16_t* name) {
  return failed + (u" \"" + dir + u"\\" + name + u"\". ") + kInUse;
}

// Random() counts on from run to run: in the failing run, the machine's temporary files are
// numbered 5 ("All.dat") and 6, the user's 7 and 8.
const FailureCase kFailures[] = {
    {"machine_temporary_not_made", kMachine,
     [](FakeFiles& f) { f.FailNewFiles(kMachine, kErrorAccessDenied); },
     CannotCreate(kMachine, u"All.dat")},
    {"machine_all_written_short", kMachine,
     [](FakeFiles& f) { f.ShortWrite(Temp(kMachine, 5), 2); }, u"Stream write error"},
    {"machine_recent_not_replaced", kMachine,
     [](FakeFiles& f) { f.FailMove(kMachine + u"\\Recent.dat", kErrorAccessDenied); },
     CannotCreate(kMachine, u"Recent.dat")},
    {"machine_all_not_replaced", kMachine,
     [](FakeFiles& f) { f.FailMove(kMachine + u"\\All.dat", kErrorAccessDenied); },
     CannotCreate(kMachine, u"All.dat")},
    {"machine_all_unreadable", kMachine,
     [](FakeFiles& f) { f.RefuseRead(kMachine + u"\\All.dat", kErrorAccessDenied); },
     u"Cannot open file \"" + kMachine + u"\\All.dat\". Access is denied"},
    {"user_temporary_not_made", kUser,
     [](FakeFiles& f) { f.FailNewFiles(kUser, kErrorAccessDenied); },
     CannotCreate(kUser, u"All.dat")},
    {"user_recent_written_short", kUser, [](FakeFiles& f) { f.ShortWrite(Temp(kUser, 8), 0); },
     u"Stream write error"},
    {"user_recent_not_replaced", kUser,
     [](FakeFiles& f) { f.FailMove(kUser + u"\\Recent.dat", kErrorAccessDenied); },
     CannotCreate(kUser, u"Recent.dat")},
    {"user_all_not_replaced", kUser,
     [](FakeFiles& f) { f.FailMove(kUser + u"\\All.dat", kErrorAccessDenied); },
     CannotCreate(kUser, u"All.dat")},
    {"user_all_unreadable", kUser,
     [](FakeFiles& f) { f.RefuseRead(kUser + u"\\All.dat", kErrorAccessDenied); },
     u"Cannot open file \"" + kUser + u"\\All.dat\". Access is denied"},
};

class WriteFailureTest : public ::testing::TestWithParam<FailureCase>, protected FakeMachine {
 protected:
  // The commands of "Recent Programs", and the notices' texts.
  std::pair<std::vector<std::u16string>, std::vector<std::u16string>> Run(
      const std::vector<ProgramEntry>& programs) {
    Platform services = platform();
    ProgramMemory memory(services);
    memory.EnsureDataDir([](const std::u16string&) {});
    const Recollection recollection = memory.Update(programs, true);
    std::vector<std::u16string> recent;
    for (const std::size_t position : recollection.recent) {
      recent.push_back(programs[position].command);
    }
    std::vector<std::u16string> notices;
    for (const MemoryNotice& notice : recollection.notices) notices.push_back(notice.text);
    return {recent, notices};
  }
};

TEST_P(WriteFailureTest, TheNextRunsShowEachProgramOnce) {
  const std::vector<ProgramEntry> before = {{u"Alpha", u"a"}};
  const std::vector<ProgramEntry> after = {{u"Alpha", u"a"}, {u"Bravo", u"b"}};
  Run(before);
  const std::u16string all = GetParam().dir + u"\\All.dat";
  const std::u16string recent_file = GetParam().dir + u"\\Recent.dat";
  const std::optional<std::string> all_before = files.File(all);
  const std::optional<std::string> recent_before = files.File(recent_file);
  GetParam().fault(files);
  const auto [recent, notices] = Run(after);
  EXPECT_EQ(recent, std::vector<std::u16string>{u"b"});
  EXPECT_EQ(notices, std::vector<std::u16string>{GetParam().notice});
  EXPECT_EQ(files.File(all), all_before);
  EXPECT_EQ(files.File(recent_file), recent_before);
  files.ClearFaults();
  for (const char* run : {"next", "later"}) {
    SCOPED_TRACE(run);
    const auto [recent_then, notices_then] = Run(after);
    EXPECT_EQ(recent_then, std::vector<std::u16string>{u"b"});
    EXPECT_TRUE(notices_then.empty());
  }
  EXPECT_EQ(files.File(kMachine + u"\\All.dat"), "Alpha<#>a\r\nBravo<#>b\r\n");
  EXPECT_EQ(files.File(kMachine + u"\\Recent.dat"), "Bravo\r\n");
  EXPECT_EQ(files.File(kUser + u"\\All.dat"), kHeader + "M Alpha<#>a\r\nM Bravo<#>b\r\n");
  EXPECT_EQ(files.File(kUser + u"\\Recent.dat"), kListHeader + "M Bravo<#>b\r\n");
  EXPECT_EQ(files.waited_forever(), std::vector<std::u16string>()) << "a run that never ends";
}

// Another program holds a file of the folder `dir` with an oplock it never lets go of, from the
// failing run on: a data file, with a batch oplock, which reading breaks, or a read-handle one,
// which replacing breaks; a temporary file, numbered `temp` in the failing run, once written, or
// written short and then to be removed.
void AddOplockCases(std::vector<FailureCase>& cases, const std::string& folder,
                    const std::u16string& dir, const std::string& file, const char16_t* name,
                    std::uint64_t temp) {
  const std::string what = folder + "_" + file;
  const std::u16string path = dir + u"\\" + name;
  const std::u16string temp_path = Temp(dir, temp);
  const auto held = [](const std::u16string& held_path, OplockKind kind) {
    return [held_path, kind](FakeFiles& f) { f.HoldOplock(held_path, kind); };
  };
  cases.push_back({what + "_oplocked_when_read", dir, held(path, OplockKind::kBatch),
                   InUse(u"Cannot open file", dir, name)});
  cases.push_back({what + "_temporary_oplocked_once_written", dir,
                   held(temp_path, OplockKind::kBatch), InUse(u"Cannot create file", dir, name)});
  cases.push_back({what + "_oplocked_when_replaced", dir, held(path, OplockKind::kReadHandle),
                   InUse(u"Cannot create file", dir, name)});
  cases.push_back({what + "_temporary_oplocked_when_removed", dir,
                   [temp_path](FakeFiles& f) {
                     f.ShortWrite(temp_path, 1);
                     f.HoldOplock(temp_path, OplockKind::kBatch);
                   },
                   u"Stream write error"});
}

std::vector<FailureCase> Failures() {
  std::vector<FailureCase> cases(std::begin(kFailures), std::end(kFailures));
  AddOplockCases(cases, "machine", kMachine, "all", u"All.dat", 5);
  AddOplockCases(cases, "machine", kMachine, "recent", u"Recent.dat", 6);
  AddOplockCases(cases, "user", kUser, "all", u"All.dat", 7);
  AddOplockCases(cases, "user", kUser, "recent", u"Recent.dat", 8);
  return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryFolder, WriteFailureTest, ::testing::ValuesIn(Failures()),
                         [](const auto& info) { return info.param.what; });

}  // namespace
}  // namespace velmoro
