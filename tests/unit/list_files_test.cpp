#include "catalogue/list_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/file_error.h"
#include "platform/fake/fake_files.h"

namespace velmoro {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

constexpr char16_t kDir[] = u"C:\\Data";
constexpr char16_t kAll[] = u"C:\\Data\\All.dat";
constexpr char16_t kRecent[] = u"C:\\Data\\Recent.dat";
const std::string kOldAll = "Old<#>old.exe\r\n";
const std::string kOldRecent = "Old\r\n";

std::u16string Temp(std::uint64_t random) {
  return std::u16string(kDir) + u"\\" + TempFileName(random);
}

FolderHandle Held(FakeFiles& files) {
  return files.HoldKnownFolder(kDir).folder;
}

// What a call throws: its FileError message, or "no error".
template <typename Call>
std::u16string ErrorOf(Call call) {
  try {
    call();
  } catch (const FileError& error) {
    return error.message();
  }
  return u"no error";
}

class LoadListFileTest : public ::testing::Test {
 protected:
  LoadListFileTest() { files_.AddDirectory(kDir); }

  LoadedFile Load(const std::u16string& path) {
    return LoadListFile(files_, Held(files_), path.substr(path.rfind(u'\\') + 1), path);
  }

  FakeFiles files_;
};

TEST_F(LoadListFileTest, GivesTheBytes) {
  files_.SetFile(kAll, "A<#>a\r\nB<#>b\r\n");
  const LoadedFile file = Load(kAll);
  EXPECT_EQ(file.status, ReadStatus::kOk);
  EXPECT_EQ(file.bytes, "A<#>a\r\nB<#>b\r\n");
}

TEST_F(LoadListFileTest, AbsentFileOrDirectoryIsNotRead) {
  files_.AddDirectory(kRecent);
  EXPECT_EQ(Load(kAll).status, ReadStatus::kAbsent);
  EXPECT_EQ(Load(kRecent).status, ReadStatus::kAbsent);
  EXPECT_EQ(LoadListFile(files_, kNoFolder, u"All.dat", kAll).status, ReadStatus::kAbsent);
  for (const std::u16string& line : files_.log()) {
    EXPECT_EQ(line.find(u"ReadWholeFile"), line.npos) << "read: " << ::testing::PrintToString(line);
  }
}

// Neither a link nor a file with other names is read: through it, a user could have an
// administrator's run read or replace a file anywhere.
TEST_F(LoadListFileTest, ALinkOrAFileWithOtherNamesIsNotRead) {
  files_.SetFile(kAll, "A\r\n");
  files_.MakeLink(kAll, LinkKind::kHardLinks);
  files_.MakeLink(kRecent, LinkKind::kReparsePoint);
  EXPECT_EQ(Load(kAll).status, ReadStatus::kHardLinks);
  EXPECT_EQ(Load(kRecent).status, ReadStatus::kLink);
  EXPECT_EQ(Load(kAll).bytes, "");
}

TEST_F(LoadListFileTest, UnreadableFileGivesCannotOpen) {
  files_.SetFile(kAll, "A\r\n");
  files_.RefuseRead(kAll, kErrorSharingViolation);
  const LoadedFile file = Load(kAll);
  EXPECT_EQ(file.status, ReadStatus::kFailed);
  EXPECT_EQ(file.error,
            u"Cannot open file \"C:\\Data\\All.dat\". The process cannot access the file because "
            u"it is being used by another process");
  EXPECT_EQ(file.bytes, "");
}

// Another program's oplock on a list file answers at once: a batch one, which the read would break,
// as a file in use; a read-handle one, which reading does not break, not at all.
TEST_F(LoadListFileTest, AnOplockOnTheFileNeverMakesTheReadWait) {
  files_.SetFile(kAll, "A\r\n");
  files_.SetFile(kRecent, "A\r\n");
  files_.HoldOplock(kAll, OplockKind::kBatch);
  files_.HoldOplock(kRecent, OplockKind::kReadHandle);
  EXPECT_EQ(Load(kAll).error,
            u"Cannot open file \"C:\\Data\\All.dat\". The process cannot access the file because "
            u"it is being used by another process");
  EXPECT_EQ(Load(kRecent).bytes, "A\r\n");
  EXPECT_THAT(files_.waited_forever(), IsEmpty());
}

// The limit itself, not the constant on both sides: 64 MiB is read, a byte more is not.
TEST_F(LoadListFileTest, AFileLargerThanTheLimitIsNotRead) {
  files_.SetLargeFile(kAll, 64 * 1024 * 1024 + 1);
  EXPECT_EQ(Load(kAll).status, ReadStatus::kTooLarge);
  files_.SetLargeFile(kAll, 64 * 1024 * 1024);
  EXPECT_EQ(Load(kAll).status, ReadStatus::kOk);
}

// Descriptions as a platform might word them.
class WordedFiles : public FakeFiles {
 public:
  std::u16string description;
  std::u16string DescribeError(std::uint32_t) override { return description; }
};

TEST(DescriptionTest, TrailingBlanksLineBreaksAndPeriodsAreRemoved) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"Access is denied.\r\n", u"Access is denied"},
      {u"Odd. .\t. \r\n", u"Odd"},
      {u"v1.2 failed", u"v1.2 failed"},
      {u" Leading kept.", u" Leading kept"},
      {u"Доступ запрещён.\r\n", u"Доступ запрещён"},
      {u"...\r\n", u""},
      {u"", u""},
  };
  for (const auto& [worded, shown] : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::u16string(worded)));
    WordedFiles files;
    files.description = worded;
    files.AddDirectory(kDir);
    files.SetFile(kAll, "");
    files.RefuseRead(kAll, 1);
    EXPECT_EQ(LoadListFile(files, Held(files), u"All.dat", kAll).error,
              std::u16string(u"Cannot open file \"C:\\Data\\All.dat\". ") + shown);
  }
}

class SaveListFilesTest : public ::testing::Test {
 protected:
  SaveListFilesTest() {
    files_.AddDirectory(kDir);
    files_.SetFile(kAll, kOldAll);
    files_.SetFile(kRecent, kOldRecent);
  }

  void Save(const std::string* old_recent = &kOldRecent) {
    SaveListFiles(files_, Held(files_), kDir, "A<#>a.exe\r\nB<#>b.exe\r\n", "B\r\n\r\n",
                  old_recent);
  }

  FakeFiles files_;
};

TEST_F(SaveListFilesTest, ReplacesBothFilesWithCrLfLinesAndLeavesNoTemporaryFile) {
  Save();
  EXPECT_EQ(files_.File(kAll), "A<#>a.exe\r\nB<#>b.exe\r\n");
  EXPECT_EQ(files_.File(kRecent), "B\r\n\r\n");
  EXPECT_THAT(files_.FilePaths(), UnorderedElementsAre(kAll, kRecent));
}

// A file whose text did not change is not written at all.
TEST_F(SaveListFilesTest, OnlyTheFilesGivenAreReplaced) {
  const FolderHandle folder = Held(files_);
  SaveListFiles(files_, folder, kDir, std::nullopt, "", &kOldRecent);
  EXPECT_EQ(files_.File(kAll), kOldAll);
  EXPECT_EQ(files_.File(kRecent), "");
  const std::string empty;
  SaveListFiles(files_, folder, kDir, "", std::nullopt, &empty);
  EXPECT_EQ(files_.File(kAll), "");
  EXPECT_EQ(files_.files_written(), 2);
  SaveListFiles(files_, folder, kDir, std::nullopt, std::nullopt, &empty);
  EXPECT_EQ(files_.files_written(), 2);
}

// The new texts go to files of unpredictable names, created only where no file has the name: a
// name someone took beforehand is passed over, and whoever takes every name stops the writing but
// loses nothing.
TEST_F(SaveListFilesTest, TemporaryNamesAreRandomAndNeverOpenAnExistingFile) {
  EXPECT_EQ(TempFileName(0x0123456789abcdefull), u"~vu0123456789abcdef.tmp");
  files_.SetFile(Temp(1), "planted");
  Save();
  EXPECT_EQ(files_.File(Temp(1)), "planted");
  EXPECT_EQ(files_.File(kAll), "A<#>a.exe\r\nB<#>b.exe\r\n");

  FakeFiles taken;
  taken.AddDirectory(kDir);
  for (std::uint64_t n = 1; n <= 16; ++n) taken.SetFile(Temp(n), "");
  EXPECT_EQ(ErrorOf([&] { SaveListFiles(taken, Held(taken), kDir, "A<#>a\r\n", "", nullptr); }),
            u"Cannot create file \"C:\\Data\\All.dat\". ");
  EXPECT_EQ(taken.FilePaths().size(), 16u);
}

TEST_F(SaveListFilesTest, MovesRecentBeforeAll) {
  Save();
  std::vector<std::u16string> moves;
  for (const std::u16string& line : files_.log()) {
    if (line.rfind(u"ReplaceFileIn ", 0) == 0) moves.push_back(line.substr(line.find(u" -> ") + 4));
  }
  EXPECT_THAT(moves, ElementsAre(kRecent, kAll));
}

struct SaveFailure {
  const char* what;
  void (*arrange)(FakeFiles& files);
  std::u16string message;
};

void PrintTo(const SaveFailure& c, std::ostream* os) {
  *os << c.what;
}

// The first temporary file made holds the new "All.dat", the second the new "Recent.dat".
const SaveFailure kSaveFailures[] = {
    {"first_temporary_not_made", [](FakeFiles& f) { f.FailNewFiles(kDir, kErrorAccessDenied); },
     u"Cannot create file \"C:\\Data\\All.dat\". Access is denied"},
    {"second_temporary_not_made", [](FakeFiles& f) { f.FailNewFiles(kDir, kErrorAccessDenied, 1); },
     u"Cannot create file \"C:\\Data\\Recent.dat\". Access is denied"},
    {"all_temporary_not_created_for_writing",
     [](FakeFiles& f) { f.RefuseCreate(Temp(1), kErrorSharingViolation); },
     u"Cannot create file \"C:\\Data\\All.dat\". The process cannot access the file because it is "
     u"being used by another process"},
    {"recent_temporary_not_created_for_writing",
     [](FakeFiles& f) { f.RefuseCreate(Temp(2), kErrorAccessDenied); },
     u"Cannot create file \"C:\\Data\\Recent.dat\". Access is denied"},
    {"all_written_short", [](FakeFiles& f) { f.ShortWrite(Temp(1), 3); }, u"Stream write error"},
    {"recent_written_short", [](FakeFiles& f) { f.ShortWrite(Temp(2), 0); }, u"Stream write error"},
    {"recent_not_replaced", [](FakeFiles& f) { f.FailMove(kRecent, kErrorSharingViolation); },
     u"Cannot create file \"C:\\Data\\Recent.dat\". The process cannot access the file because it "
     u"is being used by another process"},
    {"all_not_replaced_after_recent_was",
     [](FakeFiles& f) { f.FailMove(kAll, kErrorAccessDenied); },
     u"Cannot create file \"C:\\Data\\All.dat\". Access is denied"},
    // Replacing a file breaks the oplocks of those who hold it, and waits for them.
    {"recent_held_with_a_read_handle_oplock",
     [](FakeFiles& f) { f.HoldOplock(kRecent, OplockKind::kReadHandle); },
     u"Cannot create file \"C:\\Data\\Recent.dat\". The process cannot access the file because it "
     u"is being used by another process"},
    {"all_held_with_a_read_handle_oplock_after_recent_was_replaced",
     [](FakeFiles& f) { f.HoldOplock(kAll, OplockKind::kReadHandle); },
     u"Cannot create file \"C:\\Data\\All.dat\". The process cannot access the file because it "
     u"is being used by another process"},
    {"recent_held_with_a_batch_oplock",
     [](FakeFiles& f) { f.HoldOplock(kRecent, OplockKind::kBatch); },
     u"Cannot create file \"C:\\Data\\Recent.dat\". The process cannot access the file because it "
     u"is being used by another process"},
    {"folder_standing_where_recent_goes",
     [](FakeFiles& f) {
       f.EraseFile(kRecent);
       f.AddDirectory(kRecent);
     },
     u"Cannot create file \"C:\\Data\\Recent.dat\". Access is denied"},
};

class SaveListFilesFailureTest : public ::testing::TestWithParam<SaveFailure> {};

TEST_P(SaveListFilesFailureTest, ReportsTheRealFileAndLeavesBothUnchanged) {
  FakeFiles files;
  files.AddDirectory(kDir);
  files.SetFile(kAll, kOldAll);
  files.SetFile(kRecent, kOldRecent);
  GetParam().arrange(files);
  const std::optional<std::string> old_recent = files.File(kRecent);

  EXPECT_EQ(ErrorOf([&] {
              SaveListFiles(files, Held(files), kDir, "New<#>n\r\n", "New\r\n",
                            old_recent ? &*old_recent : nullptr);
            }),
            GetParam().message);
  EXPECT_EQ(files.File(kAll), kOldAll);
  EXPECT_EQ(files.File(kRecent), old_recent);
  std::vector<std::u16string> expected_files = {kAll};
  if (old_recent) expected_files.push_back(kRecent);
  EXPECT_THAT(files.FilePaths(), ::testing::UnorderedElementsAreArray(expected_files));
  EXPECT_THAT(files.waited_forever(), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(FailingSteps, SaveListFilesFailureTest, ::testing::ValuesIn(kSaveFailures),
                         [](const auto& info) { return std::string(info.param.what); });

TEST_F(SaveListFilesTest, RecentMadeByThisRunIsRemovedWhenAllCannotBeReplaced) {
  files_.EraseFile(kRecent);
  files_.FailMove(kAll, kErrorAccessDenied);
  EXPECT_EQ(ErrorOf([&] { Save(nullptr); }),
            u"Cannot create file \"C:\\Data\\All.dat\". Access is denied");
  EXPECT_EQ(files_.File(kAll), kOldAll);
  EXPECT_EQ(files_.File(kRecent), std::nullopt);
  EXPECT_THAT(files_.FilePaths(), ElementsAre(kAll));
}

TEST_F(SaveListFilesTest, MissingDataDirectoryGivesCannotCreateAndNoFile) {
  FakeFiles files;
  files.AddDirectory(u"C:");
  EXPECT_EQ(ErrorOf([&] { SaveListFiles(files, kNoFolder, kDir, "A<#>a\r\n", "", nullptr); }),
            u"Cannot create file \"C:\\Data\\All.dat\". The system cannot find the path specified");
  EXPECT_THAT(files.FilePaths(), IsEmpty());
}

// A user who may create files in the data folder can empty it and make it a mount point while it
// is held: what is written relative to the held folder still lands in it, never at the target.
TEST_F(SaveListFilesTest, AFolderMadeAMountPointAfterItWasHeldLeadsNowhereElse) {
  files_.AddDirectory(u"C:\\Elsewhere");
  const FolderHandle folder = Held(files_);
  files_.RemoveFileIn(folder, u"All.dat");
  files_.RemoveFileIn(folder, u"Recent.dat");
  ASSERT_TRUE(files_.MakeMountPoint(kDir, u"C:\\Elsewhere"));
  EXPECT_FALSE(files_.IsPlainFolder(folder));
  SaveListFiles(files_, folder, kDir, "A<#>a\r\n", "A\r\n", nullptr);
  for (const std::u16string& path : files_.FilePaths()) {
    EXPECT_EQ(path.rfind(u"C:\\Elsewhere", 0), path.npos) << ::testing::PrintToString(path);
  }
  EXPECT_FALSE(files_.FileExists(u"C:\\Elsewhere\\All.dat"));
}

}  // namespace
}  // namespace velmoro
