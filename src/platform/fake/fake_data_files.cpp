// The files inside held folders: read, written, replaced and removed relative to the hold.
#include "platform/fake/fake_files.h"

namespace velmoro {

ReadResult FakeFiles::ReadFileIn(FolderHandle folder, const std::u16string& name,
                                 std::string& bytes, std::uint64_t max_bytes) {
  const std::optional<std::u16string> path = PathIn(folder, name);
  if (!path) return {ReadStatus::kFailed, kErrorInvalidHandle};
  Log(u"OpenFileIn", *path);
  const std::u16string key = Key(*path);
  if (IsLink(*path, LinkKind::kReparsePoint)) return {ReadStatus::kLink};
  if (dirs_.count(key) != 0) return {ReadStatus::kAbsent};
  auto it = files_.find(key);
  if (it == files_.end()) return {ReadStatus::kAbsent};
  if (IsLink(*path, LinkKind::kHardLinks)) return {ReadStatus::kHardLinks};
  if (auto refused = refused_reads_.find(key); refused != refused_reads_.end()) {
    return {ReadStatus::kFailed, refused->second};
  }
  Log(u"ReadWholeFile", *path);
  // The file is open: what others do to its name meanwhile leaves the bytes read as they were.
  const StoredFile opened = it->second;
  if (on_read) on_read(*path);
  if (opened.size.value_or(opened.bytes.size()) > max_bytes) return {ReadStatus::kTooLarge};
  bytes = opened.bytes;
  return {};
}

WriteResult FakeFiles::WriteNewFileIn(FolderHandle folder, const std::u16string& name,
                                      const std::string& bytes) {
  const std::optional<std::u16string> path = PathIn(folder, name);
  if (!path) return {WriteStatus::kCreateFailed, kErrorInvalidHandle};
  Log(u"WriteNewFileIn", *path);
  const std::u16string key = Key(*path);
  if (new_file_failure_ && Key(*HeldPath(folder)) == new_file_failure_->dir) {
    if (new_file_failure_->successes == 0) {
      return {WriteStatus::kCreateFailed, new_file_failure_->code};
    }
    --new_file_failure_->successes;
  }
  if (auto refused = refused_creates_.find(key); refused != refused_creates_.end()) {
    return {WriteStatus::kCreateFailed, refused->second};
  }
  if (files_.count(key) != 0 || dirs_.count(key) != 0 || links_.count(key) != 0) {
    return {WriteStatus::kExists, kErrorFileExists};
  }
  if (!IsDirectory(*HeldPath(folder))) return {WriteStatus::kCreateFailed, kErrorPathNotFound};
  ++new_files_made_;
  if (auto cut = short_writes_.find(key);
      cut != short_writes_.end() && cut->second < bytes.size()) {
    SetFile(*path, bytes.substr(0, cut->second));
    return {WriteStatus::kShortWrite, kErrorDiskFull};
  }
  SetFile(*path, bytes);
  return {};
}

ErrorCode FakeFiles::ReplaceFileIn(FolderHandle folder, const std::u16string& from,
                                   const std::u16string& to) {
  const std::optional<std::u16string> from_path = PathIn(folder, from);
  if (!from_path) return kErrorInvalidHandle;
  const std::u16string to_path = *PathIn(folder, to);
  Log(u"ReplaceFileIn", *from_path + u" -> " + to_path);
  const std::u16string to_key = Key(to_path);
  if (auto failed = failed_moves_.find(to_key); failed != failed_moves_.end()) {
    return failed->second;
  }
  auto source = files_.find(Key(*from_path));
  if (source == files_.end()) return kErrorFileNotFound;
  if (dirs_.count(to_key) != 0) return kErrorAccessDenied;
  // A link of that name is replaced as itself; what it led to is not touched.
  links_.erase(to_key);
  const std::string bytes = source->second.bytes;
  files_.erase(source);
  SetFile(to_path, bytes);
  return 0;
}

void FakeFiles::RemoveFileIn(FolderHandle folder, const std::u16string& name) {
  const std::optional<std::u16string> path = PathIn(folder, name);
  if (!path) return;
  Log(u"RemoveFileIn", *path);
  if (IsLink(*path, LinkKind::kReparsePoint)) {
    links_.erase(Key(*path));
    return;
  }
  files_.erase(Key(*path));
}

}  // namespace velmoro
