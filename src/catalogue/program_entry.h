#pragma once

#include <cstdint>
#include <string>

#include "platform/registry_api.h"
#include "platform/text_api.h"

namespace velmoro {

// One program of the program list, as its uninstall subkey gives it.
struct ProgramEntry {
  std::u16string name;          // "DisplayName", whole: it is the item's caption
  std::u16string command;       // "UninstallString"
  bool expand_command = false;  // "UninstallString" is REG_EXPAND_SZ
  bool per_user = false;        // listed from the current user's key
  // Where the program's uninstall subkey is, for what is read of it only when needed.
  RegKey root = kHkeyLocalMachine;
  std::uint32_t view = 0;  // the registry view it was read in (KEY_WOW64_*), or 0
  std::u16string subkey = {};
};

// Between the name and the command where an entry stands as one text. ASCII, so it is the same in
// UTF-16 and in every 8-bit code page.
inline constexpr char kEntrySeparator[] = "<#>";

// Name, separator and command: the text by which the program list is sorted.
std::u16string EntryText(const ProgramEntry& entry);

// The forms in which the data files hold texts: the system's ANSI code page (the machine's files,
// and a user's files of the earlier form) and UTF-8 (a user's files).
enum class LineForm { kAnsi, kUtf8 };

// An entry as the data files hold it: in the ANSI code page, its line of "All.dat" and the line of
// its name in "Recent.dat"; in UTF-8, its line of a user's files. CR, LF and NUL are written as
// blanks, so that each is exactly one line.
struct EntryLines {
  std::string entry;
  std::string name;
  std::string utf8_entry;

  const std::string& Entry(LineForm form) const {
    return form == LineForm::kUtf8 ? utf8_entry : entry;
  }
};
EntryLines DataFileLines(const ProgramEntry& entry, TextApi& text);

}  // namespace velmoro
