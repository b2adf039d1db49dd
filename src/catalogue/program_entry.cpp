#include "catalogue/program_entry.h"

#include <algorithm>
#include <iterator>

#include "catalogue/utf8_text.h"

namespace velmoro {

namespace {

// On the 8-bit forms: neither UTF-8's nor any code page's multi-byte characters hold these bytes,
// so nothing else changes, and the common text without them is not copied once more.
std::string LineSafe(std::string text) {
  std::replace_if(
      text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
  return text;
}

}  // namespace

std::u16string EntryText(const ProgramEntry& entry) {
  std::u16string text = entry.name;
  text.append(std::begin(kEntrySeparator), std::end(kEntrySeparator) - 1);
  return text + entry.command;
}

// The separator is ASCII and the code pages convert character by character, so the entry's form
// is its name's form, the separator and its command's form.
EntryLines DataFileLines(const ProgramEntry& entry, TextApi& text) {
  EntryLines lines;
  lines.name = LineSafe(text.ToAnsi(entry.name));
  lines.entry = lines.name + kEntrySeparator + LineSafe(text.ToAnsi(entry.command));
  lines.utf8_entry = LineSafe(ToUtf8(EntryText(entry)));
  return lines;
}

}  // namespace velmoro
