#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error_codes.h"

namespace velmoro {

enum class ReadStatus {
  kOk,
  kAbsent,     // nothing of that name, or a folder
  kLink,       // a reparse point: a symbolic link, a junction or the like
  kHardLinks,  // a file with more than one name
  kFailed,     // `error` says why
  kTooLarge,   // more bytes than asked for at most: none read
};

struct ReadResult {
  ReadStatus status = ReadStatus::kOk;
  ErrorCode error = kErrorSuccess;  // when it failed
};

enum class WriteStatus { kOk, kExists, kCreateFailed, kShortWrite };

struct WriteResult {
  WriteStatus status = WriteStatus::kOk;
  ErrorCode error = kErrorSuccess;  // when creating failed
};

// A folder held open. While it is held nobody can rename, remove or replace it: the hold shares
// reading and writing, never deleting; the data files inside are reached relative to it. 0 is no
// folder.
using FolderHandle = std::uint64_t;
inline constexpr FolderHandle kNoFolder = 0;

enum class HoldStatus {
  kHeld,     // `folder` holds it
  kMissing,  // nothing of that name, or not a folder
  kLink,     // the name is a reparse point: a junction, a symbolic link or the like
  kInUse,    // another program holds it with the right to delete it (a sharing violation)
  kFailed,   // anything else; `error` says what
};

struct HeldFolder {
  HoldStatus status = HoldStatus::kFailed;
  FolderHandle folder = kNoFolder;
  ErrorCode error = kErrorSuccess;
};

// Inheritance flags of an access-control entry, as Windows stores them.
inline constexpr std::uint8_t kObjectInherit = 0x1;
inline constexpr std::uint8_t kContainerInherit = 0x2;
inline constexpr std::uint8_t kInheritOnly = 0x8;

// An access-allowed entry: a trustee by SID ("S-1-5-32-545"), the rights it grants with generic
// rights mapped to the file rights, and its inheritance flags.
struct AccessGrant {
  std::u16string trustee;
  std::uint32_t rights = 0;
  std::uint8_t inheritance = 0;
  bool operator==(const AccessGrant&) const = default;
};

// A folder's owner and discretionary access list. Denying entries only ever take rights away, so
// only the granting ones are listed; no list at all (has_dacl false) grants everyone everything.
struct FolderSecurity {
  std::u16string owner;
  bool has_dacl = true;
  bool protected_dacl = false;  // inherits nothing from the folder above
  std::vector<AccessGrant> allowed;
  bool operator==(const FolderSecurity&) const = default;
};

// Before a path, hands the rest to the file system unparsed: no "." or ".." is resolved, no "/"
// made
// "\\", and its "?" is no wildcard.
inline constexpr std::u16string_view kUnparsedPathPrefix = u"\\\\?\\";

// What a path leads to, as far as the file system answered in time.
enum class PathKind { kFile, kFolder, kAbsent, kUnknown };

// What kind of drive a root such as "C:\\" is, as GetDriveTypeW reports it.
enum class DriveKind { kFixed, kRemote, kRemovable, kOptical, kOther };

// Paths are UTF-16; file contents are bytes.
class FileApi {
 public:
  virtual ~FileApi() = default;

  // GetFileAttributesW succeeds and the attributes lack FILE_ATTRIBUTE_DIRECTORY: true only for an
  // existing entry that is not a directory. Unlike FindFirstFileW it reads no "*" or "?" as a
  // pattern.
  virtual bool FileExists(const std::u16string& path) = 0;
  // GetFileAttributesW succeeds and the attributes carry FILE_ATTRIBUTE_DIRECTORY.
  virtual bool DirectoryExists(const std::u16string& path) = 0;
  // What a path that a program's registry values name leads to, asked while the menu is up:
  // GetFileAttributesW on a worker, waited for a quarter of a second, since a path on a fixed drive
  // can lead through a directory link to a share, a sleeping disk or a cloud placeholder. kAbsent
  // only where nothing has the name; kUnknown where the answer did not come in time or says
  // nothing sure (access denied), and at once for every path once one answer has not come in time.
  virtual PathKind ProbePath(const std::u16string& path) = 0;
  // CreateDirectoryW, one level, with the permissions it inherits.
  virtual bool MakeDirectory(const std::u16string& path) = 0;
  // The common or local application-data folder, which may be a link (a profile moved to another
  // drive): CreateFileW(path, list | traverse | read attributes | read control, sharing read,
  // write and delete, FILE_FLAG_BACKUP_SEMANTICS), following a link to its target; held until
  // ReleaseFolder. What is made or opened in it goes where the handle leads.
  virtual HeldFolder HoldKnownFolder(const std::u16string& path) = 0;
  // NtCreateFile of the existing folder `name` inside the held `parent`, relative to its handle
  // (FILE_OPEN, FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT | FILE_OPEN_FOR_BACKUP_INTENT, with
  // the backup privilege enabled as far as the token holds it, so that an administrator's run opens
  // a folder whose access list shuts Administrators out): the folder itself, never what a link
  // leads to (kLink), held as HoldKnownFolder holds.
  virtual HeldFolder HoldFolderIn(FolderHandle parent, const std::u16string& name) = 0;
  // NtCreateFile of the folder `name` inside the held `parent`, relative to its handle
  // (FILE_CREATE, a directory, FILE_OPEN_REPARSE_POINT), with the discretionary access list of
  // `security`, protected (the owner is the creator's default), or where it is null with the list
  // it inherits; held as HoldKnownFolder holds. Making and opening are one step: nothing can put a
  // link in its place between them. kFailed with error 183 (ERROR_ALREADY_EXISTS) when the name is
  // taken.
  virtual HeldFolder MakeFolder(FolderHandle parent, const std::u16string& name,
                                const FolderSecurity* security) = 0;
  virtual void ReleaseFolder(FolderHandle folder) = 0;
  // GetSecurityInfo on the held folder: its owner and access list; nothing when they cannot be
  // read.
  virtual std::optional<FolderSecurity> ReadFolderSecurity(FolderHandle folder) = 0;
  // Whatever has the name `name` inside the held `parent` (opened relative to the parent's handle
  // for DELETE, a link as itself, with backup intent and the restore privilege) is renamed to
  // `aside` in the same parent, replacing nothing (NtSetInformationFile, FileRenameInformation
  // with RootDirectory). Handles that others opened before keep leading to it. Returns 0 or code.
  virtual ErrorCode MoveAside(FolderHandle parent, const std::u16string& name,
                              const std::u16string& aside) = 0;
  // GetFileInformationByHandleEx(FileAttributeTagInfo) on the held folder: still a folder and not
  // a reparse point. Write access to a folder is enough to make it a mount point while it is held.
  virtual bool IsPlainFolder(FolderHandle folder) = 0;
  // The SID of the user the program runs as, from its token ("S-1-5-21-..."); empty when it
  // cannot be read.
  virtual std::u16string UserSid() = 0;
  // GetDriveTypeW of a drive's root: asked without touching the drive.
  virtual DriveKind DriveKindOf(const std::u16string& root) = 0;
  // GetFullPathNameW: the path made full, its "." and ".." resolved and its separators made "\",
  // as the text alone gives it, touching nothing; nothing when it cannot be made.
  virtual std::optional<std::u16string> FullPath(const std::u16string& path) = 0;
  // GetModuleFileNameW of the running program.
  virtual std::u16string ModuleFileName() = 0;
  // SHGetKnownFolderPath(FOLDERID_LocalAppData): the user's own application-data folder.
  virtual std::u16string LocalAppDataFolder() = 0;

  // The files of a held folder, each opened relative to the folder's handle by NtCreateFile with
  // FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT: nothing is reached through a link, and a
  // folder that became a link after it was held leads nowhere else. Each open is made as
  // data_file_opens.h says, asking not to wait for another program's opportunistic lock: where one
  // stands in the way, the step fails at once with ERROR_SHARING_VIOLATION, as for a file held
  // open, and nothing it would have done afterwards waits either.
  //
  // Opens the file admitting other readers (and a replacing move, never a writer) and reads it
  // whole, unless it holds more than max_bytes, which are then not read. kAbsent where nothing,
  // or a folder, has the name; kLink where the name is a reparse point; kHardLinks where the
  // file has other names.
  virtual ReadResult ReadFileIn(FolderHandle folder, const std::u16string& name, std::string& bytes,
                                std::uint64_t max_bytes) = 0;
  // Creates the file only when nothing has the name (FILE_CREATE), with no sharing, writes bytes
  // in one write, flushes them to disk and closes the file. kExists when the name is taken.
  virtual WriteResult WriteNewFileIn(FolderHandle folder, const std::u16string& name,
                                     const std::string& bytes) = 0;
  // Gives `from` the name `to` in the same folder, replacing a file of that name: both are opened
  // for DELETE, unshared, so that anyone else holding either fails the step at once; the file
  // replaced is renamed aside ("~vu", 16 random hex digits, ".old"), `from` takes the free name
  // and the old file is deleted; should someone take the name in between, the step fails and the
  // old file is put back where it can be (FileRenameInformation with RootDirectory, never
  // replacing). A folder of that name is never replaced (ERROR_ACCESS_DENIED). Returns 0 or code.
  virtual ErrorCode ReplaceFileIn(FolderHandle folder, const std::u16string& from,
                                  const std::u16string& to) = 0;
  // Opens the file for DELETE, unshared, and marks the open handle for deletion
  // (FileDispositionInfo); failures, a file held elsewhere among them, are ignored.
  virtual void RemoveFileIn(FolderHandle folder, const std::u16string& name) = 0;
  // 64 bits from the system's cryptographic random source (RtlGenRandom); nothing when it fails.
  virtual std::optional<std::uint64_t> Random() = 0;
  // A machine-wide lock of the data files (a named mutex), so that copies of the program that
  // start together, by any user, read and replace the files one after the other. The mutex is
  // made with an access list that lets every interactive user wait for it, and whoever made it
  // (OWNER RIGHTS) do no more; one that exists is opened for SYNCHRONIZE only. Waits a bounded
  // time; false when the lock could not be had (a stranger may hold the name), and the caller goes
  // on without it.
  virtual bool LockDataFiles() = 0;
  virtual void UnlockDataFiles() = 0;
  // FormatMessageW's description of a platform error code, as the platform words it.
  virtual std::u16string DescribeError(ErrorCode code) = 0;
};

}  // namespace velmoro
