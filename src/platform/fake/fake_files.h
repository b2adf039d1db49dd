#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/data_file_opens.h"
#include "platform/file_api.h"

namespace velmoro {

// How a name may lead somewhere other than where it names.
enum class LinkKind {
  kReparsePoint,  // a junction, symbolic link or other reparse point
  kHardLinks,     // a file with more than one name
};

// The opportunistic locks another program can hold on a file (FSCTL_REQUEST_OPLOCK).
enum class OplockKind {
  kBatch,       // broken by any other open that reads, writes or deletes
  kReadHandle,  // broken by an open that its holder's handle would refuse: a sharing violation
};

// An in-memory file system: files (path to bytes) and directories, paths compared with ASCII
// letter case ignored. A path without a separator, or whose only separator is its first
// character, lies in the current folder or at the root of the current drive, which always exist.
// Folders have an owner and an access list, and can be held: a held folder cannot be renamed
// away, as the platform's sharing without delete access makes it. What is done relative to a
// held folder is done in that folder, whatever its path has come to lead to since; a path given
// whole goes through mount points. Random() counts 1, 2, 3... Faults are injected per path; every
// call is logged as "<Operation> <path>", a relative one with the path of its folder as held.
class FakeFiles : public FileApi {
 public:
  // Adds the directory and every directory above it, owned by Administrators, granting no one
  // else anything.
  void AddDirectory(const std::u16string& path);
  void SetFile(const std::u16string& path, const std::string& bytes);
  void EraseFile(const std::u16string& path) { files_.erase(Key(path)); }
  // A file whose size is reported as `size` (its bytes are not kept).
  void SetLargeFile(const std::u16string& path, std::uint64_t size);
  // The file's bytes, or nothing when there is no file of that name.
  std::optional<std::string> File(const std::u16string& path) const;
  // Every file, by path as last written.
  std::vector<std::u16string> FilePaths() const;
  // The access list a folder was made with by MakeFolder; nothing for one made otherwise, or
  // with the list it inherits.
  std::optional<FolderSecurity> MadeWith(const std::u16string& path) const;
  // A folder's owner and access list as they stand.
  std::optional<FolderSecurity> SecurityOf(const std::u16string& path) const;
  void SetSecurity(const std::u16string& path, const FolderSecurity& security);
  // Moves a folder and everything in it, as a user who may do so would; false while any of it
  // is held.
  bool RenameFolder(const std::u16string& from, const std::u16string& to);
  // Turns the empty folder into a mount point leading to target, as a user with write access to
  // it may do while it is held. False when the folder is missing or not empty.
  bool MakeMountPoint(const std::u16string& path, const std::u16string& target);
  // Runs inside each read of an existing file, before it reads: what another program does
  // meanwhile.
  std::function<void(const std::u16string& path)> on_read;

  void DenyMakeDirectory(const std::u16string& path) { denied_dirs_.insert(Key(path)); }
  // The folder, and what is in it, lies behind a link to a share or a sleeping disk: a probe of it
  // does not answer in time, and none is asked after it.
  void AnswerSlowly(const std::u16string& folder) { slow_folders_.push_back(Key(folder)); }
  // Another program holds the folder with the right to delete it.
  void HoldElsewhere(const std::u16string& path) { held_elsewhere_.insert(Key(path)); }
  // MoveAside fails with code.
  void RefuseMoveAside(ErrorCode code) { move_aside_refused_ = code; }
  // Random() fails from now on.
  void FailRandom() { random_fails_ = true; }
  // Another copy of the program makes path just before MakeDirectory does, which then fails.
  void MadeMeanwhile(const std::u16string& path) { made_meanwhile_.insert(Key(path)); }
  // The name at path is a link of that kind: a folder reached by a path given whole or as a
  // known folder is followed; a folder or file reached by its name in a held folder is not.
  void MakeLink(const std::u16string& path, LinkKind kind) { links_[Key(path)] = kind; }
  void RefuseRead(const std::u16string& path, ErrorCode code) { refused_reads_[Key(path)] = code; }
  // WriteNewFileIn cannot create path.
  void RefuseCreate(const std::u16string& path, ErrorCode code) {
    refused_creates_[Key(path)] = code;
  }
  // WriteNewFileIn writes only the first `bytes` bytes to path.
  void ShortWrite(const std::u16string& path, std::size_t bytes) {
    short_writes_[Key(path)] = bytes;
  }
  // WriteNewFileIn in dir fails with code once `successes` files have been made there.
  void FailNewFiles(const std::u16string& dir, ErrorCode code, int successes = 0) {
    new_file_failure_ = NewFileFailure{Key(dir), code, successes};
  }
  // ReplaceFileIn onto `to` fails with code.
  void FailMove(const std::u16string& to, ErrorCode code) { failed_moves_[Key(to)] = code; }
  // Another program holds the file at path open, reading it and sharing everything, with an oplock
  // of that kind, and never acknowledges its break. A name nothing has yet gets it as soon as a
  // file made there is closed. What an open asks (data_file_opens.h) decides, as Windows
  // documents it: an open the oplock does not stand in the way of goes on; one it does either
  // answers at once as in use (complete_if_oplocked) or would wait for ever.
  void HoldOplock(const std::u16string& path, OplockKind kind) { oplocks_[Key(path)] = kind; }
  // The steps that would have waited for ever for an oplock's holder ("<step> <path>"); each then
  // went on as if the file were in use.
  const std::vector<std::u16string>& waited_forever() const { return waited_forever_; }
  // Every fault injected per path or folder above is gone: the next run finds the files as a
  // fault left them, and nothing in their way.
  void ClearFaults();
  // LockDataFiles cannot have the lock (another copy holds it past the wait).
  void RefuseLock() { lock_refused_ = true; }
  bool lock_held() const { return lock_held_; }
  std::size_t folders_held() const { return holds_.size(); }

  const std::vector<std::u16string>& log() const { return log_; }
  // Files made by WriteNewFileIn, counted over the whole life of the fake.
  int files_written() const { return new_files_made_; }

  // The user whose program runs keeps their own files here.
  std::u16string local_app_data = u"C:\\Users\\Ann\\AppData\\Local";
  // The owner of the folders MakeFolder makes: an elevated run's default.
  std::u16string creator = u"S-1-5-32-544";
  // The user whose program runs.
  std::u16string user_sid = u"S-1-5-21-1000-2000-3000-500";

  bool FileExists(const std::u16string& path) override;
  bool DirectoryExists(const std::u16string& path) override;
  PathKind ProbePath(const std::u16string& path) override;
  bool MakeDirectory(const std::u16string& path) override;
  HeldFolder HoldKnownFolder(const std::u16string& path) override;
  HeldFolder HoldFolderIn(FolderHandle parent, const std::u16string& name) override;
  HeldFolder MakeFolder(FolderHandle parent, const std::u16string& name,
                        const FolderSecurity* security) override;
  void ReleaseFolder(FolderHandle folder) override;
  std::optional<FolderSecurity> ReadFolderSecurity(FolderHandle folder) override;
  ErrorCode MoveAside(FolderHandle parent, const std::u16string& name,
                      const std::u16string& aside) override;
  bool IsPlainFolder(FolderHandle folder) override;
  std::u16string UserSid() override { return user_sid; }
  std::u16string ModuleFileName() override {
    return u"C:\\Program Files\\Velmoro Uninstaller\\VelmoroUninstaller.exe";
  }
  std::u16string LocalAppDataFolder() override { return local_app_data; }
  DriveKind DriveKindOf(const std::u16string& root) override;
  // Of "X:\..." paths only, others given back as they are; not logged, as it touches nothing.
  // Like Windows 11's, it leaves a device name in a folder ("C:\x\COM1") as it is.
  std::optional<std::u16string> FullPath(const std::u16string& path) override;
  // The kind of a drive, by its letter in upper case; fixed where none is given.
  std::map<char16_t, DriveKind> drives;
  ReadResult ReadFileIn(FolderHandle folder, const std::u16string& name, std::string& bytes,
                        std::uint64_t max_bytes) override;
  WriteResult WriteNewFileIn(FolderHandle folder, const std::u16string& name,
                             const std::string& bytes) override;
  ErrorCode ReplaceFileIn(FolderHandle folder, const std::u16string& from,
                          const std::u16string& to) override;
  void RemoveFileIn(FolderHandle folder, const std::u16string& name) override;
  std::optional<std::uint64_t> Random() override;
  bool LockDataFiles() override;
  void UnlockDataFiles() override;
  // "Access is denied.\r\n" and the like for the codes above; "" for any other.
  std::u16string DescribeError(ErrorCode code) override;

 private:
  struct StoredFile {
    std::u16string path;
    std::string bytes;
    std::optional<std::uint64_t> size;  // reported instead of the bytes' size
  };
  struct Folder {
    FolderSecurity security;
    std::optional<FolderSecurity> made_with;
  };
  struct NewFileFailure {
    std::u16string dir;
    ErrorCode code;
    int successes;
  };

  static std::u16string Key(const std::u16string& path);
  static std::u16string Parent(const std::u16string& path);
  bool IsDirectory(const std::u16string& path) const;
  bool FolderAt(const std::u16string& path) const;
  bool IsLink(const std::u16string& path, LinkKind kind) const;
  // A path given whole, through the mount points on its way.
  std::u16string Resolved(const std::u16string& path) const;
  // The folder of a hold, by its path as given.
  const std::u16string* HeldPath(FolderHandle folder) const;
  // `name` inside a held folder; null when the folder is not held.
  std::optional<std::u16string> PathIn(FolderHandle folder, const std::u16string& name) const;
  HeldFolder Hold(const std::u16string& path);
  // The error an oplock on the existing file at path gives the step opening it as `how` says;
  // nothing where no oplock stands in the way.
  std::optional<ErrorCode> MeetOplock(const std::u16string& path, const FileOpen& how,
                                      const char16_t* step);
  void Log(const char16_t* operation, const std::u16string& path);

  std::vector<std::u16string> slow_folders_;
  bool probes_stalled_ = false;
  std::map<std::u16string, StoredFile> files_;
  std::map<std::u16string, Folder> dirs_;
  std::map<FolderHandle, std::u16string> holds_;
  FolderHandle next_hold_ = 1;
  std::set<std::u16string> held_elsewhere_;
  ErrorCode move_aside_refused_ = kErrorSuccess;
  bool random_fails_ = false;
  std::set<std::u16string> denied_dirs_;
  std::set<std::u16string> made_meanwhile_;
  std::map<std::u16string, LinkKind> links_;
  std::map<std::u16string, std::u16string> mounts_;  // mount point to target
  std::map<std::u16string, std::uint32_t> refused_reads_;
  std::map<std::u16string, std::uint32_t> refused_creates_;
  std::map<std::u16string, std::size_t> short_writes_;
  std::map<std::u16string, std::uint32_t> failed_moves_;
  std::optional<NewFileFailure> new_file_failure_;
  std::map<std::u16string, OplockKind> oplocks_;
  std::vector<std::u16string> waited_forever_;
  int new_files_made_ = 0;
  std::uint64_t random_ = 0;
  bool lock_refused_ = false;
  bool lock_held_ = false;
  std::vector<std::u16string> log_;
};

}  // namespace velmoro
