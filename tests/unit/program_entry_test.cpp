#include "catalogue/program_entry.h"

#include <gtest/gtest.h>

#include <set>

#include "catalogue/program_order.h"
#include "catalogue/utf8_text.h"
#include "platform/fake/fake_text.h"

namespace velmoro {
namespace {

struct LinesCase {
  const char* what;
  ProgramEntry entry;
  std::string entry_line;
  std::string name_line;
  std::string utf8_line;
};

void PrintTo(const LinesCase& c, std::ostream* out) {
  *out << c.what;
}

// Each entry is exactly one line of the files, whatever its texts hold; a name holding the
// separator is still the whole name. In UTF-8, a surrogate that is not half of a pair has three
// bytes of its own, so texts that differ write differently.
const LinesCase kLinesCases[] = {
    {"plain", {u"Tool", u"C:\\un.exe /S"}, "Tool<#>C:\\un.exe /S", "Tool", "Tool<#>C:\\un.exe /S"},
    {"empty", {u"", u""}, "<#>", "", "<#>"},
    {"separator_in_the_name", {u"A<#>B", u"c.exe"}, "A<#>B<#>c.exe", "A<#>B", "A<#>B<#>c.exe"},
    {"crlf_in_the_name",
     {u"Evil\r\nTool", u"x.exe"},
     "Evil  Tool<#>x.exe",
     "Evil  Tool",
     "Evil  Tool<#>x.exe"},
    {"lone_cr_and_lf_in_the_command", {u"T", u"a\rb\nc"}, "T<#>a b c", "T", "T<#>a b c"},
    {"nul", {std::u16string(u"A\0B", 3), std::u16string(u"\0", 1)}, "A B<#> ", "A B", "A B<#> "},
    {"code_page",
     {u"Caf\u00E9 \u5FAE", u"\u00E9.exe"},
     "Caf\xE9 ?<#>\xE9.exe",
     "Caf\xE9 ?",
     "Caf\xC3\xA9 \xE5\xBE\xAE<#>\xC3\xA9.exe"},
    {"surrogate_pair",
     {u"Tool \U0001F600", u"x"},
     "Tool ?\?<#>x",
     "Tool ??",
     "Tool \xF0\x9F\x98\x80<#>x"},
    {"lone_surrogates",
     {u"\xDE00\xD83D", u"\xD83D"},
     "?\?<#>?",
     "??",
     "\xED\xB8\x80\xED\xA0\xBD<#>\xED\xA0\xBD"},
};

class DataFileLinesTest : public ::testing::TestWithParam<LinesCase> {};

TEST_P(DataFileLinesTest, OneLineEach) {
  FakeText text;
  const EntryLines lines = DataFileLines(GetParam().entry, text);
  EXPECT_EQ(lines.entry, GetParam().entry_line);
  EXPECT_EQ(lines.name, GetParam().name_line);
  EXPECT_EQ(lines.utf8_entry, GetParam().utf8_line);
}

INSTANTIATE_TEST_SUITE_P(Entries, DataFileLinesTest, ::testing::ValuesIn(kLinesCases),
                         [](const auto& info) { return std::string(info.param.what); });

// Every text of up to three units from the edges of UTF-16's ranges, surrogates alone and in pairs
// among them, has UTF-8 bytes of its own.
TEST(Utf8TextTest, DifferentTextsNeverWriteAlike) {
  const std::u16string units = {u'A',   0x7F,   0x80,   0x7FF,  0x800,  0xD7FF,
                                0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFFFF};
  std::set<std::u16string> texts = {u""};
  for (int length = 0; length < 3; ++length) {
    for (const std::u16string& text : std::set<std::u16string>(texts)) {
      for (const char16_t unit : units) texts.insert(text + unit);
    }
  }
  std::set<std::string> written;
  for (const std::u16string& text : texts) written.insert(ToUtf8(text));
  EXPECT_EQ(written.size(), texts.size());
}

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
