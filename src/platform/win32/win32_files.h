#pragma once

#include <map>

#include "platform/file_api.h"
#include "platform/win32/win32_handles.h"

namespace velmoro {

class Win32Files final : public FileApi {
 public:
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
  std::u16string UserSid() override;
  std::u16string ModuleFileName() override;
  DriveKind DriveKindOf(const std::u16string& root) override;
  std::optional<std::u16string> FullPath(const std::u16string& path) override;
  std::u16string LocalAppDataFolder() override;
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
  std::u16string DescribeError(ErrorCode code) override;

 private:
  struct Held {
    UniqueHandle handle;
    std::u16string path;  // as it was reached
  };
  // A held folder; null for a number that holds none.
  const Held* Find(FolderHandle folder) const;
  // Holds an open folder under a new number.
  HeldFolder Keep(UniqueHandle folder, std::u16string path);

  OwnedMutex lock_;  // the data files' mutex while it is held
  // What each path asked of ProbePath led to, as far as it answered: an item's icon and its
  // uninstaller's mark ask of the same file.
  std::map<std::u16string, PathKind> probed_;
  // The folders held, closed when released or with this object.
  std::map<FolderHandle, Held> folders_;
  FolderHandle last_folder_ = kNoFolder;
};

}  // namespace velmoro
