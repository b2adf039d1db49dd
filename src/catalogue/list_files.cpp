#include "catalogue/list_files.h"

#include "catalogue/file_error.h"

namespace velmoro {

std::u16string DescribeFileError(FileApi& files, ErrorCode code) {
  std::u16string description = files.DescribeError(code);
  while (!description.empty() && (description.back() <= 32 || description.back() == u'.')) {
    description.pop_back();
  }
  return description;
}

namespace {

[[noreturn]] void ThrowCannotCreate(FileApi& files, const std::u16string& path, ErrorCode code) {
  throw FileError("Cannot create file",
                  u"Cannot create file \"" + path + u"\". " + DescribeFileError(files, code));
}

// A clash with an existing name this many times over means the names are not random, or someone
// makes them as fast as they are drawn; either way, writing stops.
constexpr int kTempNameTries = 16;

// A new file in the data directory holding a list file's new text until it is moved over the list
// file; removed unless it was moved. Each error names `target`, the file the user knows.
class TempFile {
 public:
  TempFile(FileApi& files, const std::u16string& dir, const std::string& bytes,
           const std::u16string& target)
      : files_(files) {
    for (int attempt = 0; attempt < kTempNameTries; ++attempt) {
      const std::optional<std::uint64_t> random = files_.Random();
      if (!random) ThrowCannotCreate(files_, target, kErrorInternalError);
      const std::u16string path = TempFileName(dir, *random);
      const WriteResult result = files_.WriteNewFile(path, bytes);
      if (result.status == WriteStatus::kExists) continue;
      if (result.status == WriteStatus::kCreateFailed) {
        ThrowCannotCreate(files_, target, result.error);
      }
      if (result.status == WriteStatus::kShortWrite) {
        // No destructor runs for an object whose constructor throws.
        files_.RemoveFile(path);
        throw FileError("Stream write error", u"Stream write error");
      }
      path_ = path;
      return;
    }
    ThrowCannotCreate(files_, target, kErrorFileExists);
  }
  ~TempFile() {
    if (!moved_) files_.RemoveFile(path_);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  ErrorCode MoveOver(const std::u16string& target) {
    const ErrorCode code = files_.MoveReplacing(path_, target);
    moved_ = code == 0;
    return code;
  }

 private:
  FileApi& files_;
  std::u16string path_;
  bool moved_ = false;
};

// Best effort: the error of the failed move is the one reported, not any failure here.
void RestoreRecent(FileApi& files, const std::u16string& dir, const std::u16string& recent_path,
                   const std::string* old_recent) {
  if (old_recent == nullptr) {
    files.RemoveFile(recent_path);
    return;
  }
  try {
    TempFile(files, dir, *old_recent, recent_path).MoveOver(recent_path);
  } catch (const FileError&) {
  }
}

}  // namespace

LoadedFile LoadListFile(FileApi& files, const std::u16string& path) {
  LoadedFile file;
  if (!files.FileExists(path)) return file;
  const ReadResult read = files.ReadWholeFile(path, file.bytes, kMaxListFileBytes);
  if (read.status == ReadStatus::kFailed) {
    file.status = LoadedFile::Status::kFailed;
    file.bytes.clear();
    file.error = u"Cannot open file \"" + path + u"\". " + DescribeFileError(files, read.error);
  } else {
    file.status = read.status == ReadStatus::kTooLarge ? LoadedFile::Status::kTooLarge
                                                       : LoadedFile::Status::kRead;
  }
  return file;
}

std::u16string TempFileName(const std::u16string& dir, std::uint64_t random) {
  std::u16string name = dir + u"\\~vu";
  for (int shift = 60; shift >= 0; shift -= 4) name += u"0123456789abcdef"[(random >> shift) & 15];
  return name + u".tmp";
}

void SaveListFiles(FileApi& files, const std::u16string& dir, const std::optional<std::string>& all,
                   const std::optional<std::string>& recent, const std::string* old_recent) {
  const std::u16string all_path = dir + u"\\" + kAllFileName;
  const std::u16string recent_path = dir + u"\\" + kRecentFileName;

  std::optional<TempFile> all_temp;
  std::optional<TempFile> recent_temp;
  if (all) all_temp.emplace(files, dir, *all, all_path);
  if (recent) recent_temp.emplace(files, dir, *recent, recent_path);

  // "Recent.dat" first: should "All.dat" then fail, "Recent.dat" can still be put back, whereas
  // a new "All.dat" beside an old "Recent.dat" would lose this run's detections for good.
  if (recent_temp) {
    if (const ErrorCode code = recent_temp->MoveOver(recent_path); code != 0) {
      ThrowCannotCreate(files, recent_path, code);
    }
  }
  if (all_temp) {
    if (const ErrorCode code = all_temp->MoveOver(all_path); code != 0) {
      if (recent_temp) RestoreRecent(files, dir, recent_path, old_recent);
      ThrowCannotCreate(files, all_path, code);
    }
  }
}

}  // namespace velmoro
