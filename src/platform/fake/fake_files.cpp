#include "platform/fake/fake_files.h"

#include "platform/fake/ascii_upper.h"

namespace velmoro {

namespace {

// A folder as a system's own: Administrators own it and nobody else is granted anything.
FolderSecurity AdministratorsOnly() {
  return {u"S-1-5-32-544",
          true,
          false,
          {{u"S-1-5-18", 0x1F01FF, kObjectInherit | kContainerInherit},
           {u"S-1-5-32-544", 0x1F01FF, kObjectInherit | kContainerInherit}}};
}

bool Within(const std::u16string& key, const std::u16string& folder) {
  return key == folder || key.rfind(folder + u"\\", 0) == 0;
}

}  // namespace

void FakeFiles::AddDirectory(const std::u16string& path) {
  for (std::u16string dir = path; !dir.empty(); dir = Parent(dir)) {
    dirs_.try_emplace(Key(dir), Folder{AdministratorsOnly(), std::nullopt});
  }
}

void FakeFiles::SetFile(const std::u16string& path, const std::string& bytes) {
  files_[Key(path)] = StoredFile{path, bytes, std::nullopt};
}

void FakeFiles::SetLargeFile(const std::u16string& path, std::uint64_t size) {
  files_[Key(path)] = StoredFile{path, std::string(), size};
}

std::optional<std::string> FakeFiles::File(const std::u16string& path) const {
  auto it = files_.find(Key(path));
  if (it == files_.end()) return std::nullopt;
  return it->second.bytes;
}

std::vector<std::u16string> FakeFiles::FilePaths() const {
  std::vector<std::u16string> paths;
  for (const auto& [key, file] : files_) paths.push_back(file.path);
  return paths;
}

std::optional<FolderSecurity> FakeFiles::MadeWith(const std::u16string& path) const {
  auto it = dirs_.find(Key(path));
  return it == dirs_.end() ? std::nullopt : it->second.made_with;
}

std::optional<FolderSecurity> FakeFiles::SecurityOf(const std::u16string& path) const {
  auto it = dirs_.find(Key(path));
  if (it == dirs_.end()) return std::nullopt;
  return it->second.security;
}

void FakeFiles::SetSecurity(const std::u16string& path, const FolderSecurity& security) {
  dirs_[Key(path)].security = security;
}

bool FakeFiles::RenameFolder(const std::u16string& from, const std::u16string& to) {
  Log(u"RenameFolder", from + u" -> " + to);
  const std::u16string from_key = Key(from);
  if (!IsDirectory(from) || IsDirectory(to)) return false;
  for (const auto& [handle, path] : holds_) {
    if (Within(Key(path), from_key)) return false;
  }
  const auto moved = [&](const std::u16string& key) {
    return Key(to) + key.substr(from_key.size());
  };
  std::map<std::u16string, Folder> dirs;
  for (auto& [key, folder] : dirs_) dirs[Within(key, from_key) ? moved(key) : key] = folder;
  std::map<std::u16string, StoredFile> files;
  for (auto& [key, file] : files_) {
    if (!Within(key, from_key)) {
      files[key] = file;
      continue;
    }
    StoredFile renamed = file;
    renamed.path = to + file.path.substr(from.size());
    files[moved(key)] = renamed;
  }
  dirs_ = std::move(dirs);
  files_ = std::move(files);
  return true;
}

// GetFileAttributesW takes no pattern: "*" and "?" make no valid name.
bool FakeFiles::FileExists(const std::u16string& path) {
  Log(u"FileExists", path);
  if (path.find_first_of(u"*?") != path.npos) return false;
  return files_.count(Key(Resolved(path))) != 0;
}

PathKind FakeFiles::ProbePath(const std::u16string& path) {
  if (probes_stalled_) return PathKind::kUnknown;
  Log(u"ProbePath", path);
  const std::u16string key = Key(Resolved(path));
  for (const std::u16string& slow : slow_folders_) {
    if (key == slow || key.starts_with(slow + u'\\')) {
      probes_stalled_ = true;
      return PathKind::kUnknown;
    }
  }
  // No valid name holds a wildcard; "\\?\" is no wildcard.
  const std::size_t names = path.starts_with(u"\\\\?\\") ? 4 : 0;
  if (path.find_first_of(u"*?", names) != path.npos) return PathKind::kUnknown;
  if (files_.count(key) != 0) return PathKind::kFile;
  return FolderAt(path) ? PathKind::kFolder : PathKind::kAbsent;
}

bool FakeFiles::DirectoryExists(const std::u16string& path) {
  Log(u"DirectoryExists", path);
  return FolderAt(path);
}

// A folder's path may end in a separator, as GetFileAttributesW takes it.
bool FakeFiles::FolderAt(const std::u16string& path) const {
  const std::u16string resolved = Resolved(path);
  const bool separator_ends = resolved.size() > 1 && resolved.back() == u'\\';
  return IsDirectory(separator_ends ? resolved.substr(0, resolved.size() - 1) : resolved);
}

bool FakeFiles::MakeDirectory(const std::u16string& given) {
  Log(u"MakeDirectory", given);
  const std::u16string path = Resolved(given);
  const std::u16string key = Key(path);
  const std::u16string parent = Parent(path);
  if (made_meanwhile_.erase(key) != 0) {
    AddDirectory(path);
    return false;
  }
  if (path.empty() || denied_dirs_.count(key) != 0 || dirs_.count(key) != 0 ||
      files_.count(key) != 0 || (!parent.empty() && !IsDirectory(parent))) {
    return false;
  }
  dirs_[key] = Folder{AdministratorsOnly(), std::nullopt};
  return true;
}

HeldFolder FakeFiles::Hold(const std::u16string& path) {
  const FolderHandle folder = next_hold_++;
  holds_[folder] = path;
  return {HoldStatus::kHeld, folder, 0};
}

HeldFolder FakeFiles::HoldKnownFolder(const std::u16string& path) {
  Log(u"HoldKnownFolder", path);
  const std::u16string followed = Resolved(path);
  // The root of the current drive is always there.
  if (path != u"\\" && !IsDirectory(followed)) {
    return {HoldStatus::kMissing, kNoFolder, kErrorPathNotFound};
  }
  if (held_elsewhere_.count(Key(path)) != 0) {
    return {HoldStatus::kInUse, kNoFolder, kErrorSharingViolation};
  }
  return Hold(followed);
}

HeldFolder FakeFiles::HoldFolderIn(FolderHandle parent, const std::u16string& name) {
  const std::optional<std::u16string> path = PathIn(parent, name);
  if (!path) return {HoldStatus::kFailed, kNoFolder, kErrorInvalidHandle};
  Log(u"HoldFolderIn", *path);
  if (IsLink(*path, LinkKind::kReparsePoint)) return {HoldStatus::kLink, kNoFolder, 0};
  if (!IsDirectory(*path)) return {HoldStatus::kMissing, kNoFolder, kErrorFileNotFound};
  if (held_elsewhere_.count(Key(*path)) != 0) {
    return {HoldStatus::kInUse, kNoFolder, kErrorSharingViolation};
  }
  return Hold(*path);
}

HeldFolder FakeFiles::MakeFolder(FolderHandle parent, const std::u16string& name,
                                 const FolderSecurity* security) {
  const std::optional<std::u16string> path = PathIn(parent, name);
  if (!path) return {HoldStatus::kFailed, kNoFolder, kErrorInvalidHandle};
  Log(u"MakeFolder", *path);
  const std::u16string key = Key(*path);
  if (made_meanwhile_.erase(key) != 0) {
    AddDirectory(*path);
    return {HoldStatus::kFailed, kNoFolder, kErrorAlreadyExists};
  }
  if (denied_dirs_.count(key) != 0) return {HoldStatus::kFailed, kNoFolder, kErrorAccessDenied};
  if (dirs_.count(key) != 0 || files_.count(key) != 0) {
    return {HoldStatus::kFailed, kNoFolder, kErrorAlreadyExists};
  }
  Folder folder{AdministratorsOnly(), std::nullopt};
  if (security != nullptr) {
    folder.made_with = *security;
    folder.security = *security;
    folder.security.owner = creator;
  }
  dirs_[key] = folder;
  return Hold(*path);
}

void FakeFiles::ReleaseFolder(FolderHandle folder) {
  if (const std::u16string* path = HeldPath(folder)) Log(u"ReleaseFolder", *path);
  holds_.erase(folder);
}

std::optional<FolderSecurity> FakeFiles::ReadFolderSecurity(FolderHandle folder) {
  const std::u16string* path = HeldPath(folder);
  if (path == nullptr) return std::nullopt;
  Log(u"ReadFolderSecurity", *path);
  return SecurityOf(*path);
}

ErrorCode FakeFiles::MoveAside(FolderHandle parent, const std::u16string& name,
                               const std::u16string& aside) {
  const std::optional<std::u16string> path = PathIn(parent, name);
  if (!path) return kErrorInvalidHandle;
  Log(u"MoveAside", *path + u" -> " + aside);
  if (move_aside_refused_ != kErrorSuccess) return move_aside_refused_;
  const std::u16string to = *PathIn(parent, aside);
  if (IsDirectory(to) || files_.count(Key(to)) != 0) return kErrorAlreadyExists;
  if (links_.erase(Key(*path)) != 0) return kErrorSuccess;  // the link itself moves away
  return RenameFolder(*path, to) ? kErrorSuccess : kErrorSharingViolation;
}

bool FakeFiles::IsPlainFolder(FolderHandle folder) {
  const std::u16string* path = HeldPath(folder);
  if (path == nullptr) return false;
  Log(u"IsPlainFolder", *path);
  return IsDirectory(*path) && !IsLink(*path, LinkKind::kReparsePoint);
}

const std::u16string* FakeFiles::HeldPath(FolderHandle folder) const {
  const auto it = holds_.find(folder);
  return it == holds_.end() ? nullptr : &it->second;
}

std::optional<std::u16string> FakeFiles::PathIn(FolderHandle folder,
                                                const std::u16string& name) const {
  const std::u16string* path = HeldPath(folder);
  if (path == nullptr) return std::nullopt;
  return (*path == u"\\" ? u"" : *path) + u"\\" + name;
}

DriveKind FakeFiles::DriveKindOf(const std::u16string& root) {
  Log(u"DriveKindOf", root);
  if (root.empty()) return DriveKind::kOther;
  const char16_t letter = Key(root)[0];
  const auto it = drives.find(letter);
  return it == drives.end() ? DriveKind::kFixed : it->second;
}

std::optional<std::u16string> FakeFiles::FullPath(const std::u16string& path) {
  const bool drive_absolute =
      path.size() >= 3 && path[1] == u':' && (path[2] == u'\\' || path[2] == u'/');
  if (!drive_absolute) return path;
  std::vector<std::u16string> names;
  std::u16string name;
  for (std::size_t i = 3; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != u'\\' && path[i] != u'/') {
      name += path[i];
    } else if (name == u"..") {
      if (!names.empty()) names.pop_back();
      name.clear();
    } else {
      if (!name.empty() && name != u".") names.push_back(name);
      name.clear();
    }
  }
  // The last name loses its trailing dots and blanks.
  while (!names.empty() && !names.back().empty() &&
         (names.back().back() == u'.' || names.back().back() == u' ')) {
    names.back().pop_back();
  }
  std::u16string full = path.substr(0, 2) + u"\\";
  for (std::size_t i = 0; i < names.size(); ++i) full += (i == 0 ? u"" : u"\\") + names[i];
  return full;
}

std::optional<std::uint64_t> FakeFiles::Random() {
  if (random_fails_) return std::nullopt;
  return ++random_;
}

std::u16string FakeFiles::DescribeError(ErrorCode code) {
  switch (code) {
    case kErrorFileNotFound:
      return u"The system cannot find the file specified.\r\n";
    case kErrorPathNotFound:
      return u"The system cannot find the path specified.\r\n";
    case kErrorAccessDenied:
      return u"Access is denied.\r\n";
    case kErrorSharingViolation:
      return u"The process cannot access the file because it is being used by another "
             u"process.\r\n";
    case kErrorDiskFull:
      return u"There is not enough space on the disk.\r\n";
    case kErrorAlreadyExists:
      return u"Cannot create a file when that file already exists.\r\n";
    case kErrorInternalError:
      return u"An internal error occurred.\r\n";
    default:
      return u"";
  }
}

std::u16string FakeFiles::Key(const std::u16string& path) {
  return AsciiUpper(path);
}

std::u16string FakeFiles::Parent(const std::u16string& path) {
  const std::size_t cut = path.rfind(u'\\');
  return cut == path.npos ? std::u16string() : path.substr(0, cut);
}

bool FakeFiles::IsDirectory(const std::u16string& path) const {
  return dirs_.count(Key(path)) != 0;
}

bool FakeFiles::IsLink(const std::u16string& path, LinkKind kind) const {
  const auto it = links_.find(Key(path));
  return it != links_.end() && it->second == kind;
}

std::u16string FakeFiles::Resolved(const std::u16string& path) const {
  const std::u16string key = Key(path);
  for (const auto& [mount, target] : mounts_) {
    if (Within(key, mount)) return Resolved(target + path.substr(mount.size()));
  }
  return path;
}

bool FakeFiles::MakeMountPoint(const std::u16string& path, const std::u16string& target) {
  Log(u"MakeMountPoint", path + u" -> " + target);
  const std::u16string key = Key(path);
  if (!IsDirectory(path)) return false;
  for (const auto& [file, stored] : files_) {
    if (Within(file, key) && file != key) return false;
  }
  for (const auto& [dir, folder] : dirs_) {
    if (Within(dir, key) && dir != key) return false;
  }
  links_[key] = LinkKind::kReparsePoint;
  mounts_[key] = target;
  return true;
}

void FakeFiles::ClearFaults() {
  refused_reads_.clear();
  refused_creates_.clear();
  short_writes_.clear();
  failed_moves_.clear();
  new_file_failure_.reset();
  oplocks_.clear();
}

bool FakeFiles::LockDataFiles() {
  Log(u"LockDataFiles", u"");
  lock_held_ = !lock_refused_;
  return lock_held_;
}

void FakeFiles::UnlockDataFiles() {
  Log(u"UnlockDataFiles", u"");
  lock_held_ = false;
}

void FakeFiles::Log(const char16_t* operation, const std::u16string& path) {
  log_.push_back(std::u16string(operation) + u" " + path);
}

}  // namespace velmoro
