#include "catalogue/data_folder.h"

#include "catalogue/data_dir.h"
#include "catalogue/folder_security.h"
#include "catalogue/list_files.h"
#include "platform/number_text.h"

namespace velmoro {

namespace {

using Kind = MemoryNotice::Kind;

// A level renamed aside keeps its name with a suffix no one can take beforehand.
std::u16string AsideName(const char16_t* name, std::uint64_t random) {
  return std::u16string(name) + u".~" + HexDigits(random);
}

}  // namespace

std::u16string NotUsed(const std::u16string& path, const std::u16string& why) {
  return u"The data folder is not used: \"" + path + u"\" " + why;
}

DataFolder::DataFolder(FileApi& files, std::u16string dir, bool take_back,
                       std::vector<MemoryNotice>& notices)
    : files_(files), dir_(std::move(dir)) {
  const std::u16string known = KnownFolderOf(dir_);
  FolderHold known_hold(files_, files_.HoldKnownFolder(known));
  if (!known_hold) {
    // Nothing to read; writing reports it.
    usable_ = known_hold.status() == HoldStatus::kMissing;
    if (!usable_) {
      notices.push_back({Kind::kWarning,
                         NotUsed(known, u"cannot be opened: " +
                                            DescribeFileError(files_, known_hold.error()) + u".")});
    }
    return;
  }
  known_.emplace(std::move(known_hold));
  const std::u16string vendor_path = VendorFolderOf(dir_);
  if (!HoldLevel(*known_, kVendorFolderName, vendor_path, vendor_, notices)) return;
  if (vendor_ && !HoldLevel(*vendor_, kDataFolderName, dir_, data_, notices)) return;
  usable_ = !take_back || TakeBack(notices);
}

bool DataFolder::HoldLevel(const FolderHold& parent, const char16_t* name,
                           const std::u16string& path, std::optional<FolderHold>& level,
                           std::vector<MemoryNotice>& notices) {
  FolderHold hold(files_, files_.HoldFolderIn(parent.folder(), name));
  switch (hold.status()) {
    case HoldStatus::kHeld:
      level.emplace(std::move(hold));
      return true;
    case HoldStatus::kMissing:
      return true;
    case HoldStatus::kLink:
      notices.push_back({Kind::kWarning, NotUsed(path, kIsALink)});
      return false;
    case HoldStatus::kInUse:
      notices.push_back({Kind::kWarning, NotUsed(path, u"is held open by another program.")});
      return false;
    case HoldStatus::kFailed:
      break;
  }
  notices.push_back(
      {Kind::kWarning,
       NotUsed(path, u"cannot be opened: " + DescribeFileError(files_, hold.error()) + u".")});
  return false;
}

// Only once they are held, so never through a link. Taking a folder back in place would leave
// whoever owned it the handles they opened before; a fresh folder has none.
bool DataFolder::TakeBack(std::vector<MemoryNotice>& notices) {
  const std::u16string administrator = files_.UserSid();
  const auto secure = [&](const FolderHold& level, const FolderSecurity& expected) {
    const std::optional<FolderSecurity> actual = files_.ReadFolderSecurity(level.folder());
    return actual && IsSecureFolder(*actual, expected, administrator);
  };
  const FolderSecurity vendor_security = VendorFolderSecurity();
  const FolderSecurity data_security = DataFolderSecurity();
  const std::u16string vendor_path = VendorFolderOf(dir_);
  if (vendor_ && !secure(*vendor_, vendor_security)) {
    // The data folder goes aside with it, and is made afresh inside the new one.
    data_.reset();
    if (!Replace(*known_, kVendorFolderName, vendor_security, vendor_) ||
        !Replace(*vendor_, kDataFolderName, data_security, data_)) {
      notices.push_back(
          {Kind::kWarning,
           NotUsed(vendor_path, u"belongs to someone else and could not be taken back.")});
      return false;
    }
    return true;
  }
  if (data_ && !secure(*data_, data_security) &&
      !Replace(*vendor_, kDataFolderName, data_security, data_)) {
    notices.push_back(
        {Kind::kWarning, NotUsed(dir_, u"belongs to someone else and could not be taken back.")});
    return false;
  }
  return true;
}

bool DataFolder::Replace(const FolderHold& parent, const char16_t* name,
                         const FolderSecurity& security, std::optional<FolderHold>& level) {
  // The hold shares no deleting: it must go before the folder can be renamed.
  const bool existed = level.has_value();
  level.reset();
  if (existed) {
    const std::optional<std::uint64_t> random = files_.Random();
    if (!random || files_.MoveAside(parent.folder(), name, AsideName(name, *random)) != 0) {
      return false;
    }
  }
  FolderHold made(files_, files_.MakeFolder(parent.folder(), name, &security));
  if (!made) return false;
  level.emplace(std::move(made));
  return true;
}

}  // namespace velmoro
