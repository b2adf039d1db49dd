#pragma once

#include <utility>

#include "platform/file_api.h"

namespace velmoro {

// A held folder, released when it goes.
class FolderHold {
 public:
  FolderHold(FileApi& files, const HeldFolder& held) : files_(&files), held_(held) {}
  ~FolderHold() {
    if (*this) files_->ReleaseFolder(held_.folder);
  }
  FolderHold(FolderHold&& other) noexcept
      : files_(other.files_), held_(std::exchange(other.held_, HeldFolder{})) {}
  FolderHold& operator=(FolderHold&&) = delete;
  FolderHold(const FolderHold&) = delete;
  FolderHold& operator=(const FolderHold&) = delete;

  explicit operator bool() const { return held_.status == HoldStatus::kHeld; }
  FolderHandle folder() const { return held_.folder; }
  HoldStatus status() const { return held_.status; }
  ErrorCode error() const { return held_.error; }

 private:
  FileApi* files_;
  HeldFolder held_;
};

}  // namespace velmoro
