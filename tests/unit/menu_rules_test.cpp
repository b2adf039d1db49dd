#include "app/menu_rules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "app/command_id_pool.h"
#include "app/popup_menu.h"
#include "app/program_groups.h"
#include "platform/fake/fake_text.h"

namespace velmoro {
namespace {

// Builds a level from captions; u"-" is a separator, u"~x" a hidden item x, u"!x" a literal item x.
std::unique_ptr<MenuItem> Level(CommandIdPool& pool, const std::vector<std::u16string>& captions) {
  auto level = std::make_unique<MenuItem>(pool);
  for (const std::u16string& caption : captions) {
    auto item = std::make_unique<MenuItem>(pool);
    item->Caption = caption;
    if (caption.size() > 1 && caption[0] == u'~') {
      item->Caption = caption.substr(1);
      item->Visible = false;
    } else if (caption.size() > 1 && caption[0] == u'!') {
      item->Caption = caption.substr(1);
      item->LiteralCaption = true;
    }
    level->Add(std::move(item));
  }
  return level;
}

std::u16string Shown(const MenuItem& level) {
  std::u16string shown;
  for (std::size_t i = 0; i < level.Count(); ++i) {
    if (level[i].Visible) shown += (shown.empty() ? u"" : u" ") + level[i].Caption;
  }
  return shown;
}

struct ReductionCase {
  std::vector<std::u16string> captions;
  const char16_t* shown;
  bool changed;
};

void PrintTo(const ReductionCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(std::u16string(c.shown));
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
        ReductionCase{{u"All", u"Recent", u"-", u"Pro", u"Exit"}, u"All Recent - Pro Exit", false},
        ReductionCase{{u"-", u"a", u"-", u"-", u"b", u"-"}, u"a - b", true},
        ReductionCase{{u"a", u"~b", u"-", u"c"}, u"a - c", false},
        ReductionCase{{u"a", u"-", u"~b"}, u"a", true}, ReductionCase{{u"-", u"-"}, u"", true},
        ReductionCase{{u"a", u"!-", u"b"}, u"a - b", false},
        ReductionCase{{u"!-", u"-", u"!-"}, u"- - -", false}));

TEST(ReduceSeparatorsTest, ShowsTheLastOfARunAgain) {
  CommandIdPool pool;
  auto level = Level(pool, {u"a", u"-", u"-", u"b"});
  (*level)[2].Visible = false;
  EXPECT_TRUE(ReduceSeparators(*level));
  EXPECT_FALSE((*level)[1].Visible);
  EXPECT_TRUE((*level)[2].Visible);
}

TEST(BuildMenuEntriesTest, CarriesStateAndSubmenusOfVisibleItems) {
  CommandIdPool pool;
  auto top =
      Level(pool, {u"All Programs", u"Recent Programs", u"~Hidden", u"-", u"R&D", u"!R&D", u"!-"});
  (*top)[1].SetDefault(true);
  (*top)[0].Enabled = false;
  auto child = std::make_unique<MenuItem>(pool);
  child->Caption = u"Child";
  (*top)[1].Add(std::move(child));

  const auto entries = BuildMenuEntries(*top);
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_TRUE(entries[0].disabled);
  EXPECT_TRUE(entries[1].is_default);
  ASSERT_EQ(entries[1].submenu.size(), 1u);
  EXPECT_EQ(entries[1].submenu[0].text, u"Child");
  EXPECT_EQ(entries[1].command, (*top)[1].Command());
  EXPECT_TRUE(entries[2].separator);
  EXPECT_EQ(entries[3].text, u"R&D");
  EXPECT_EQ(entries[4].text, u"R&&D");  // a literal caption shows its u"&"
  EXPECT_FALSE(entries[5].separator);   // a program named u"-" is no separator
  EXPECT_EQ(entries[5].text, u"-");
}

TEST(MenuItemTest, DefaultIsUniqueAmongSiblings) {
  CommandIdPool pool;
  auto top = Level(pool, {u"a", u"b"});
  (*top)[0].SetDefault(true);
  (*top)[1].SetDefault(true);
  EXPECT_FALSE((*top)[0].Default());
  EXPECT_TRUE((*top)[1].Default());
}

// The platform names a submenu by the item that owns it; opening one clicks nothing: clicking a
// program item would start its uninstaller.
TEST(PopupMenuTest, ASubmenuOpeningClicksNothing) {
  CommandIdPool pool;
  PopupMenu menu(pool);
  int clicks = 0;
  for (const int children : {0, 1}) {
    MenuItem& item = menu.Items.Add(std::make_unique<MenuItem>(pool));
    item.OnClick = [&](MenuItem&) { ++clicks; };
    if (children > 0) item.Add(std::make_unique<MenuItem>(pool));
    menu.SubmenuOpening(item.Command());
  }
  EXPECT_EQ(clicks, 0);
  // The item whose own menu is shown names that menu's level, for its keys.
  MenuItem& program = menu.Items.Add(std::make_unique<MenuItem>(pool));
  menu.KeepProgramMenu(program.Command(), Level(pool, {u"Uninstall", u"Copy Name"}));
  ASSERT_NE(menu.Level(program.Command()), nullptr);
  EXPECT_EQ(Shown(*menu.Level(program.Command())), u"Uninstall Copy Name");
  EXPECT_NE(menu.FindItem((*menu.Level(program.Command()))[1].Command()), nullptr);
}

TEST(CommandIdPoolTest, IdentifiersAreUniqueAndComeBack) {
  CommandIdPool pool;
  {
    auto level = Level(pool, {u"a", u"b", u"c"});
    EXPECT_NE(level->Command(), 0);
    EXPECT_NE((*level)[0].Command(), (*level)[1].Command());
    EXPECT_EQ(level->Find((*level)[2].Command()), &(*level)[2]);
  }
  // Destroying an item (and its children) gave their identifiers back: all 65,535 are free.
  for (int i = 0; i < 65535; ++i) pool.Take();
  EXPECT_THROW(pool.Take(), std::length_error);
}

struct TypeAheadCase {
  char16_t key;
  int current;
  int expected;
};

void PrintTo(const TypeAheadCase& c, std::ostream* out) {
  *out << static_cast<int>(c.key) << " after " << c.current;
}

class TypeAheadTest : public ::testing::TestWithParam<TypeAheadCase> {};

TEST_P(TypeAheadTest, MovesToTheNextItemWithThatLetter) {
  CommandIdPool pool;
  FakeText text;
  // Shown indexes: 0 Alpha, 1 beta, 2 -, 3 Bravo, 4 ätna, 5 Ärger, 6 Юг (the hidden Basic is
  // skipped).
  auto level =
      Level(pool, {u"Alpha", u"beta", u"-", u"~Basic", u"Bravo", u"ätna", u"Ärger", u"Юг"});
  EXPECT_EQ(NextItemStartingWith(*level, GetParam().key, GetParam().current, text),
            GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Keys, TypeAheadTest,
                         ::testing::Values(TypeAheadCase{u'b', -1, 1}, TypeAheadCase{u'B', 1, 3},
                                           TypeAheadCase{u'b', 3, 1}, TypeAheadCase{u'a', 0, 0},
                                           TypeAheadCase{u'Ä', 4, 5}, TypeAheadCase{u'ä', 5, 4},
                                           TypeAheadCase{u'ю', 0, 6}, TypeAheadCase{u'z', 2, -1},
                                           TypeAheadCase{u'-', 0, -1}));

}  // namespace
}  // namespace velmoro
namespace velmoro {
namespace {

TEST(GroupProgramsTest, FlatUpToThreeThousandThenEqualGroupsOfAtMostAThousand) {
  struct Case {
    std::size_t count;
    std::size_t groups;
    std::size_t largest;
  };
  for (const Case& c : {Case{3000, 0, 0}, Case{3001, 4, 751}, Case{30000, 30, 1000},
                        Case{40000, 40, 1000}, Case{40001, 40, 1001}, Case{100000, 40, 2500}}) {
    SCOPED_TRACE(c.count);
    const auto groups = GroupPrograms(c.count);
    ASSERT_EQ(groups.size(), c.groups);
    std::size_t next = 0;
    std::size_t largest = 0;
    std::size_t smallest = c.count;
    for (const ProgramGroup& group : groups) {
      EXPECT_EQ(group.begin, next);
      next = group.end;
      largest = std::max(largest, group.end - group.begin);
      smallest = std::min(smallest, group.end - group.begin);
    }
    if (!groups.empty()) {
      EXPECT_EQ(next, c.count);
      EXPECT_EQ(largest, c.largest);
      EXPECT_LE(largest - smallest, 1u);
    }
  }
  // Where the count does not divide, the last groups take one more.
  std::vector<std::size_t> sizes;
  for (const ProgramGroup& group : GroupPrograms(3001)) sizes.push_back(group.end - group.begin);
  EXPECT_EQ(sizes, (std::vector<std::size_t>{750, 750, 750, 751}));
}

TEST(GroupCaptionTest, NamesTheRangeInFortyCharactersAtMost) {
  EXPECT_EQ(GroupCaption(u"Acme", u"Bolt"), u"Acme – Bolt");
  // 18 characters are kept whole, 19 are not.
  EXPECT_EQ(GroupCaption(u"abcdefghijklmnopqr", u"x"), u"abcdefghijklmnopqr – x");
  EXPECT_EQ(GroupCaption(u"abcdefghijklmnopqrs", u"x"), u"abcdefghijklmnopq… – x");
  EXPECT_EQ(GroupCaption(u"Acme Photo Studio 4 Deluxe", u"Zephyr Toolkit 12.3 (x64)"),
            u"Acme Photo Studio… – Zephyr Toolkit 12…");
  // 16 letters and an emoji: the ellipsis never cuts a character in two.
  EXPECT_EQ(GroupCaption(u"abcdefghijklmnop😀😀", u"x"), u"abcdefghijklmnop… – x");
  EXPECT_LE(GroupCaption(std::u16string(100, u'a'), std::u16string(100, u'b')).size(), 40u);
}

}  // namespace
}  // namespace velmoro
