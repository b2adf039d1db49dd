#include "app/stage.h"

#include <gtest/gtest.h>

#include <set>

namespace velmoro {
namespace {

using S = Stage;
using E = StageEvent;
using A = StageAction;

const char* Name(S stage) {
  switch (stage) {
    case S::kStarting:
      return "Starting";
    case S::kStartingToEnd:
      return "StartingToEnd";
    case S::kShown:
      return "Shown";
    case S::kActivating:
      return "Activating";
    case S::kWaitingForRestore:
      return "WaitingForRestore";
    case S::kMenuOpen:
      return "MenuOpen";
    case S::kMenuEnding:
      return "MenuEnding";
    case S::kMenuClosed:
      return "MenuClosed";
    case S::kCommandChosen:
      return "CommandChosen";
    case S::kEnding:
      return "Ending";
    case S::kEnded:
      return "Ended";
  }
  return "?";
}

std::vector<S> Stages() {
  std::vector<S> stages;
  for (int s = 0; s < kStageCount; ++s) stages.push_back(static_cast<S>(s));
  return stages;
}

std::vector<E> Events() {
  std::vector<E> events;
  for (int e = 0; e < kStageEventCount; ++e) events.push_back(static_cast<E>(e));
  return events;
}

// The stages some order of events leads to from `from`.
std::set<S> Reached(S from) {
  std::set<S> reached{from};
  std::vector<S> next{from};
  while (!next.empty()) {
    const S stage = next.back();
    next.pop_back();
    for (const E event : Events()) {
      if (reached.insert(NextStage(stage, event).next).second)
        next.push_back(NextStage(stage, event).next);
    }
  }
  return reached;
}

TEST(StageTest, EveryStageIsReachedAndNoneIsATrap) {
  EXPECT_EQ(Reached(S::kStarting).size(), static_cast<std::size_t>(kStageCount));
  for (const S stage : Stages()) EXPECT_TRUE(Reached(stage).contains(S::kEnded)) << Name(stage);
}

// Start-up waits for the menu to have been seen; past it, the end is on its way at once, and
// while the menu is up the menu is ended first: a quit posted inside its loop would be lost.
TEST(StageTest, AnEndAskedForIsNeverDropped) {
  for (const S stage : Stages()) {
    const StageStep step = NextStage(stage, E::kEndAsked);
    switch (stage) {
      case S::kStarting:
        EXPECT_EQ(step, (StageStep{S::kStartingToEnd, A::kNone}));
        break;
      case S::kMenuOpen:
        EXPECT_EQ(step, (StageStep{S::kMenuEnding, A::kEndMenu}));
        break;
      case S::kStartingToEnd:
      case S::kMenuEnding:
      case S::kEnding:
      case S::kEnded:
        EXPECT_EQ(step, (StageStep{stage, A::kNone})) << Name(stage);
        break;
      default:
        EXPECT_EQ(step, (StageStep{S::kEnding, A::kPostQuit})) << Name(stage);
    }
  }
  for (const E closed : {E::kMenuClosedWithChoice, E::kMenuDismissed}) {
    EXPECT_EQ(NextStage(S::kMenuEnding, closed), (StageStep{S::kEnding, A::kPostQuit}));
  }
}

// Only the quit message ends the run; only the choice of a menu that closed on one runs a
// command; and every other notice out of turn changes nothing.
TEST(StageTest, NoticesOutOfTurnChangeNothing) {
  for (const S stage : Stages()) {
    for (const E event : Events()) {
      const StageStep step = NextStage(stage, event);
      if (step.next == S::kEnded) {
        EXPECT_TRUE(event == E::kQuitTaken || stage == S::kEnded) << Name(stage);
      }
      EXPECT_EQ(step.action == A::kRunCommand, stage == S::kMenuClosed && event == E::kCommand);
      if (event == E::kCommand && stage != S::kMenuClosed) {
        EXPECT_EQ(step, (StageStep{stage, A::kNone})) << Name(stage);
      }
    }
  }
  EXPECT_EQ(NextStage(S::kStarting, E::kQuitTaken), (StageStep{S::kStartingToEnd, A::kNone}));
}

}  // namespace
}  // namespace velmoro
