#pragma once

#include <optional>
#include <string>

namespace velmoro {

class ShellApi {
 public:
  virtual ~ShellApi() = default;

  // ShellExecuteW(no owner, "open", file, parameters, directory, SW_SHOWNORMAL). No parameters or
  // no directory is passed as a null pointer, an empty text as "". Returns at once; the result
  // is not reported.
  virtual void OpenWithShell(const std::u16string& file,
                             const std::optional<std::u16string>& parameters,
                             const std::optional<std::u16string>& directory = std::nullopt) = 0;
  // ExpandEnvironmentStringsW: references to environment variables replaced by their values;
  // the text unchanged when it cannot be expanded.
  virtual std::u16string ExpandEnvironment(const std::u16string& text) = 0;
  // GetSystemDirectoryW and GetSystemWindowsDirectoryW: the folders a program named without a
  // folder is looked up in.
  virtual std::u16string SystemFolder() = 0;
  virtual std::u16string WindowsFolder() = 0;
};

}  // namespace velmoro
