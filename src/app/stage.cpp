#include "app/stage.h"

namespace velmoro {

namespace {

using S = Stage;
using E = StageEvent;
using A = StageAction;

// An end asked for during start-up waits, so that no box of start-up is cut short and the menu is
// still shown; a quit message taken there (by the handling of messages during the enumeration) is
// such a request too.
StageStep WhileStarting(E event) {
  switch (event) {
    case E::kEndAsked:
    case E::kQuitTaken:
      return {S::kStartingToEnd, A::kNone};
    case E::kShowStart:
      return {S::kShown, A::kShowForm};
    case E::kMinimisedStart:
      return {S::kWaitingForRestore, A::kMinimise};
    default:
      return {S::kStarting, A::kNone};
  }
}

// A minimised start would wait for a restore that ends at once: it ends without it.
StageStep WhileStartingToEnd(E event) {
  switch (event) {
    case E::kShowStart:
      return {S::kShown, A::kShowForm};
    case E::kMinimisedStart:
      return {S::kEnding, A::kPostQuit};
    default:
      return {S::kStartingToEnd, A::kNone};
  }
}

// Past start-up, an end asked for posts the quit message, and the quit message ends the run.
StageStep AfterStartUp(S stage, E event) {
  switch (event) {
    case E::kEndAsked:
      return {S::kEnding, A::kPostQuit};
    case E::kQuitTaken:
      return {S::kEnded, A::kNone};
    default:
      return {stage, A::kNone};
  }
}

}  // namespace

StageStep NextStage(S stage, E event) {
  switch (stage) {
    case S::kStarting:
      return WhileStarting(event);
    case S::kStartingToEnd:
      return WhileStartingToEnd(event);
    case S::kShown:
      if (event == E::kActivated) return {S::kActivating, A::kActivateForm};
      break;
    case S::kActivating:
      if (event == E::kForegroundRefused) return {S::kWaitingForRestore, A::kFlash};
      if (event == E::kMenuOpening) return {S::kMenuOpen, A::kNone};
      break;
    case S::kWaitingForRestore:
      if (event == E::kRestored) return {S::kShown, A::kShowForm};
      break;
    case S::kMenuOpen:
      if (event == E::kMenuClosedWithChoice) return {S::kMenuClosed, A::kNone};
      if (event == E::kMenuDismissed) return {S::kEnding, A::kPostQuit};
      break;
    case S::kMenuClosed:
      if (event == E::kCommand) return {S::kCommandChosen, A::kRunCommand};
      break;
    case S::kCommandChosen:
      break;
    case S::kEnding:
      if (event == E::kEndAsked) return {S::kEnding, A::kNone};
      break;
    case S::kEnded:
      return {S::kEnded, A::kNone};
  }
  return AfterStartUp(stage, event);
}

}  // namespace velmoro
