#include "app/stage.h"

#include <gtest/gtest.h>

#include <vector>

namespace velmoro {
namespace {

using S = Stage;
using E = StageEvent;
using A = StageAction;

const char* const kStageNames[] = {
    "Starting", "StartingToEnd", "Shown",         "Activating", "WaitingForRestore",
    "MenuOpen", "MenuClosed",    "CommandChosen", "Ending",     "Ended"};
const char* const kEventNames[] = {"EndAsked",          "QuitTaken",   "ShowStart",
                                   "MinimisedStart",    "Activated",   "Restored",
                                   "ForegroundRefused", "MenuOpening", "MenuClosedWithChoice",
                                   "MenuDismissed",     "Command"};
constexpr int kStages = 10;
constexpr int kEvents = 11;

struct Row {
  S stage;
  E event;
  StageStep step;
};

// Every event that does something, in the stage where it does it. Any other event leaves the
// stage as it is and does nothing.
const Row kActingEvents[] = {
    {S::kStarting, E::kEndAsked, {S::kStartingToEnd, A::kNone}},
    {S::kStarting, E::kQuitTaken, {S::kStartingToEnd, A::kNone}},
    {S::kStarting, E::kShowStart, {S::kShown, A::kShowForm}},
    {S::kStarting, E::kMinimisedStart, {S::kWaitingForRestore, A::kMinimise}},
    {S::kStartingToEnd, E::kShowStart, {S::kShown, A::kShowForm}},
    {S::kStartingToEnd, E::kMinimisedStart, {S::kEnding, A::kPostQuit}},
    {S::kShown, E::kActivated, {S::kActivating, A::kActivateForm}},
    {S::kShown, E::kEndAsked, {S::kEnding, A::kPostQuit}},
    {S::kShown, E::kQuitTaken, {S::kEnded, A::kNone}},
    {S::kActivating, E::kForegroundRefused, {S::kWaitingForRestore, A::kFlash}},
    {S::kActivating, E::kMenuOpening, {S::kMenuOpen, A::kNone}},
    {S::kActivating, E::kEndAsked, {S::kEnding, A::kPostQuit}},
    {S::kActivating, E::kQuitTaken, {S::kEnded, A::kNone}},
    {S::kWaitingForRestore, E::kRestored, {S::kShown, A::kShowForm}},
    {S::kWaitingForRestore, E::kEndAsked, {S::kEnding, A::kPostQuit}},
    {S::kWaitingForRestore, E::kQuitTaken, {S::kEnded, A::kNone}},
    {S::kMenuOpen, E::kMenuClosedWithChoice, {S::kMenuClosed, A::kNone}},
    {S::kMenuOpen, E::kMenuDismissed, {S::kEnding, A::kPostQuit}},
    {S::kMenuOpen, E::kEndAsked, {S::kEnding, A::kPostQuit}},
    {S::kMenuOpen, E::kQuitTaken, {S::kEnded, A::kNone}},
    {S::kMenuClosed, E::kCommand, {S::kCommandChosen, A::kRunCommand}},
    {S::kMenuClosed, E::kEndAsked, {S::kEnding, A::kPostQuit}},
    {S::kMenuClosed, E::kQuitTaken, {S::kEnded, A::kNone}},
    {S::kCommandChosen, E::kEndAsked, {S::kEnding, A::kPostQuit}},
    {S::kCommandChosen, E::kQuitTaken, {S::kEnded, A::kNone}},
    {S::kEnding, E::kQuitTaken, {S::kEnded, A::kNone}},
};

// The whole table, stage by event: a notice out of turn must change nothing.
TEST(StageTest, EachEventInEachStage) {
  for (int s = 0; s < kStages; ++s) {
    for (int e = 0; e < kEvents; ++e) {
      const auto stage = static_cast<S>(s);
      const auto event = static_cast<E>(e);
      StageStep expected{stage, A::kNone};
      for (const Row& row : kActingEvents) {
        if (row.stage == stage && row.event == event) expected = row.step;
      }
      const StageStep step = NextStage(stage, event);
      EXPECT_EQ(step, expected) << kEventNames[e] << " in " << kStageNames[s] << " gives "
                                << kStageNames[static_cast<int>(step.next)] << " and action "
                                << static_cast<int>(step.action);
    }
  }
}

}  // namespace
}  // namespace velmoro
