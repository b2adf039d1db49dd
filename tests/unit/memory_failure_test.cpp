// A run whose data files cannot be read or replaced in one folder, then runs without the fault: the
// program found new in the failing run stands once in "Recent Programs", and none is lost.
#include <gtest/gtest.h>

#include <functional>

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
  const char* what;
  std::function<void(FakeFiles&)> fault;
  std::u16string notice;
};

void PrintTo(const FailureCase& c, std::ostream* out) {
  *out << c.what;
}

std::u16string CannotCreate(const std::u16string& dir, const char16_t* name) {
  return u"Cannot create file \"" + dir + u"\\" + name + u"\". Access is denied";
}

// Random() counts on from run to run: in the failing run, the machine's temporary files are
// numbered 5 ("All.dat") and 6, the user's 7 and 8.
const FailureCase kFailures[] = {
    {"machine_temporary_not_made",
     [](FakeFiles& f) { f.FailNewFiles(kMachine, kErrorAccessDenied); },
     CannotCreate(kMachine, u"All.dat")},
    {"machine_all_written_short", [](FakeFiles& f) { f.ShortWrite(Temp(kMachine, 5), 2); },
     u"Stream write error"},
    {"machine_recent_not_replaced",
     [](FakeFiles& f) { f.FailMove(kMachine + u"\\Recent.dat", kErrorAccessDenied); },
     CannotCreate(kMachine, u"Recent.dat")},
    {"machine_all_not_replaced",
     [](FakeFiles& f) { f.FailMove(kMachine + u"\\All.dat", kErrorAccessDenied); },
     CannotCreate(kMachine, u"All.dat")},
    {"machine_all_unreadable",
     [](FakeFiles& f) { f.RefuseRead(kMachine + u"\\All.dat", kErrorAccessDenied); },
     u"Cannot open file \"" + kMachine + u"\\All.dat\". Access is denied"},
    {"user_temporary_not_made", [](FakeFiles& f) { f.FailNewFiles(kUser, kErrorAccessDenied); },
     CannotCreate(kUser, u"All.dat")},
    {"user_recent_written_short", [](FakeFiles& f) { f.ShortWrite(Temp(kUser, 8), 0); },
     u"Stream write error"},
    {"user_recent_not_replaced",
     [](FakeFiles& f) { f.FailMove(kUser + u"\\Recent.dat", kErrorAccessDenied); },
     CannotCreate(kUser, u"Recent.dat")},
    {"user_all_not_replaced",
     [](FakeFiles& f) { f.FailMove(kUser + u"\\All.dat", kErrorAccessDenied); },
     CannotCreate(kUser, u"All.dat")},
    {"user_all_unreadable",
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
    memory.EnsureDataDir();
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
  GetParam().fault(files);
  const auto [recent, notices] = Run(after);
  EXPECT_EQ(recent, std::vector<std::u16string>{u"b"});
  EXPECT_EQ(notices, std::vector<std::u16string>{GetParam().notice});
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
}

INSTANTIATE_TEST_SUITE_P(EveryFolder, WriteFailureTest, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace velmoro
