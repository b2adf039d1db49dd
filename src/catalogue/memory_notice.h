#pragma once

#include <string>

namespace velmoro {

// Something about the memory that the user is shown in a box. What follows is the reporter's: a
// folder or file not used leaves the run without that folder's memory; a level of the machine's
// data folder that cannot be made also asks the run to end, once the menu has been seen.
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
