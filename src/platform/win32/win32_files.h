#pragma once

#include "platform/file_api.h"

namespace velmoro {

class Win32Files final : public FileApi {
 public:
  bool FileExists(const std::u16string& path) override;
  bool DirectoryExists(const std::u16string& path) override;
  bool MakeDirectory(const std::u16string& path) override;
  std::u16string ModuleFileName() override;
  std::uint32_t ReadWholeFile(const std::u16string& path, std::string& bytes) override;
  std::uint32_t CreateTempFile(const std::u16string& dir, std::u16string& temp_path) override;
  WriteResult WriteWholeFile(const std::u16string& path, const std::string& bytes) override;
  std::uint32_t MoveReplacing(const std::u16string& from, const std::u16string& to) override;
  void RemoveFile(const std::u16string& path) override;
  bool LockDataFiles() override;
  void UnlockDataFiles() override;
  std::u16string DescribeError(std::uint32_t code) override;

  Win32Files() = default;
  ~Win32Files() override;
  Win32Files(const Win32Files&) = delete;
  Win32Files& operator=(const Win32Files&) = delete;

 private:
  void* lock_ = nullptr;  // the data files' mutex while it is held
};

}  // namespace velmoro
