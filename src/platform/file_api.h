#pragma once

#include <cstdint>
#include <string>

namespace velmoro {

enum class ReadStatus { kOk, kFailed, kTooLarge };

struct ReadResult {
  ReadStatus status = ReadStatus::kOk;
  std::uint32_t error = 0;  // platform error code when it failed
};

enum class WriteStatus { kOk, kExists, kCreateFailed, kShortWrite };

struct WriteResult {
  WriteStatus status = WriteStatus::kOk;
  std::uint32_t error = 0;  // platform error code when creating failed
};

// How a path may lead somewhere other than where it names.
enum class LinkKind {
  kNone,          // not a link, or nothing there
  kReparsePoint,  // a junction, symbolic link or other reparse point
  kHardLinks,     // a file with more than one name
};

// Paths are UTF-16; file contents are bytes.
class FileApi {
 public:
  virtual ~FileApi() = default;

  // FindFirstFileW: true only for an existing entry that is not a directory.
  virtual bool FileExists(const std::u16string& path) = 0;
  // GetFileAttributesW succeeds and the attributes carry FILE_ATTRIBUTE_DIRECTORY.
  virtual bool DirectoryExists(const std::u16string& path) = 0;
  // CreateDirectoryW, one level, with the security descriptor given in SDDL, or the default
  // permissions where `security` is empty.
  virtual bool MakeDirectory(const std::u16string& path, const std::u16string& security) = 0;
  // FILE_ATTRIBUTE_REPARSE_POINT on the path itself, or a file's link count above one.
  virtual LinkKind LinkAt(const std::u16string& path) = 0;
  // GetModuleFileNameW of the running program.
  virtual std::u16string ModuleFileName() = 0;
  // SHGetKnownFolderPath(FOLDERID_LocalAppData): the user's own application-data folder.
  virtual std::u16string LocalAppDataFolder() = 0;

  // Opens an existing file admitting other readers (and a replacing move, never a writer) and
  // reads it whole, unless it holds more than max_bytes, which are then not read.
  virtual ReadResult ReadWholeFile(const std::u16string& path, std::string& bytes,
                                   std::uint64_t max_bytes) = 0;
  // Creates path only when nothing has that name (CREATE_NEW), with no sharing, writes bytes in
  // one write, flushes them to disk and closes the file. kExists when the name is taken.
  virtual WriteResult WriteNewFile(const std::u16string& path, const std::string& bytes) = 0;
  // MoveFileExW(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH). Returns 0 or code.
  virtual std::uint32_t MoveReplacing(const std::u16string& from, const std::u16string& to) = 0;
  // DeleteFileW; failures are ignored.
  virtual void RemoveFile(const std::u16string& path) = 0;
  // 64 bits from the system's cryptographic random source.
  virtual std::uint64_t Random() = 0;
  // A machine-wide lock of the data files (a named mutex), so that copies of the program that
  // start together read and replace the files one after the other. Waits a bounded time; false
  // when the lock could not be had, and the caller goes on without it.
  virtual bool LockDataFiles() = 0;
  virtual void UnlockDataFiles() = 0;
  // FormatMessageW's description of a platform error code, as the platform words it.
  virtual std::u16string DescribeError(std::uint32_t code) = 0;
};

}  // namespace velmoro
