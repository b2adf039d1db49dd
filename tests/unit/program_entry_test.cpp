#include "catalogue/program_entry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "catalogue/program_order.h"
#include "platform/fake/fake_text.h"

namespace velmoro {
namespace {

TEST(ProgramEntryTest, JoinsNameAndCommandWithTheSeparator) {
  EXPECT_EQ(MakeProgramEntry(u"Tool", u"C:\\un.exe /S"), u"Tool<#>C:\\un.exe /S");
  EXPECT_EQ(MakeProgramEntry(u"", u""), u"<#>");
}

// The same rule for entries and their 8-bit form in the files.
TEST(ProgramEntryTest, SplitsAtTheFirstSeparator) {
  struct Case {
    const char* entry;
    const char* name;
    const char* command;
  };
  const Case cases[] = {
      {"Tool<#>un.exe", "Tool", "un.exe"}, {"<#>un.exe", "", "un.exe"}, {"Tool<#>", "Tool", ""},
      {"A<#>B<#>C", "A", "B<#>C"},         {"no separator", "", ""},    {"A<#B<#>C", "A<#B", "C"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    const std::string entry = c.entry;
    const std::u16string wide(entry.begin(), entry.end());
    EXPECT_EQ(DisplayName(entry), c.name);
    EXPECT_EQ(DisplayName(wide), std::u16string(c.name, c.name + std::strlen(c.name)));
    EXPECT_EQ(UninstallCommand(wide),
              std::u16string(c.command, c.command + std::strlen(c.command)));
  }
}

TEST(ProgramEntryTest, FindsTheFirstEntryOfAName) {
  const std::vector<std::string> entries = {"A<#>1", "B<#>2", "B<#>3", "B<#"};
  EXPECT_EQ(FindEntryByDisplayName(entries, "B"), 1u);
  EXPECT_EQ(FindEntryByDisplayName(entries, "A<#>1"), std::nullopt);
  EXPECT_EQ(FindEntryByDisplayName(entries, ""), 3u);  // no separator: an empty name
}

}  // namespace
}  // namespace velmoro
namespace velmoro {
namespace {

// Letter case is ignored; entries that compare equal stand as the list control's binary insertion
// leaves them when it takes the entries in the order they were found.
TEST(SortProgramsTest, OrdersByKeysAndEqualOnesAsTheListControlDoes) {
  FakeText text;
  std::vector<ProgramEntry> entries;
  for (const char16_t* name : {u"b<#>1", u"A<#>2", u"a<#>2", u"B<#>1", u"A<#>1", u"ab<#>"}) {
    entries.push_back({name});
  }
  SortPrograms(entries, text);
  std::vector<std::u16string> sorted;
  for (const ProgramEntry& entry : entries) sorted.push_back(entry.text);
  EXPECT_EQ(sorted, (std::vector<std::u16string>{u"A<#>1", u"a<#>2", u"A<#>2", u"ab<#>", u"B<#>1",
                                                 u"b<#>1"}));
}

}  // namespace
}  // namespace velmoro
