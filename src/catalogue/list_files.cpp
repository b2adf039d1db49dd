#include "catalogue/list_files.h"

#include "catalogue/file_error.h"
#include "platform/number_text.h"

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

// A new file in the data folder holding a list file's new text until it is moved over the list
// file; removed unless it was moved. Each error names `target`, the file the user knows.
class TempFile {
 public:
  TempFile(FileApi& files, FolderHandle folder, const std::string& bytes,
           const std::u16string& target)
      : files_(files), folder_(folder) {
    for (int attempt = 0; attempt < kTempNameTries; ++attempt) {
      const std::optional<std::uint64_t> random = files_.Random();
      if (!random) ThrowCannotCreate(files_, target, kErrorInternalError);
      const std::u16string name = TempFileName(*random);
      const WriteResult result = files_.WriteNewFileIn(folder_, name, bytes);
      if (result.status == WriteStatus::kExists) continue;
      if (result.status == WriteStatus::kCreateFailed) {
        ThrowCannotCreate(files_, target, result.error);
      }
      if (result.status == WriteStatus::kShortWrite) {
        // No destructor runs for an object whose constructor throws.
        files_.RemoveFileIn(folder_, name);
        throw FileError("Stream write error", u"Stream write error");
      }
      name_ = name;
      return;
    }
    ThrowCannotCreate(files_, target, kErrorFileExists);
  }
  ~TempFile() {
    if (!moved_) files_.RemoveFileIn(folder_, name_);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  ErrorCode MoveOver(const char16_t* name) {
    const ErrorCode code = files_.ReplaceFileIn(folder_, name_, name);
    moved_ = code == 0;
    return code;
  }

 private:
  FileApi& files_;
  FolderHandle folder_;
  std::u16string name_;
  bool moved_ = false;
};

// Best effort: the error of the failed move is the one reported, not any failure here.
void RestoreRecent(FileApi& files, FolderHandle folder, const std::u16string& recent_path,
                   const std::string* old_recent) {
  if (old_recent == nullptr) {
    files.RemoveFileIn(folder, kRecentFileName);
    return;
  }
  try {
    TempFile(files, folder, *old_recent, recent_path).MoveOver(kRecentFileName);
  } catch (const FileError&) {
  }
}

}  // namespace

LoadedFile LoadListFile(FileApi& files, FolderHandle folder, const std::u16string& name,
                        const std::u16string& path) {
  LoadedFile file;
  if (folder == kNoFolder) return file;
  const ReadResult read = files.ReadFileIn(folder, name, file.bytes, kMaxListFileBytes);
  file.status = read.status;
  if (read.status == ReadStatus::kFailed) {
    file.error = u"Cannot open file \"" + path + u"\". " + DescribeFileError(files, read.error);
  }
  if (file.status != ReadStatus::kOk) file.bytes = std::string();
  return file;
}

std::u16string TempFileName(std::uint64_t random) {
  return u"~vu" + HexDigits(random) + u".tmp";
}

void SaveListFiles(FileApi& files, FolderHandle folder, const std::u16string& dir,
                   const std::optional<std::string>& all, const std::optional<std::string>& recent,
                   const std::string* old_recent) {
  const std::u16string all_path = dir + u"\\" + kAllFileName;
  const std::u16string recent_path = dir + u"\\" + kRecentFileName;
  // The folder does not exist: nothing can be made in it.
  if (folder == kNoFolder)
    ThrowCannotCreate(files, all ? all_path : recent_path, kErrorPathNotFound);

  std::optional<TempFile> all_temp;
  std::optional<TempFile> recent_temp;
  if (all) all_temp.emplace(files, folder, *all, all_path);
  if (recent) recent_temp.emplace(files, folder, *recent, recent_path);

  // "Recent.dat" first: should "All.dat" then fail, "Recent.dat" can still be put back, whereas
  // a new "All.dat" beside an old "Recent.dat" would lose this run's detections for good.
  if (recent_temp) {
    if (const ErrorCode code = recent_temp->MoveOver(kRecentFileName); code != 0) {
      ThrowCannotCreate(files, recent_path, code);
    }
  }
  if (all_temp) {
    if (const ErrorCode code = all_temp->MoveOver(kAllFileName); code != 0) {
      if (recent_temp) RestoreRecent(files, folder, recent_path, old_recent);
      ThrowCannotCreate(files, all_path, code);
    }
  }
}

}  // namespace velmoro
