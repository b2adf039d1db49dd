#pragma once

#include <optional>
#include <string>

#include "platform/desktop_api.h"

namespace velmoro {

inline constexpr unsigned kDesktopShellWaitMs = 5000;

class ShellApi {
 public:
  virtual ~ShellApi() = default;

  // ShellExecuteExW: verb "open", file, parameters, directory, SW_SHOWNORMAL, the owner's window
  // as the window of a consent prompt or an error box, and SEE_MASK_NOASYNC, since the program
  // ends right after and the shell may finish some starts on another thread. No parameters or no
  // directory is passed as a null pointer, an empty text as "". The result is not reported: what a
  // failure shows is the shell's own.
  virtual void OpenWithShell(Owner owner, const std::u16string& file,
                             const std::optional<std::u16string>& parameters,
                             const std::optional<std::u16string>& directory = std::nullopt) = 0;
  // Opens file through the desktop shell's own process (IShellWindows, then
  // IShellDispatch2::ShellExecute), so that what it starts runs as the desktop's user, not with
  // this process's elevation. The shell is asked from a thread of its own, in an apartment of its
  // own, and waited for at most kDesktopShellWaitMs: a call to another process lasts as long as
  // that process takes to answer. False when the desktop shell offers no such way, fails, or has
  // not answered by then.
  virtual bool OpenAsDesktopUser(const std::u16string& file) = 0;
  // ExpandEnvironmentStringsW: references to environment variables replaced by their values;
  // the text unchanged when it cannot be expanded.
  virtual std::u16string ExpandEnvironment(const std::u16string& text) = 0;
  // GetSystemDirectoryW and GetSystemWindowsDirectoryW: the folders a program named without a
  // folder is looked up in.
  virtual std::u16string SystemFolder() = 0;
  virtual std::u16string WindowsFolder() = 0;
};

}  // namespace velmoro
