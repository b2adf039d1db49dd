#include "catalogue/program_entry.h"

#include <gtest/gtest.h>

namespace velmoro {
namespace {

TEST(ProgramEntryTest, JoinsNameAndCommandWithTheSeparator) {
  EXPECT_EQ(MakeProgramEntry("Tool", "C:\\un.exe /S"), "Tool<#>C:\\un.exe /S");
  EXPECT_EQ(MakeProgramEntry("", ""), "<#>");
}

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
    EXPECT_EQ(DisplayName(c.entry), c.name);
    EXPECT_EQ(UninstallCommand(c.entry), c.command);
  }
}

}  // namespace
}  // namespace velmoro
