#include "app/stage.h"

namespace velmoro {

namespace {

using S = Stage;
using E = StageEvent;
using A = StageAction;

struct Transition {
  Stage stage;
  StageEvent event;
  StageStep step;
};

// Every event that does something, in the stage where it does it.
//
// During start-up an end asked for waits, so that no box of start-up is cut short and the menu is
// still shown; a quit message taken there (by the handling of messages during the enumeration) is
// such a request too. A minimised start would then wait for a restore that ends at once: it ends
// without it. Past start-up an end asked for posts the quit message, but while the menu is up: the
// menu's own loop would take the quit message and drop it, so the menu is ended first and the
// quit posted once it has closed.
constexpr Transition kTransitions[] = {
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
    {S::kMenuOpen, E::kEndAsked, {S::kMenuEnding, A::kEndMenu}},
    {S::kMenuOpen, E::kQuitTaken, {S::kEnded, A::kNone}},
    {S::kMenuEnding, E::kMenuClosedWithChoice, {S::kEnding, A::kPostQuit}},
    {S::kMenuEnding, E::kMenuDismissed, {S::kEnding, A::kPostQuit}},
    {S::kMenuEnding, E::kQuitTaken, {S::kEnded, A::kNone}},
    {S::kMenuClosed, E::kCommand, {S::kCommandChosen, A::kRunCommand}},
    {S::kMenuClosed, E::kEndAsked, {S::kEnding, A::kPostQuit}},
    {S::kMenuClosed, E::kQuitTaken, {S::kEnded, A::kNone}},
    {S::kCommandChosen, E::kEndAsked, {S::kEnding, A::kPostQuit}},
    {S::kCommandChosen, E::kQuitTaken, {S::kEnded, A::kNone}},
    {S::kEnding, E::kQuitTaken, {S::kEnded, A::kNone}},
};

}  // namespace

StageStep NextStage(S stage, E event) {
  for (const Transition& transition : kTransitions) {
    if (transition.stage == stage && transition.event == event) return transition.step;
  }
  return {stage, A::kNone};
}

}  // namespace velmoro
