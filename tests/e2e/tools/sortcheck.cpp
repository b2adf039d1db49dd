// sortcheck.exe <file>: the lines of a UTF-8 file sorted two ways: by a sorted LISTBOX that takes
// them in file order, and by the program's own sort. Prints how many lines agree and the first
// difference. Exit code 0 when the orders agree, 1 when not, 2 on a usage error.
#include <windows.h>
// shellapi.h builds on the types of windows.h.
#include <shellapi.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "catalogue/program_order.h"
#include "platform/win32/win32_text.h"
#include "platform/win32/win32_wide.h"
#include "utf8.h"

namespace {

std::vector<std::u16string> ReadLines(const wchar_t* path) {
  std::ifstream file(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(start, end - start);
    const int size = static_cast<int>(line.size());
    std::u16string wide(static_cast<std::size_t>(size), u'\0');
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, line.data(), size, velmoro::Wide(wide.data()), size);
    wide.resize(static_cast<std::size_t>(length));
    lines.push_back(wide);
    start = end + 1;
  }
  return lines;
}

std::vector<std::u16string> ByListBox(const std::vector<std::u16string>& lines) {
  HWND list = CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_SORT | LBS_HASSTRINGS, 0, 0, 0, 0,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const LRESULT at =
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(velmoro::Wide(lines[i])));
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(at), static_cast<LPARAM>(i));
  }
  std::vector<std::u16string> sorted;
  for (std::size_t at = 0; at < lines.size(); ++at) {
    sorted.push_back(lines[static_cast<std::size_t>(SendMessageW(list, LB_GETITEMDATA, at, 0))]);
  }
  DestroyWindow(list);
  return sorted;
}

// Each line is an entry: the name, the separator and the command.
std::vector<std::u16string> ByProgram(const std::vector<std::u16string>& lines) {
  const std::u16string separator(std::begin(velmoro::kEntrySeparator),
                                 std::end(velmoro::kEntrySeparator) - 1);
  std::vector<velmoro::ProgramEntry> entries;
  for (const std::u16string& line : lines) {
    const std::size_t at = line.find(separator);
    velmoro::ProgramEntry entry;
    entry.name = line.substr(0, at);
    entry.command = at == line.npos ? std::u16string() : line.substr(at + separator.size());
    entries.push_back(entry);
  }
  velmoro::Win32Text text;
  velmoro::SortPrograms(entries, text);
  std::vector<std::u16string> sorted;
  for (const velmoro::ProgramEntry& entry : entries) sorted.push_back(velmoro::EntryText(entry));
  return sorted;
}

}  // namespace

int main() {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (count != 2) {
    std::fprintf(stderr, "usage: sortcheck <file>\n");
    return 2;
  }
  const std::vector<std::u16string> lines = ReadLines(argv[1]);
  LocalFree(argv);
  const std::vector<std::u16string> expected = ByListBox(lines);
  const std::vector<std::u16string> actual = ByProgram(lines);
  std::size_t same = 0;
  while (same < lines.size() && expected[same] == actual[same]) ++same;
  std::printf("%zu of %zu lines in the same place\n", same, lines.size());
  if (same == lines.size()) return 0;
  std::printf("at %zu the list box has \"%s\", the program \"%s\"\n", same,
              ToUtf8(std::wstring(expected[same].begin(), expected[same].end())).c_str(),
              ToUtf8(std::wstring(actual[same].begin(), actual[same].end())).c_str());
  return 1;
}
