#include "catalogue/program_entry.h"

#include <algorithm>

namespace velmoro {

namespace {

std::u16string LineSafe(std::u16string text) {
  std::replace_if(
      text.begin(), text.end(), [](char16_t c) { return c == u'\r' || c == u'\n' || c == 0; },
      u' ');
  return text;
}

}  // namespace

std::u16string EntryText(const ProgramEntry& entry) {
  return entry.name + kEntrySeparator + entry.command;
}

// The separator is ASCII and the code pages convert character by character, so the entry's form
// is its name's form, the separator and its command's form.
EntryLines DataFileLines(const ProgramEntry& entry, TextApi& text) {
  EntryLines lines;
  lines.name = text.ToAnsi(LineSafe(entry.name));
  lines.entry = lines.name + "<#>" + text.ToAnsi(LineSafe(entry.command));
  return lines;
}

}  // namespace velmoro
