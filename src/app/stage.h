#pragma once

namespace velmoro {

// Where a run of the program stands. A run goes from kStarting to kEnded; which way it takes
// depends on the start state, the foreground and the user's choice.
enum class Stage {
  kStarting,           // the form is being made: the catalogue is read, boxes may be shown
  kStartingToEnd,      // ...and the program was asked to end: it ends once the menu has been seen
  kShown,              // the form is shown; its activation brings the menu
  kActivating,         // FormActivate runs
  kWaitingForRestore,  // minimised, or refused the foreground: a click on the taskbar button
                       // brings the menu
  kMenuOpen,           // the popup menu is up: the platform asks about its levels and items
  kMenuEnding,         // ...and the program was asked to end: the menu is ended first
  kMenuClosed,         // the menu closed on a choice whose command message is queued
  kCommandChosen,      // the chosen item's handler runs; no other command is taken
  kEnding,             // the quit message is posted; the loop runs until it takes it
  kEnded,              // the loop has taken the quit message
};
inline constexpr int kStageCount = static_cast<int>(Stage::kEnded) + 1;

// What happens to a run.
enum class StageEvent {
  kEndAsked,           // the run was asked to end: after a command, or from outside
  kQuitTaken,          // the quit message was taken from the queue
  kShowStart,          // start-up is over and the start state shows the form
  kMinimisedStart,     // start-up is over and the start state keeps the form minimised
  kActivated,          // the form was activated
  kRestored,           // the user restored the program from its taskbar button
  kForegroundRefused,  // the menu could not be given the keyboard
  kMenuOpening,        // the menu is about to be tracked
  kMenuClosedWithChoice,
  kMenuDismissed,  // closed without a choice, or on an entry that gives no command
  kCommand,        // a command message came
};
inline constexpr int kStageEventCount = static_cast<int>(StageEvent::kCommand) + 1;

// What the application does on the way to the next stage.
enum class StageAction {
  kNone,
  kShowForm,      // show the host form, which activates it
  kActivateForm,  // run FormActivate
  kFlash,         // show the application window minimised and flash its taskbar button
  kMinimise,      // show the application window minimised
  kRunCommand,    // click the item of the command, then ask the run to end
  kPostQuit,      // post the quit message
  kEndMenu,       // end the popup menu: a quit message posted inside its loop would be lost there
};

struct StageStep {
  Stage next;
  StageAction action;
  bool operator==(const StageStep&) const = default;
};

// Every transition of a run. An event that means nothing in a stage leaves it as it is and does
// nothing: the platform may deliver any notice at any time.
StageStep NextStage(Stage stage, StageEvent event);

// Only while the menu is up are its levels filled, its keys answered and its icons named.
inline bool ServesMenu(Stage stage) {
  return stage == Stage::kMenuOpen;
}

}  // namespace velmoro
