#pragma once

#include <optional>
#include <string>

namespace velmoro {

class ShellApi {
 public:
  virtual ~ShellApi() = default;

  // ShellExecuteW(no owner, "open", file, parameters, no directory, SW_SHOWNORMAL). No parameters
  // is passed as a null pointer, an empty text as "". Returns at once; the result is not reported.
  virtual void OpenWithShell(const std::u16string& file,
                             const std::optional<std::u16string>& parameters) = 0;
  // ExpandEnvironmentStringsW: references to environment variables replaced by their values;
  // the text unchanged when it cannot be expanded.
  virtual std::u16string ExpandEnvironment(const std::u16string& text) = 0;
};

}  // namespace velmoro
