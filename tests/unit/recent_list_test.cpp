#include "catalogue/recent_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "catalogue/program_entry.h"

namespace velmoro {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

std::vector<std::string> Updated(const std::vector<std::string>& programs,
                                 const std::vector<std::string>& snapshot,
                                 std::vector<std::string> recent) {
  UpdateRecentList(programs, snapshot, recent);
  return recent;
}

TEST(UpdateRecentListTest, FirstRunDetectsNothingAndKeepsMatchingNames) {
  const std::vector<std::string> programs = {"A<#>a", "B<#>b"};
  EXPECT_THAT(Updated(programs, {}, {}), IsEmpty());
  EXPECT_THAT(Updated(programs, {}, {"Gone", "B", "A"}), ElementsAre("B", "A"));
}

TEST(UpdateRecentListTest, SnapshotOfOneEmptyLineMakesEveryEntryNew) {
  EXPECT_THAT(Updated({"A<#>a", "B<#>b", "C<#>c"}, {""}, {"B", "Gone"}),
              ElementsAre("C", "B", "A", "B"));
  const std::vector<std::string> eight = {"1<#>", "2<#>", "3<#>", "4<#>",
                                          "5<#>", "6<#>", "7<#>", "8<#>"};
  EXPECT_THAT(Updated(eight, {""}, {"1"}), ElementsAre("8", "7", "6", "5", "4", "3"));
}

TEST(UpdateRecentListTest, AddedProgramsGoOnTopInReverseListOrder) {
  const std::vector<std::string> snapshot = {"A<#>a", "C<#>c"};
  EXPECT_THAT(Updated({"A<#>a", "B<#>b", "C<#>c"}, snapshot, {"A"}), ElementsAre("B", "A"));
  EXPECT_THAT(Updated({"A<#>a", "B<#>b", "C<#>c", "D<#>d"}, snapshot, {"C", "A"}),
              ElementsAre("D", "B", "C", "A"));
}

TEST(UpdateRecentListTest, EightAddedLeaveOnlyTheSixThatSortLast) {
  std::vector<std::string> programs = {"Old<#>o"};
  for (char c = 'A'; c <= 'H'; ++c) programs.push_back(std::string(1, c) + "<#>x");
  EXPECT_THAT(Updated(programs, {"Old<#>o"}, {"Old"}), ElementsAre("H", "G", "F", "E", "D", "C"));
}

TEST(UpdateRecentListTest, ChangedCommandIsNewAgainAndItsNameMayStandTwice) {
  EXPECT_THAT(Updated({"A<#>new"}, {"A<#>old"}, {"A"}), ElementsAre("A", "A"));
}

TEST(UpdateRecentListTest, EqualNamesAndRepeatedLinesAllStay) {
  EXPECT_THAT(Updated({"Same<#>1", "Same<#>2", "X<#>x"}, {"X<#>x"}, {}),
              ElementsAre("Same", "Same"));
  EXPECT_THAT(Updated({"X<#>x"}, {"X<#>x"}, {"X", "Y", "X"}), ElementsAre("X", "X"));
}

TEST(UpdateRecentListTest, ComparesBytesExactly) {
  const std::vector<std::string> programs = {"Tool<#>t"};
  EXPECT_THAT(Updated(programs, {"Tool<#>t"}, {"tool", "Tool ", " Tool", "Tool"}),
              ElementsAre("Tool"));
  EXPECT_THAT(Updated(programs, {"TOOL<#>t"}, {}), ElementsAre("Tool"));
}

TEST(UpdateRecentListTest, EmptyProgramListRemovesEveryName) {
  EXPECT_THAT(Updated({}, {"A<#>a"}, {"A", ""}), IsEmpty());
}

TEST(UpdateRecentListTest, EmptyDisplayNameIsANameLikeAnyOther) {
  EXPECT_THAT(Updated({"<#>x", "A<#>a"}, {"A<#>a"}, {"", "A"}), ElementsAre("", "", "A"));
}

TEST(UpdateRecentListTest, CapsAtSixKeepingTheTopmost) {
  const std::vector<std::string> programs = {"A<#>", "B<#>", "C<#>", "D<#>",
                                             "E<#>", "F<#>", "G<#>"};
  EXPECT_THAT(Updated(programs, programs, {"G", "F", "E", "D", "C", "B", "A"}),
              ElementsAre("G", "F", "E", "D", "C", "B"));
  EXPECT_THAT(Updated(programs, programs, {"G", "Gone", "F", "E", "D", "C", "B"}),
              ElementsAre("G", "F", "E", "D", "C", "B"));
}

// The lists as the plain scans give them: detection inserts at the top entry by entry, pruning
// looks each line up among all display names, capping drops the bottom lines.
std::vector<std::string> ByPlainScans(const std::vector<std::string>& programs,
                                      const std::vector<std::string>& snapshot,
                                      std::vector<std::string> recent) {
  if (!snapshot.empty()) {
    for (const std::string& entry : programs) {
      bool found = false;
      for (const std::string& line : snapshot) found = found || line == entry;
      if (!found) recent.insert(recent.begin(), std::string(DisplayName(entry)));
    }
  }
  for (std::size_t pos = 0; pos < recent.size();) {
    bool found = false;
    for (const std::string& entry : programs) found = found || DisplayName(entry) == recent[pos];
    if (found) {
      ++pos;
    } else {
      recent.erase(recent.begin() + static_cast<std::ptrdiff_t>(pos));
    }
  }
  while (recent.size() > kMaxRecent) recent.pop_back();
  return recent;
}

TEST(UpdateRecentListTest, AgreesWithThePlainScansOnRandomLists) {
  std::mt19937 random(20240601);
  // Few distinct texts, so that equal names, equal entries and repeated lines are common.
  const std::vector<std::string> names = {"", "A", "B", "C", "a", "B "};
  const std::vector<std::string> commands = {"", "1", "2"};
  auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
  };
  auto entries = [&](std::size_t count) {
    std::vector<std::string> list;
    for (std::size_t i = 0; i < count; ++i) list.push_back(pick(names) + "<#>" + pick(commands));
    return list;
  };
  std::uniform_int_distribution<std::size_t> size(0, 9);
  for (int round = 0; round < 2000; ++round) {
    const auto programs = entries(size(random));
    const auto snapshot = entries(size(random) / 3);
    std::vector<std::string> recent;
    for (std::size_t i = size(random); i > 0; --i) recent.push_back(pick(names));
    ASSERT_THAT(Updated(programs, snapshot, recent),
                ElementsAreArray(ByPlainScans(programs, snapshot, recent)))
        << "round " << round;
  }
}

}  // namespace
}  // namespace velmoro
