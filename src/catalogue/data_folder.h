#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogue/folder_hold.h"
#include "catalogue/memory_notice.h"
#include "platform/file_api.h"

namespace velmoro {

// A data folder held for one run's reading and writing: the known folder (followed where it is a
// link), "Quinsett" and the data folder, each opened relative to the one above, never through a
// link, and held until the data files are written, so that nobody can rename them or put a link
// in their place meanwhile.
class DataFolder {
 public:
  // Holds the folders of the data directory `dir`. With `take_back` (an administrator's run on
  // the machine's folder), a level that someone other than the administrators owns, or opened to
  // others, is renamed aside and made afresh: handles opened before the check lead to the old
  // one. A level that is not to be used gives a notice, and the folder is not usable.
  DataFolder(FileApi& files, std::u16string dir, bool take_back,
             std::vector<MemoryNotice>& notices);

  const std::u16string& dir() const { return dir_; }
  // Nothing in it is read or written when it is not.
  bool usable() const { return usable_; }
  // The data folder's hold; kNoFolder where it does not exist.
  FolderHandle folder() const { return data_ ? data_->folder() : kNoFolder; }

 private:
  // A level of the program's own, held inside `parent`; false with a notice when it is not to be
  // used, true also when it is missing.
  bool HoldLevel(const FolderHold& parent, const char16_t* name, const std::u16string& path,
                 std::optional<FolderHold>& level, std::vector<MemoryNotice>& notices);
  // Renames the levels that are not secure aside and makes them afresh.
  bool TakeBack(std::vector<MemoryNotice>& notices);
  // Renames the level `name` of `parent` aside and makes a fresh one in its place.
  bool Replace(const FolderHold& parent, const char16_t* name, const FolderSecurity& security,
               std::optional<FolderHold>& level);

  FileApi& files_;
  std::u16string dir_;
  bool usable_ = false;
  std::optional<FolderHold> known_;
  std::optional<FolderHold> vendor_;
  std::optional<FolderHold> data_;
};

// The text of a notice that a data folder or file is not used.
std::u16string NotUsed(const std::u16string& path, const std::u16string& why);
// Why a folder or file that became or is a link is not used.
inline constexpr char16_t kIsALink[] = u"is a link to another place.";

}  // namespace velmoro
