#pragma once

#include <string>

namespace velmoro {

// Something about the memory that the user is shown in a box; the run goes on after it.
struct MemoryNotice {
  enum class Kind {
    kWarning,  // a folder or file was not used
    kError,    // a file could not be read or written
    kFolder,   // a level of a data folder could not be made; the text is its path
  };
  Kind kind;
  std::u16string text;
  bool operator==(const MemoryNotice&) const = default;
};

}  // namespace velmoro
