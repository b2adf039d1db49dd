#include "catalogue/program_entry.h"

#include <gtest/gtest.h>

#include "catalogue/program_order.h"
#include "platform/fake/fake_text.h"

namespace velmoro {
namespace {

struct LinesCase {
  const char* what;
  ProgramEntry entry;
  std::string entry_line;
  std::string name_line;
};

void PrintTo(const LinesCase& c, std::ostream* out) {
  *out << c.what;
}

// Each entry is exactly one line of the files, whatever its texts hold; a name holding the
// separator is still the whole name.
const LinesCase kLinesCases[] = {
    {"plain", {u"Tool", u"C:\\un.exe /S"}, "Tool<#>C:\\un.exe /S", "Tool"},
    {"empty", {u"", u""}, "<#>", ""},
    {"separator_in_the_name", {u"A<#>B", u"c.exe"}, "A<#>B<#>c.exe", "A<#>B"},
    {"crlf_in_the_name", {u"Evil\r\nTool", u"x.exe"}, "Evil  Tool<#>x.exe", "Evil  Tool"},
    {"lone_cr_and_lf_in_the_command", {u"T", u"a\rb\nc"}, "T<#>a b c", "T"},
    {"nul", {std::u16string(u"A\0B", 3), std::u16string(u"\0", 1)}, "A B<#> ", "A B"},
    {"code_page", {u"Caf\u00E9 \u5FAE", u"\u00E9.exe"}, "Caf\xE9 ?<#>\xE9.exe", "Caf\xE9 ?"},
};

class DataFileLinesTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(DataFileLinesTest, OneLineEach) {
  FakeText text;
  const EntryLines lines = DataFileLines(GetParam().entry, text);
  EXPECT_EQ(lines.entry, GetParam().entry_line);
  EXPECT_EQ(lines.name, GetParam().name_line);
}

INSTANTIATE_TEST_SUITE_P(Entries, DataFileLinesTest, ::testing::ValuesIn(kLinesCases),
                         [](const auto& info) { return std::string(info.param.what); });

// Letter case is ignored and whole entries are compared, the command after the name; entries that
// compare equal stand as the list control's binary insertion leaves them when it takes the entries
// in the order they were found.
TEST(SortProgramsTest, OrdersByKeysAndEqualOnesAsTheListControlDoes) {
  FakeText text;
  std::vector<ProgramEntry> entries;
  for (const auto& [name, command] : {std::pair{u"b", u"1"},
                                      {u"A", u"2"},
                                      {u"a", u"2"},
                                      {u"B", u"1"},
                                      {u"A", u"1"},
                                      {u"ab", u""}}) {
    entries.push_back({name, command});
  }
  SortPrograms(entries, text);
  std::vector<std::u16string> sorted;
  for (const ProgramEntry& entry : entries) sorted.push_back(EntryText(entry));
  EXPECT_EQ(sorted, (std::vector<std::u16string>{u"A<#>1", u"a<#>2", u"A<#>2", u"ab<#>", u"B<#>1",
                                                 u"b<#>1"}));
}

// Three entries equal apart from letter case: the list control's binary search meets the middle
// one of those placed, (first + last) / 2, and puts the new one before it.
TEST(SortProgramsTest, ATieOfThreeStandsAsTheListControlLeavesIt) {
  FakeText text;
  std::vector<ProgramEntry> entries = {{u"Ab", u""}, {u"aB", u""}, {u"AB", u""}, {u"ab", u""}};
  SortPrograms(entries, text);
  std::vector<std::u16string> sorted;
  for (const ProgramEntry& entry : entries) sorted.push_back(entry.name);
  EXPECT_EQ(sorted, (std::vector<std::u16string>{u"AB", u"ab", u"aB", u"Ab"}));
}

}  // namespace
}  // namespace velmoro
