#include "catalogue/list_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "list_text_form.h"

namespace velmoro {
namespace {

using ::testing::ElementsAreArray;

struct LineCase {
  const char* what;
  std::string bytes;
  std::vector<std::string> lines;
};

void PrintTo(const LineCase& c, std::ostream* os) {
  *os << c.what;
}

const LineCase kLineCases[] = {
    {"no_bytes", "", {}},
    {"crlf_alone", "\r\n", {""}},
    {"crlf", "A\r\nB\r\n", {"A", "B"}},
    {"no_final_line_end", "A\r\nB", {"A", "B"}},
    {"empty_line_between", "A\r\n\r\nB\r\n", {"A", "", "B"}},
    {"lone_cr_and_lone_lf", "A\rB\nC", {"A", "B", "C"}},
    {"lf_cr_ends_a_line_and_an_empty_one", "A\n\rB", {"A", "", "B"}},
    {"nul_ends_the_text", std::string("A\0B\r\n", 5), {"A"}},
    {"nul_first", std::string("\0A", 2), {}},
    {"blanks_and_tabs_kept", " A \t\r\n\t", {" A \t", "\t"}},
    {"byte_order_mark_is_part_of_the_first_line",
     "\xEF\xBB\xBF"
     "A\r\n",
     {"\xEF\xBB\xBF"
      "A"}},
    {"cr_cr", "A\r\rB", {"A", "", "B"}},
};

std::vector<std::string> Lines(std::string_view bytes) {
  std::vector<std::string> lines;
  ForEachListLine(bytes, [&](std::string_view line) {
    lines.emplace_back(line);
    return true;
  });
  return lines;
}

class ListLinesTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(ListLinesTest, SplitsLines) {
  EXPECT_THAT(Lines(GetParam().bytes), ElementsAreArray(GetParam().lines));
}

INSTANTIATE_TEST_SUITE_P(LineRules, ListLinesTest, ::testing::ValuesIn(kLineCases),
                         [](const auto& info) { return std::string(info.param.what); });

TEST(FormatListTextTest, EndsEveryLineWithCrLf) {
  EXPECT_EQ(FormatListText({}), "");
  EXPECT_EQ(FormatListText({""}), "\r\n");
  EXPECT_EQ(FormatListText({"A<#>a.exe", "", "B"}), "A<#>a.exe\r\n\r\nB\r\n");
}

TEST(FormatListTextTest, RoundTripsListsWithoutLineBreaks) {
  const std::vector<std::string> lists[] = {{}, {""}, {"", ""}, {"A", "", " B ", "\xE4\xF6"}};
  for (const auto& lines : lists) {
    EXPECT_THAT(Lines(FormatListText(lines)), ElementsAreArray(lines));
  }
}

TEST(ListLinesTest, StopsWhenAsked) {
  std::vector<std::string> seen;
  ForEachListLine("A\r\nB\r\nC\r\n", [&](std::string_view line) {
    seen.emplace_back(line);
    return line != "B";
  });
  EXPECT_THAT(seen, ElementsAreArray({"A", "B"}));
}

}  // namespace
}  // namespace velmoro
