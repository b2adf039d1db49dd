#pragma once

#include <optional>
#include <string>

namespace velmoro {

class ShellApi {
 public:
  virtual ~ShellApi() = default;

  // ShellExecuteA(no owner, "open", file, parameters, no directory, SW_SHOWNORMAL). No parameters
  // is passed as a null pointer, an empty text as "". Returns at once; the result is not reported.
  virtual void OpenWithShell(const std::string& file,
                             const std::optional<std::string>& parameters) = 0;
};

}  // namespace velmoro
