#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_api.h"

namespace velmoro {

inline constexpr char16_t kAllFileName[] = u"All.dat";
inline constexpr char16_t kRecentFileName[] = u"Recent.dat";
// A list file larger than this is not read: 30,000 programs make about 5 MB, and a planted file
// of any size must cost no memory.
inline constexpr std::uint64_t kMaxListFileBytes = 64ull << 20;

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

// Reads path into lines when the file exists (an absent file or a directory leaves lines empty)
// and returns its bytes, or nothing when it was not read. A file larger than kMaxListFileBytes is
// not read either, and too_large is set. Throws FileError "Cannot open file "%s". %s".
std::optional<std::string> LoadListFile(FileApi& files, const std::u16string& path,
                                        std::vector<std::string>& lines, bool& too_large);

// The name of a temporary file in dir, from 64 random bits: not to be guessed, so that nobody can
// take it beforehand.
std::u16string TempFileName(const std::u16string& dir, std::uint64_t random);

// Replaces "All.dat" and "Recent.dat" in dir so that either both hold the new text or both keep
// the old: both are written to temporary files first, then moved over, "Recent.dat" first; when
// "All.dat" cannot be moved, "Recent.dat" is put back to old_recent (removed when nothing).
// Throws FileError "Cannot create file "%s". %s" or "Stream write error".
void SaveListFiles(FileApi& files, const std::u16string& dir, const std::vector<std::string>& all,
                   const std::vector<std::string>& recent,
                   const std::optional<std::string>& old_recent);

}  // namespace velmoro
