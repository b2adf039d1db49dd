#pragma once

#include <cstdint>
#include <string>

namespace velmoro {

enum class WriteStatus { kOk, kCreateFailed, kShortWrite };

struct WriteResult {
  WriteStatus status = WriteStatus::kOk;
  std::uint32_t error = 0;  // platform error code when creating failed
};

// Paths are UTF-16; file contents are bytes.
class FileApi {
 public:
  virtual ~FileApi() = default;

  // FindFirstFileW: true only for an existing entry that is not a directory.
  virtual bool FileExists(const std::u16string& path) = 0;
  // GetFileAttributesW succeeds and the attributes carry FILE_ATTRIBUTE_DIRECTORY.
  virtual bool DirectoryExists(const std::u16string& path) = 0;
  // CreateDirectoryW, one level, no security attributes.
  virtual bool MakeDirectory(const std::u16string& path) = 0;
  // GetModuleFileNameW of the running program.
  virtual std::u16string ModuleFileName() = 0;

  // Opens an existing file admitting other readers (and a replacing move, never a writer) and
  // reads it whole. Returns 0, or the platform error code when it could not be opened or read.
  virtual std::uint32_t ReadWholeFile(const std::u16string& path, std::string& bytes) = 0;
  // GetTempFileNameW in dir: creates a new, empty file with a unique name. Returns 0 or the code.
  virtual std::uint32_t CreateTempFile(const std::u16string& dir, std::u16string& temp_path) = 0;
  // Creates or truncates path with no sharing, writes bytes in one write, flushes them to disk
  // and closes the file.
  virtual WriteResult WriteWholeFile(const std::u16string& path, const std::string& bytes) = 0;
  // MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH). Returns 0 or code.
  virtual std::uint32_t MoveReplacing(const std::u16string& from, const std::u16string& to) = 0;
  // DeleteFileW; failures are ignored.
  virtual void RemoveFile(const std::u16string& path) = 0;
  // A machine-wide lock of the data files (a named mutex), so that copies of the program that
  // start together read and replace the files one after the other. Waits a bounded time; false
  // when the lock could not be had, and the caller goes on without it.
  virtual bool LockDataFiles() = 0;
  virtual void UnlockDataFiles() = 0;
  // FormatMessageW's description of a platform error code, as the platform words it.
  virtual std::u16string DescribeError(std::uint32_t code) = 0;
};

}  // namespace velmoro
