#include "catalogue/recent_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "catalogue/list_text.h"
#include "list_text_form.h"

namespace velmoro {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

// Programs given as their "All.dat" lines, which are ASCII: the same in both forms; the name is
// the text before the first separator.
std::vector<EntryLines> LinesOf(const std::vector<std::string>& programs) {
  std::vector<EntryLines> lines;
  for (const std::string& entry : programs)
    lines.push_back({entry, entry.substr(0, entry.find("<#>")), entry});
  return lines;
}

std::vector<std::size_t> Everyone(std::size_t count) {
  std::vector<std::size_t> positions(count);
  for (std::size_t i = 0; i < count; ++i) positions[i] = i;
  return positions;
}

std::vector<std::size_t> NewSince(const ProgramSet& set, std::string_view snapshot) {
  Detection detection(set, LineForm::kAnsi);
  ForEachListLine(snapshot, [&](std::string_view line) {
    detection.See(line);
    return !detection.Done();
  });
  return detection.Found();
}

// One run's recent list, from the snapshot's lines and the loaded recent lines: the names.
std::vector<std::string> Updated(const std::vector<std::string>& programs,
                                 const std::vector<std::string>& snapshot,
                                 const std::vector<std::string>& recent) {
  const std::vector<EntryLines> lines = LinesOf(programs);
  const ProgramSet set(lines, Everyone(lines.size()));
  RecentList list;
  if (!snapshot.empty()) list.AddNew(NewSince(set, FormatListText(snapshot)));
  ForEachListLine(FormatListText(recent),
                  [&](std::string_view line) { return list.AddOlder(set, line); });
  std::vector<std::string> names;
  for (const std::size_t position : list.positions()) names.push_back(lines[position].name);
  return names;
}

TEST(RecentListTest, FirstRunDetectsNothingAndKeepsMatchingNames) {
  const std::vector<std::string> programs = {"A<#>a", "B<#>b"};
  EXPECT_THAT(Updated(programs, {}, {}), IsEmpty());
  EXPECT_THAT(Updated(programs, {}, {"Gone", "B", "A"}), ElementsAre("B", "A"));
}

TEST(RecentListTest, SnapshotOfOneEmptyLineMakesEveryEntryNew) {
  EXPECT_THAT(Updated({"A<#>a", "B<#>b", "C<#>c"}, {""}, {"B", "Gone"}),
              ElementsAre("C", "B", "A", "B"));
  const std::vector<std::string> eight = {"1<#>", "2<#>", "3<#>", "4<#>",
                                          "5<#>", "6<#>", "7<#>", "8<#>"};
  EXPECT_THAT(Updated(eight, {""}, {"1"}), ElementsAre("8", "7", "6", "5", "4", "3"));
}

TEST(RecentListTest, AddedProgramsGoOnTopInReverseListOrder) {
  const std::vector<std::string> snapshot = {"A<#>a", "C<#>c"};
  EXPECT_THAT(Updated({"A<#>a", "B<#>b", "C<#>c"}, snapshot, {"A"}), ElementsAre("B", "A"));
  EXPECT_THAT(Updated({"A<#>a", "B<#>b", "C<#>c", "D<#>d"}, snapshot, {"C", "A"}),
              ElementsAre("D", "B", "C", "A"));
}

TEST(RecentListTest, EightAddedLeaveOnlyTheSixThatSortLast) {
  std::vector<std::string> programs = {"Old<#>o"};
  for (char c = 'A'; c <= 'H'; ++c) programs.push_back(std::string(1, c) + "<#>x");
  EXPECT_THAT(Updated(programs, {"Old<#>o"}, {"Old"}), ElementsAre("H", "G", "F", "E", "D", "C"));
}

TEST(RecentListTest, ChangedCommandIsNewAgainAndItsNameMayStandTwice) {
  EXPECT_THAT(Updated({"A<#>new"}, {"A<#>old"}, {"A"}), ElementsAre("A", "A"));
}

TEST(RecentListTest, EqualNamesAndRepeatedLinesAllStay) {
  EXPECT_THAT(Updated({"Same<#>1", "Same<#>2", "X<#>x"}, {"X<#>x"}, {}),
              ElementsAre("Same", "Same"));
  EXPECT_THAT(Updated({"X<#>x"}, {"X<#>x"}, {"X", "Y", "X"}), ElementsAre("X", "X"));
}

TEST(RecentListTest, ComparesBytesExactly) {
  const std::vector<std::string> programs = {"Tool<#>t"};
  EXPECT_THAT(Updated(programs, {"Tool<#>t"}, {"tool", "Tool ", " Tool", "Tool"}),
              ElementsAre("Tool"));
  EXPECT_THAT(Updated(programs, {"TOOL<#>t"}, {}), ElementsAre("Tool"));
}

TEST(RecentListTest, EmptyProgramListRemovesEveryName) {
  EXPECT_THAT(Updated({}, {"A<#>a"}, {"A", ""}), IsEmpty());
}

TEST(RecentListTest, EmptyDisplayNameIsANameLikeAnyOther) {
  EXPECT_THAT(Updated({"<#>x", "A<#>a"}, {"A<#>a"}, {"", "A"}), ElementsAre("", "", "A"));
}

TEST(RecentListTest, CapsAtSixKeepingTheTopmost) {
  const std::vector<std::string> programs = {"A<#>", "B<#>", "C<#>", "D<#>",
                                             "E<#>", "F<#>", "G<#>"};
  EXPECT_THAT(Updated(programs, programs, {"G", "F", "E", "D", "C", "B", "A"}),
              ElementsAre("G", "F", "E", "D", "C", "B"));
  EXPECT_THAT(Updated(programs, programs, {"G", "Gone", "F", "E", "D", "C", "B"}),
              ElementsAre("G", "F", "E", "D", "C", "B"));
}

struct ResolveCase {
  const char* what;
  std::vector<std::string> programs;
  std::vector<std::size_t> found;  // new in this run, in list order
  std::vector<std::string> older;
  std::vector<std::size_t> positions;
  bool exact = false;  // the older lines are entry lines, as in a user's files
};

void PrintTo(const ResolveCase& c, std::ostream* out) {
  *out << c.what;
}

// A program found new is listed by its position, whatever its name. The k-th older line of a name
// stands for the k-th program of that name that is not new in this run; where fewer are left (a
// program whose command changed stands twice), for the last of them. An older entry line stands
// for the first program of that very entry not listed yet, and for none where none is left.
const ResolveCase kResolveCases[] = {
    {"distinct", {"A<#>1", "B<#>2"}, {}, {"B", "A"}, {1, 0}},
    {"equal_names_each_their_own", {"S<#>1", "X<#>x", "S<#>2"}, {}, {"S", "S"}, {0, 2}},
    {"more_lines_than_programs", {"S<#>1", "S<#>2"}, {}, {"S", "S", "S"}, {0, 1, 1}},
    {"one_program_twice", {"A<#>new"}, {0}, {"A"}, {0, 0}},
    {"counted_per_name", {"S<#>1", "T<#>1", "S<#>2"}, {}, {"S", "T", "S"}, {0, 1, 2}},
    {"unknown_line_skipped", {"A<#>1"}, {}, {"Gone", "A"}, {0}},
    {"new_one_of_a_name_reached_exactly", {"S<#>1", "S<#>2"}, {1}, {}, {1}},
    {"older_line_passes_the_new_one_by", {"S<#>1", "S<#>2", "S<#>3"}, {0}, {"S", "S"}, {0, 1, 2}},
    {"exact_equal_names", {"S<#>1", "S<#>2"}, {}, {"S<#>2", "S<#>1"}, {1, 0}, true},
    {"exact_line_of_a_gone_program_leaves", {"S<#>2"}, {}, {"S<#>1", "S<#>2"}, {0}, true},
    {"exact_line_of_a_new_program_not_twice",
     {"A<#>1", "B<#>2"},
     {1},
     {"B<#>2", "A<#>1"},
     {1, 0},
     true},
    {"exact_equal_entries_kth_then_none",
     {"S<#>1", "X<#>x", "S<#>1"},
     {},
     {"S<#>1", "S<#>1", "S<#>1", "X<#>x"},
     {0, 2, 1},
     true},
    {"exact_name_alone_reaches_nothing", {"S<#>1"}, {}, {"S", "S<#>"}, {}, true},
};

class ResolveTest : public ::testing::TestWithParam<ResolveCase> {};

TEST_P(ResolveTest, EachLineReachesItsOwnProgram) {
  const std::vector<EntryLines> lines = LinesOf(GetParam().programs);
  const ProgramSet set(lines, Everyone(lines.size()));
  RecentList list;
  list.AddNew(GetParam().found);
  for (const std::string& line : GetParam().older) {
    if (GetParam().exact) {
      list.AddExact(set, line);
    } else {
      list.AddOlder(set, line);
    }
  }
  EXPECT_THAT(list.positions(), ElementsAreArray(GetParam().positions));
}

INSTANTIATE_TEST_SUITE_P(Lines, ResolveTest, ::testing::ValuesIn(kResolveCases),
                         [](const auto& info) { return std::string(info.param.what); });

// Names of another set never reach a program of this one.
TEST(RecentListTest, AnOlderLineResolvesInItsOwnSetOnly) {
  const std::vector<EntryLines> lines = LinesOf({"Foo<#>machine", "Foo<#>user"});
  const ProgramSet machine(lines, {0});
  const ProgramSet user(lines, {1});
  RecentList list;
  list.AddOlder(user, "Foo");
  list.AddOlder(machine, "Foo");
  list.AddOlder(user, "Foo");
  EXPECT_THAT(list.positions(), ElementsAre(1u, 0u, 1u));
}

// A snapshot of a million empty lines is read line by line, never gathered; an empty one holds no
// entry at all.
TEST(RecentListTest, SnapshotOfManyLinesCostsNoMoreThanItsBytes) {
  const std::vector<EntryLines> lines = LinesOf({"A<#>a", "<#>"});
  const ProgramSet set(lines, Everyone(2));
  EXPECT_THAT(NewSince(set, std::string(1'000'000, '\n')), ElementsAre(0u, 1u));
  EXPECT_THAT(NewSince(set, std::string(1'000'000, '\n') + "<#>"), ElementsAre(0u));
  EXPECT_THAT(NewSince(set, ""), ElementsAre(0u, 1u));
}

std::string DisplayName(const std::string& entry) {
  return entry.substr(0, entry.find("<#>"));
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
      if (!found) recent.insert(recent.begin(), DisplayName(entry));
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

TEST(RecentListTest, AgreesWithThePlainScansOnRandomLists) {
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
