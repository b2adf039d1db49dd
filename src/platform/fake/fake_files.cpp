#include "platform/fake/fake_files.h"

#include <cstdio>

namespace velmoro {

std::string FakeFiles::TempName(const std::string& dir, int n) {
  char name[16];
  std::snprintf(name, sizeof name, "VEL%04X.tmp", static_cast<unsigned>(n));
  return dir + "\\" + name;
}

void FakeFiles::AddDirectory(const std::string& path) {
  for (std::string dir = path; !dir.empty(); dir = Parent(dir)) dirs_.insert(Key(dir));
}

void FakeFiles::SetFile(const std::string& path, const std::string& bytes) {
  files_[Key(path)] = StoredFile{path, bytes};
}

std::optional<std::string> FakeFiles::File(const std::string& path) const {
  auto it = files_.find(Key(path));
  if (it == files_.end()) return std::nullopt;
  return it->second.bytes;
}

std::vector<std::string> FakeFiles::FilePaths() const {
  std::vector<std::string> paths;
  for (const auto& [key, file] : files_) paths.push_back(file.path);
  return paths;
}

bool FakeFiles::FileExists(const std::string& path) {
  Log("FileExists", path);
  return files_.count(Key(path)) != 0;
}

bool FakeFiles::DirectoryExists(const std::string& path) {
  Log("DirectoryExists", path);
  return IsDirectory(path);
}

bool FakeFiles::MakeDirectory(const std::string& path) {
  Log("MakeDirectory", path);
  const std::string key = Key(path);
  const std::string parent = Parent(path);
  if (made_meanwhile_.erase(key) != 0) {
    dirs_.insert(key);
    return false;
  }
  if (path.empty() || denied_dirs_.count(key) != 0 || dirs_.count(key) != 0 ||
      files_.count(key) != 0 || (!parent.empty() && !IsDirectory(parent))) {
    return false;
  }
  dirs_.insert(key);
  return true;
}

std::uint32_t FakeFiles::ReadWholeFile(const std::string& path, std::string& bytes) {
  Log("ReadWholeFile", path);
  const std::string key = Key(path);
  if (auto refused = refused_reads_.find(key); refused != refused_reads_.end()) {
    return refused->second;
  }
  if (dirs_.count(key) != 0) return kAccessDenied;
  auto it = files_.find(key);
  if (it == files_.end()) return kFileNotFound;
  bytes = it->second.bytes;
  return 0;
}

std::uint32_t FakeFiles::CreateTempFile(const std::string& dir, std::string& temp_path) {
  Log("CreateTempFile", dir);
  if (temp_failure_ && temps_made_ >= temp_failure_->successes) return temp_failure_->code;
  if (!IsDirectory(dir)) return kPathNotFound;
  temp_path = TempName(dir, ++temps_made_);
  SetFile(temp_path, "");
  return 0;
}

WriteResult FakeFiles::WriteWholeFile(const std::string& path, const std::string& bytes) {
  Log("WriteWholeFile", path);
  const std::string key = Key(path);
  const std::string parent = Parent(path);
  if (auto refused = refused_creates_.find(key); refused != refused_creates_.end()) {
    return {WriteStatus::kCreateFailed, refused->second};
  }
  if (dirs_.count(key) != 0) return {WriteStatus::kCreateFailed, kAccessDenied};
  if (!parent.empty() && !IsDirectory(parent)) return {WriteStatus::kCreateFailed, kPathNotFound};
  if (auto cut = short_writes_.find(key);
      cut != short_writes_.end() && cut->second < bytes.size()) {
    SetFile(path, bytes.substr(0, cut->second));
    return {WriteStatus::kShortWrite, kDiskFull};
  }
  SetFile(path, bytes);
  return {};
}

std::uint32_t FakeFiles::MoveReplacing(const std::string& from, const std::string& to) {
  Log("MoveReplacing", from + " -> " + to);
  const std::string to_key = Key(to);
  const std::string parent = Parent(to);
  if (auto failed = failed_moves_.find(to_key); failed != failed_moves_.end()) {
    return failed->second;
  }
  auto source = files_.find(Key(from));
  if (source == files_.end()) return kFileNotFound;
  if (dirs_.count(to_key) != 0) return kAccessDenied;
  if (!parent.empty() && !IsDirectory(parent)) return kPathNotFound;
  const std::string bytes = source->second.bytes;
  files_.erase(source);
  SetFile(to, bytes);
  return 0;
}

void FakeFiles::RemoveFile(const std::string& path) {
  Log("RemoveFile", path);
  files_.erase(Key(path));
}

std::string FakeFiles::DescribeError(std::uint32_t code) {
  switch (code) {
    case kFileNotFound:
      return "The system cannot find the file specified.\r\n";
    case kPathNotFound:
      return "The system cannot find the path specified.\r\n";
    case kAccessDenied:
      return "Access is denied.\r\n";
    case kSharingViolation:
      return "The process cannot access the file because it is being used by another "
             "process.\r\n";
    case kDiskFull:
      return "There is not enough space on the disk.\r\n";
    case kAlreadyExists:
      return "Cannot create a file when that file already exists.\r\n";
    default:
      return "";
  }
}

std::string FakeFiles::Key(const std::string& path) {
  std::string key = path;
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

std::string FakeFiles::Parent(const std::string& path) {
  const std::size_t cut = path.rfind('\\');
  return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

bool FakeFiles::IsDirectory(const std::string& path) const {
  return dirs_.count(Key(path)) != 0;
}

bool FakeFiles::LockDataFiles() {
  Log("LockDataFiles", "");
  lock_held_ = !lock_refused_;
  return lock_held_;
}

void FakeFiles::UnlockDataFiles() {
  Log("UnlockDataFiles", "");
  lock_held_ = false;
}

void FakeFiles::Log(const char* operation, const std::string& path) {
  log_.push_back(std::string(operation) + " " + path);
}

}  // namespace velmoro
