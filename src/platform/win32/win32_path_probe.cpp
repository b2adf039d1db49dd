#include <memory>

#include "platform/win32/win32_bounded.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_wide.h"

namespace velmoro {

// Asking for attributes neither opens the file nor recalls a cloud placeholder's data, but it
// waits for whatever lies behind a link on the way.
PathKind Win32Files::ProbePath(const std::u16string& path) {
  if (const auto known = probed_.find(path); known != probed_.end()) return known->second;
  struct Answer {
    DWORD attributes = INVALID_FILE_ATTRIBUTES;
    DWORD error = ERROR_SUCCESS;
  };
  const auto answer = std::make_shared<Answer>();
  if (path.find(u'\0') != std::u16string::npos ||
      !RunFileStep([path, answer](const std::atomic<bool>&) {
        answer->attributes = GetFileAttributesW(Wide(path));
        answer->error = GetLastError();
      })) {
    return PathKind::kUnknown;
  }
  PathKind found = PathKind::kUnknown;
  if (answer->attributes != INVALID_FILE_ATTRIBUTES) {
    found =
        (answer->attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kFolder : PathKind::kFile;
  } else if (answer->error == ERROR_FILE_NOT_FOUND || answer->error == ERROR_PATH_NOT_FOUND) {
    found = PathKind::kAbsent;
  }
  probed_.emplace(path, found);
  return found;
}

}  // namespace velmoro
