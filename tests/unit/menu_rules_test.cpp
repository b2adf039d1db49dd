#include "app/menu_rules.h"

#include <gtest/gtest.h>

#include <memory>

#include "app/command_id_pool.h"
#include "platform/fake/fake_text.h"

namespace velmoro {
namespace {

// Builds a level from captions; "-" is a separator, "~x" a hidden item x, "!x" a literal item x.
std::unique_ptr<MenuItem> Level(CommandIdPool& pool, const std::vector<std::string>& captions) {
  auto level = std::make_unique<MenuItem>(pool);
  for (const std::string& caption : captions) {
    auto item = std::make_unique<MenuItem>(pool);
    item->Caption = caption;
    if (caption.size() > 1 && caption[0] == '~') {
      item->Caption = caption.substr(1);
      item->Visible = false;
    } else if (caption.size() > 1 && caption[0] == '!') {
      item->Caption = caption.substr(1);
      item->LiteralCaption = true;
    }
    level->Add(std::move(item));
  }
  return level;
}

std::string Shown(const MenuItem& level) {
  std::string shown;
  for (std::size_t i = 0; i < level.Count(); ++i) {
    if (level[i].Visible) shown += (shown.empty() ? "" : " ") + level[i].Caption;
  }
  return shown;
}

struct ReductionCase {
  std::vector<std::string> captions;
  const char* shown;
  bool changed;
};

void PrintTo(const ReductionCase& c, std::ostream* out) {
  *out << c.shown;
}

class ReduceSeparatorsTest : public ::testing::TestWithParam<ReductionCase> {};

TEST_P(ReduceSeparatorsTest, KeepsOnlySeparatorsBetweenShownItems) {
  CommandIdPool pool;
  auto level = Level(pool, GetParam().captions);
  EXPECT_EQ(ReduceSeparators(*level), GetParam().changed);
  EXPECT_EQ(Shown(*level), GetParam().shown);
  EXPECT_FALSE(ReduceSeparators(*level)) << "a second pass changes nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Levels, ReduceSeparatorsTest,
    ::testing::Values(
        ReductionCase{{"All", "Recent", "-", "Pro", "Exit"}, "All Recent - Pro Exit", false},
        ReductionCase{{"-", "a", "-", "-", "b", "-"}, "a - b", true},
        ReductionCase{{"a", "~b", "-", "c"}, "a - c", false},
        ReductionCase{{"a", "-", "~b"}, "a", true}, ReductionCase{{"-", "-"}, "", true},
        ReductionCase{{"a", "!-", "b"}, "a - b", false},
        ReductionCase{{"!-", "-", "!-"}, "- - -", false}));

TEST(ReduceSeparatorsTest, ShowsTheLastOfARunAgain) {
  CommandIdPool pool;
  auto level = Level(pool, {"a", "-", "-", "b"});
  (*level)[2].Visible = false;
  EXPECT_TRUE(ReduceSeparators(*level));
  EXPECT_FALSE((*level)[1].Visible);
  EXPECT_TRUE((*level)[2].Visible);
}

TEST(BuildMenuEntriesTest, CarriesStateAndSubmenusOfVisibleItems) {
  CommandIdPool pool;
  auto top = Level(pool, {"All Programs", "Recent Programs", "~Hidden", "-", "R&D", "!R&D", "!-"});
  (*top)[1].SetDefault(true);
  (*top)[0].Enabled = false;
  (*top)[4].Checked = true;
  auto child = std::make_unique<MenuItem>(pool);
  child->Caption = "Child";
  (*top)[1].Add(std::move(child));

  const auto entries = BuildMenuEntries(*top);
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_TRUE(entries[0].disabled);
  EXPECT_TRUE(entries[1].is_default);
  ASSERT_EQ(entries[1].submenu.size(), 1u);
  EXPECT_EQ(entries[1].submenu[0].text, "Child");
  EXPECT_EQ(entries[1].command, (*top)[1].Command());
  EXPECT_TRUE(entries[2].separator);
  EXPECT_EQ(entries[3].text, "R&D");
  EXPECT_TRUE(entries[3].checked);
  EXPECT_EQ(entries[4].text, "R&&D");  // a literal caption shows its "&"
  EXPECT_FALSE(entries[5].separator);  // a program named "-" is no separator
  EXPECT_EQ(entries[5].text, "-");
}

TEST(MenuItemTest, DefaultIsUniqueAmongSiblings) {
  CommandIdPool pool;
  auto top = Level(pool, {"a", "b"});
  (*top)[0].SetDefault(true);
  (*top)[1].SetDefault(true);
  EXPECT_FALSE((*top)[0].Default());
  EXPECT_TRUE((*top)[1].Default());
}

TEST(CommandIdPoolTest, IdentifiersAreUniqueAndComeBack) {
  CommandIdPool pool;
  std::uint16_t first;
  {
    auto level = Level(pool, {"a", "b", "c"});
    first = level->Command();
    EXPECT_NE(first, 0);
    EXPECT_NE((*level)[0].Command(), (*level)[1].Command());
    EXPECT_EQ(level->Find((*level)[2].Command()), &(*level)[2]);
  }
  EXPECT_FALSE(pool.InUse(first));  // destroying an item (and its children) frees the ids
  for (int i = 0; i < 65535; ++i) pool.Take();
  EXPECT_THROW(pool.Take(), std::length_error);
}

struct TypeAheadCase {
  char key;
  int current;
  int expected;
};

void PrintTo(const TypeAheadCase& c, std::ostream* out) {
  *out << static_cast<int>(static_cast<unsigned char>(c.key)) << " after " << c.current;
}

class TypeAheadTest : public ::testing::TestWithParam<TypeAheadCase> {};

TEST_P(TypeAheadTest, MovesToTheNextItemWithThatLetter) {
  CommandIdPool pool;
  FakeText text;
  // Shown indexes: 0 Alpha, 1 beta, 2 -, 3 Bravo, 4 ätna, 5 Ärger (the hidden Basic is skipped).
  auto level = Level(pool, {"Alpha", "beta", "-", "~Basic", "Bravo", "\xE4tna", "\xC4rger"});
  EXPECT_EQ(NextItemStartingWith(*level, GetParam().key, GetParam().current, text),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, TypeAheadTest,
                         ::testing::Values(TypeAheadCase{'b', -1, 1}, TypeAheadCase{'B', 1, 3},
                                           TypeAheadCase{'b', 3, 1}, TypeAheadCase{'a', 0, 0},
                                           TypeAheadCase{'\xC4', 4, 5}, TypeAheadCase{'\xE4', 5, 4},
                                           TypeAheadCase{'z', 2, -1}, TypeAheadCase{'-', 0, -1}));

}  // namespace
}  // namespace velmoro
