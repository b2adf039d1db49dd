// The files inside held folders: read, written, replaced and removed relative to the hold.
#include "platform/fake/fake_files.h"

namespace velmoro {

// The holder reads and shares everything: only an open that shares no reading is refused by its
// handle. A batch oplock breaks on any open of ours, a read-handle one only on a refused one, and
// both breaks wait for the holder to acknowledge them. Asked not to wait, the open answers at once:
// STATUS_OPLOCK_BREAK_IN_PROGRESS, whose handle the caller closes, or the sharing violation
// itself; either way the file is in use.
std::optional<ErrorCode> FakeFiles::MeetOplock(const std::u16string& path, const FileOpen& how,
                                               const char16_t* step) {
  const auto oplock = oplocks_.find(Key(path));
  if (oplock == oplocks_.end()) return std::nullopt;
  const bool refused = (how.sharing & kShareRead) == 0;
  if (oplock->second == OplockKind::kReadHandle && !refused) return std::nullopt;
  if (!how.complete_if_oplocked) waited_forever_.push_back(step + (u" " + path));
  return kErrorSharingViolation;
}

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
  if (const std::optional<ErrorCode> in_use = MeetOplock(*path, kOpenToRead, u"ReadFileIn")) {
    return {ReadStatus::kFailed, *in_use};
  }
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
  if (const std::optional<ErrorCode> in_use =
          MeetOplock(*from_path, kOpenAlone, u"ReplaceFileIn")) {
    return *in_use;
  }
  if (dirs_.count(to_key) != 0) return kErrorAccessDenied;
  if (files_.count(to_key) != 0) {
    if (const std::optional<ErrorCode> in_use = MeetOplock(to_path, kOpenAlone, u"ReplaceFileIn")) {
      return *in_use;
    }
  }
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
  if (files_.count(Key(*path)) != 0 && MeetOplock(*path, kOpenAlone, u"RemoveFileIn")) return;
  files_.erase(Key(*path));
}

}  // namespace velmoro
