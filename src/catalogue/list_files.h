#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_api.h"

namespace velmoro {

inline constexpr char16_t kAllFileName[] = u"All.dat";
inline constexpr char16_t kRecentFileName[] = u"Recent.dat";
// A list file larger than this is not read: 30,000 programs make about 5 MB, and a planted file
// of any size must cost no memory.
inline constexpr std::uint64_t kMaxListFileMegabytes = 64;
inline constexpr std::uint64_t kMaxListFileBytes = kMaxListFileMegabytes << 20;

// Holds the machine-wide lock of the data files while it lives, when the lock could be had.
class DataFilesLock {
 public:
  explicit DataFilesLock(FileApi& files) : files_(files), held_(files.LockDataFiles()) {}
  ~DataFilesLock() {
    if (held_) files_.UnlockDataFiles();
  }
  DataFilesLock(const DataFilesLock&) = delete;
  DataFilesLock& operator=(const DataFilesLock&) = delete;

 private:
  FileApi& files_;
  bool held_;
};

// A list file as one run found it: bytes holds it where it was read (kOk), error the message to
// show where it could not be (kFailed).
struct LoadedFile {
  ReadStatus status = ReadStatus::kAbsent;
  std::string bytes;
  std::u16string error;
};

// The platform's description of an error code, without its trailing blanks, line breaks and
// periods, so that it fits inside a message of the program's.
std::u16string DescribeFileError(FileApi& files, ErrorCode code);

// Reads the list file `name` of the held folder `folder` (kNoFolder: a folder that does not exist)
// whole: "Cannot open file "%s". %s", with `path`, when it cannot be read.
LoadedFile LoadListFile(FileApi& files, FolderHandle folder, const std::u16string& name,
                        const std::u16string& path);

// The name of a temporary file, from 64 random bits: not to be guessed, so that nobody can take it
// beforehand.
std::u16string TempFileName(std::uint64_t random);

// Replaces "All.dat" and "Recent.dat" in the held folder `folder`, whose path is `dir`, with the
// texts given (a file whose text is nothing is left as it is) so that either both hold the new
// text or both keep the old: the new texts are written to temporary files first, then moved over,
// "Recent.dat" first; when "All.dat" cannot be moved, "Recent.dat" is put back to old_recent
// (removed when null). Everything is done relative to the folder's handle.
// Throws FileError "Cannot create file "%s". %s" or "Stream write error".
void SaveListFiles(FileApi& files, FolderHandle folder, const std::u16string& dir,
                   const std::optional<std::string>& all, const std::optional<std::string>& recent,
                   const std::string* old_recent);

}  // namespace velmoro
