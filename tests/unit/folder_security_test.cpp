// The machine's shared data folders against a user who made them first, or opened them to others:
// what counts as secure, and what an administrator's run and a user's run do about it.
#include "catalogue/folder_security.h"

#include <gtest/gtest.h>

#include "catalogue/program_memory.h"
#include "platform/fake/fake_machine.h"

namespace velmoro {
namespace {

const std::u16string kSystem = u"S-1-5-18";
const std::u16string kAdmins = u"S-1-5-32-544";
const std::u16string kUsers = u"S-1-5-32-545";
const std::u16string kOwnerRights = u"S-1-3-4";
const std::u16string kEveryone = u"S-1-1-0";
const std::u16string kCreatorOwner = u"S-1-3-0";
const std::u16string kMallory = u"S-1-5-21-1000-2000-3000-1001";
// The administrator whose elevated run checks the folders.
const std::u16string kAdministrator = u"S-1-5-21-1000-2000-3000-500";
constexpr std::uint32_t kFull = 0x1F01FF;
constexpr std::uint8_t kAll = kObjectInherit | kContainerInherit;

// What a folder made in C:\ProgramData by a user's own run inherits.
FolderSecurity MadeByMallory() {
  return {kMallory,
          true,
          false,
          {{kSystem, kFull, kAll},
           {kAdmins, kFull, kAll},
           {kCreatorOwner, kFull, kAll | kInheritOnly},
           {kMallory, kFull, 0},
           {kUsers, 0x1200a9, kAll},
           {kUsers, 0x100116, kContainerInherit}}};
}

FolderSecurity With(FolderSecurity security, std::u16string owner) {
  security.owner = std::move(owner);
  return security;
}

FolderSecurity Granting(FolderSecurity security, AccessGrant grant) {
  security.allowed.push_back(std::move(grant));
  return security;
}

struct SecureCase {
  const char* what;
  FolderSecurity actual;
  bool secure;
};

void PrintTo(const SecureCase& c, std::ostream* out) {
  *out << c.what;
}

const SecureCase kSecureCases[] = {
    {"as_made", DataFolderSecurity(), true},
    {"owned_by_system", With(DataFolderSecurity(), kSystem), true},
    {"owned_by_trusted_installer",
     With(DataFolderSecurity(), u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"),
     true},
    {"fewer_rights_for_users",
     {kAdmins, true, true, {{kAdmins, kFull, kAll}, {kUsers, 0x1, 0}}},
     true},
    {"administrators_granted_more", Granting(DataFolderSecurity(), {kAdmins, kFull, 0}), true},
    {"owned_by_a_user", With(DataFolderSecurity(), kMallory), false},
    {"made_by_a_users_run", MadeByMallory(), false},
    {"no_access_list", {kAdmins, false, true, {}}, false},
    {"everyone_may_read", Granting(DataFolderSecurity(), {kEveryone, 0x1200a9, kAll}), true},
    {"everyone_may_add_files", Granting(DataFolderSecurity(), {kEveryone, 0x2, 0}), false},
    {"users_may_delete_the_folder", Granting(DataFolderSecurity(), {kUsers, 0x10000, 0}), false},
    {"owner_may_repermission_files",
     Granting(DataFolderSecurity(), {kOwnerRights, 0x40000, kObjectInherit | kInheritOnly}), false},
    {"users_inherit_more_in_folders_made_there",
     Granting(DataFolderSecurity(), {kUsers, 0x1200ab, kContainerInherit | kInheritOnly}), false},
    // As Wine reports every folder: the running user owns it, with SYSTEM full control.
    {"the_administrators_own",
     {kAdministrator, true, false, {{kSystem, kFull, kAll}, {kAdministrator, kFull, kAll}}},
     true},
};

class IsSecureFolderTest : public ::testing::TestWithParam<SecureCase> {};

TEST_P(IsSecureFolderTest, OwnerAndGrantsAgainstTheProtectedList) {
  EXPECT_EQ(IsSecureFolder(GetParam().actual, DataFolderSecurity(), kAdministrator),
            GetParam().secure);
}

INSTANTIATE_TEST_SUITE_P(Folders, IsSecureFolderTest, ::testing::ValuesIn(kSecureCases),
                         [](const auto& info) { return std::string(info.param.what); });

const std::u16string kVendorDir = u"C:\\ProgramData\\Quinsett";
const std::u16string kDataDir = FakeMachine::kDataDir;

struct TakeBackCase {
  const char* what;
  bool elevated;
  bool vendor_insecure;  // else only the data folder
  bool move_refused;
  // Afterwards: the folder renamed aside, or none; a box; the files written.
  std::u16string aside;
  std::vector<std::u16string> notices;
  bool written;
};

void PrintTo(const TakeBackCase& c, std::ostream* out) {
  *out << c.what;
}

const std::u16string kAside = u".~0000000000000001";

const TakeBackCase kTakeBackCases[] = {
    {"administrator", true, true, false, kVendorDir + kAside, {}, true},
    {"administrator_data_folder_only", true, false, false, kDataDir + kAside, {}, true},
    {"user", false, true, false, u"", {}, true},
    {"administrator_refused",
     true,
     true,
     true,
     u"",
     {u"The data folder is not used: \"" + kVendorDir +
      u"\" belongs to someone else and could not be taken back."},
     false},
};

class TakeBackTest : public ::testing::TestWithParam<TakeBackCase>, protected FakeMachine {};

// A user made the folders before the first administrator's run, and left a snapshot in them. Taken
// back, they go aside whole, with every handle the user opened before, and fresh ones take their
// place: the run starts a memory of its own there, finding nothing new.
TEST_P(TakeBackTest, OnlyAnAdministratorsRunTakesTheFoldersBack) {
  files.AddDirectory(kDataDir);
  files.SetFile(FakeMachine::DataFile(u"All.dat"), "\r\n");
  if (GetParam().vendor_insecure) files.SetSecurity(kVendorDir, MadeByMallory());
  files.SetSecurity(kDataDir, MadeByMallory());
  process.elevated = GetParam().elevated;
  if (GetParam().move_refused) files.RefuseMoveAside(kErrorAccessDenied);
  Platform services = platform();
  ProgramMemory memory(services);
  const Recollection recollection = memory.Update({{u"Alpha", u"a.exe"}}, true);

  std::vector<std::u16string> notices;
  for (const MemoryNotice& notice : recollection.notices) notices.push_back(notice.text);
  EXPECT_EQ(notices, GetParam().notices);
  const bool taken_back = !GetParam().aside.empty();
  if (taken_back) {
    EXPECT_EQ(files.SecurityOf(GetParam().aside), MadeByMallory());
    EXPECT_EQ(
        files.File(GetParam().aside +
                   (GetParam().vendor_insecure ? u"\\Velmoro Uninstaller\\All.dat" : u"\\All.dat")),
        "\r\n");
    EXPECT_EQ(files.MadeWith(kDataDir), DataFolderSecurity());
    EXPECT_TRUE(recollection.recent.empty()) << "nothing is new to a fresh memory";
  } else {
    EXPECT_EQ(files.SecurityOf(kDataDir), MadeByMallory());
  }
  EXPECT_EQ(files.MadeWith(kVendorDir).has_value(), taken_back && GetParam().vendor_insecure);
  EXPECT_EQ(files.File(FakeMachine::DataFile(u"All.dat")),
            GetParam().written ? "Alpha<#>a.exe\r\n" : "\r\n");
  EXPECT_EQ(files.folders_held(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Runs, TakeBackTest, ::testing::ValuesIn(kTakeBackCases),
                         [](const auto& info) { return std::string(info.param.what); });

// Write access to the data folder is enough to make it a mount point while it is held: the run
// looks at it once more just before writing, and writes nothing, here or at the target.
TEST(HeldFolderTest, AFolderMadeAMountPointBeforeTheWriteGetsNothing) {
  FakeMachine machine;
  machine.files.AddDirectory(kDataDir);
  machine.files.AddDirectory(u"C:\\Windows\\System32");
  machine.files.SetFile(FakeMachine::DataFile(u"All.dat"), "\r\n");
  machine.files.on_read = [&](const std::u16string& path) {
    if (path.find(u"Recent.dat") == path.npos) return;
    machine.files.EraseFile(FakeMachine::DataFile(u"All.dat"));
    machine.files.EraseFile(FakeMachine::DataFile(u"Recent.dat"));
    machine.files.MakeMountPoint(kDataDir, u"C:\\Windows\\System32");
  };
  machine.files.SetFile(FakeMachine::DataFile(u"Recent.dat"), "");
  Platform services = machine.platform();
  ProgramMemory memory(services);
  const Recollection recollection = memory.Update({{u"Alpha", u"a.exe"}}, true);
  ASSERT_FALSE(recollection.notices.empty());
  EXPECT_EQ(recollection.notices[0].text,
            u"The data folder is not used: \"" + kDataDir + u"\" is a link to another place.");
  for (const std::u16string& path : machine.files.FilePaths()) {
    EXPECT_EQ(path.rfind(kDataDir, 0), path.npos) << "written: " << ::testing::PrintToString(path);
    EXPECT_EQ(path.rfind(u"C:\\Windows", 0), path.npos) << ::testing::PrintToString(path);
  }
}

// The folders are held from their check to the last write: a user who tries to rename the data
// folder away meanwhile, to put a link in its place, cannot.
TEST(HeldFolderTest, TheDataFolderCannotBeSwappedAfterItsCheck) {
  FakeMachine machine;
  machine.files.AddDirectory(kDataDir);
  machine.files.SetFile(FakeMachine::DataFile(u"All.dat"), "\r\n");
  std::vector<bool> renamed;
  machine.files.on_read = [&](const std::u16string&) {
    renamed.push_back(machine.files.RenameFolder(kDataDir, kDataDir + u" (old)"));
    renamed.push_back(machine.files.RenameFolder(kVendorDir, kVendorDir + u" (old)"));
  };
  Platform services = machine.platform();
  ProgramMemory memory(services);
  memory.Update({{u"Alpha", u"a.exe"}}, true);
  EXPECT_EQ(renamed, (std::vector<bool>{false, false}));
  EXPECT_EQ(machine.files.File(FakeMachine::DataFile(u"All.dat")), "Alpha<#>a.exe\r\n");
  // Once the run is over, the folders are the user's to move again, as the platform allows.
  EXPECT_TRUE(machine.files.RenameFolder(kDataDir, kDataDir + u" (old)"));
}

}  // namespace
}  // namespace velmoro
