#pragma once

#include <map>

#include "platform/file_api.h"
#include "platform/win32/win32_handles.h"

namespace velmoro {

class Win32Files final : public FileApi {
 public:
  bool FileExists(const std::u16string& path) override;
  bool DirectoryExists(const std::u16string& path) override;
  bool MakeDirectory(const std::u16string& path) override;
  HeldFolder HoldFolder(const std::u16string& path) override;
  HeldFolder MakeFolder(FolderHandle parent, const std::u16string& name,
                        const FolderSecurity* security) override;
  void ReleaseFolder(FolderHandle folder) override;
  std::optional<FolderSecurity> ReadFolderSecurity(FolderHandle folder) override;
  bool ResetFolderSecurity(FolderHandle folder, const FolderSecurity& security) override;
  LinkKind LinkAt(const std::u16string& path) override;
  std::u16string ModuleFileName() override;
  DriveKind DriveKindOf(const std::u16string& root) override;
  std::optional<std::u16string> FullPath(const std::u16string& path) override;
  std::u16string LocalAppDataFolder() override;
  ReadResult ReadWholeFile(const std::u16string& path, std::string& bytes,
                           std::uint64_t max_bytes) override;
  WriteResult WriteNewFile(const std::u16string& path, const std::string& bytes) override;
  ErrorCode MoveReplacing(const std::u16string& from, const std::u16string& to) override;
  void RemoveFile(const std::u16string& path) override;
  std::optional<std::uint64_t> Random() override;
  bool LockDataFiles() override;
  void UnlockDataFiles() override;
  std::u16string DescribeError(ErrorCode code) override;

 private:
  // The handle of a held folder; null for a number that holds none.
  HANDLE Held(FolderHandle folder) const;
  // Holds an open folder under a new number.
  HeldFolder Keep(UniqueHandle folder);

  OwnedMutex lock_;  // the data files' mutex while it is held
  // The folders held, closed when released or with this object.
  std::map<FolderHandle, UniqueHandle> folders_;
  FolderHandle last_folder_ = kNoFolder;
};

}  // namespace velmoro
