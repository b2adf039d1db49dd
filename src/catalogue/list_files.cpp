#include "catalogue/list_files.h"

#include "catalogue/file_error.h"
#include "catalogue/list_text.h"

namespace velmoro {

namespace {

// The platform's description without its trailing blanks, line breaks and periods, so that it
// fits after the message's own ". ".
std::u16string Describe(FileApi& files, std::uint32_t code) {
  std::u16string description = files.DescribeError(code);
  while (!description.empty() && (description.back() <= 32 || description.back() == u'.')) {
    description.pop_back();
  }
  return description;
}

[[noreturn]] void ThrowCannotCreate(FileApi& files, const std::u16string& path,
                                    std::uint32_t code) {
  throw FileError("Cannot create file",
                  u"Cannot create file \"" + path + u"\". " + Describe(files, code));
}

// A temporary file in the data directory that holds a list file's new text until it is moved
// over the list file; removed unless it was moved.
class TempFile {
 public:
  // Throws the "Cannot create file" error naming `target`, the file the user knows.
  TempFile(FileApi& files, const std::u16string& dir, const std::u16string& target)
      : files_(files) {
    if (const std::uint32_t code = files_.CreateTempFile(dir, path_); code != 0) {
      ThrowCannotCreate(files_, target, code);
    }
  }
  ~TempFile() {
    if (!moved_) files_.RemoveFile(path_);
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  void Write(const std::string& bytes, const std::u16string& target) {
    const WriteResult result = files_.WriteWholeFile(path_, bytes);
    if (result.status == WriteStatus::kCreateFailed)
      ThrowCannotCreate(files_, target, result.error);
    if (result.status == WriteStatus::kShortWrite) {
      throw FileError("Stream write error", u"Stream write error");
    }
  }
  std::uint32_t MoveOver(const std::u16string& target) {
    const std::uint32_t code = files_.MoveReplacing(path_, target);
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
                   const std::optional<std::string>& old_recent) {
  if (!old_recent) {
    files.RemoveFile(recent_path);
    return;
  }
  try {
    TempFile restore(files, dir, recent_path);
    restore.Write(*old_recent, recent_path);
    restore.MoveOver(recent_path);
  } catch (const FileError&) {
  }
}

}  // namespace

std::optional<std::string> LoadListFile(FileApi& files, const std::u16string& path,
                                        std::vector<std::string>& lines) {
  lines.clear();
  if (!files.FileExists(path)) return std::nullopt;
  std::string bytes;
  if (const std::uint32_t code = files.ReadWholeFile(path, bytes); code != 0) {
    throw FileError("Cannot open file",
                    u"Cannot open file \"" + path + u"\". " + Describe(files, code));
  }
  lines = ParseListText(bytes);
  return bytes;
}

void SaveListFiles(FileApi& files, const std::u16string& dir, const std::vector<std::string>& all,
                   const std::vector<std::string>& recent,
                   const std::optional<std::string>& old_recent) {
  const std::u16string all_path = dir + u"\\" + kAllFileName;
  const std::u16string recent_path = dir + u"\\" + kRecentFileName;

  TempFile all_temp(files, dir, all_path);
  all_temp.Write(FormatListText(all), all_path);
  TempFile recent_temp(files, dir, recent_path);
  recent_temp.Write(FormatListText(recent), recent_path);

  // "Recent.dat" first: should "All.dat" then fail, "Recent.dat" can still be put back, whereas
  // a new "All.dat" beside an old "Recent.dat" would lose this run's detections for good.
  if (const std::uint32_t code = recent_temp.MoveOver(recent_path); code != 0) {
    ThrowCannotCreate(files, recent_path, code);
  }
  if (const std::uint32_t code = all_temp.MoveOver(all_path); code != 0) {
    RestoreRecent(files, dir, recent_path, old_recent);
    ThrowCannotCreate(files, all_path, code);
  }
}

}  // namespace velmoro
