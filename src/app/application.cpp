#include "app/application.h"

#include "app/error_display.h"
#include "app/menu_rules.h"
#include "app/program_icon.h"
#include "uninstall/program_actions.h"

namespace velmoro {

Application::Application(Platform& platform) : platform_(platform) {}

Application::~Application() {
  platform_.desktop.SetEvents(nullptr);
}

void Application::Initialize() {
  platform_.desktop.SetEvents(this);
}

void Application::SetTitle(const std::u16string& title) {
  title_ = title;
  platform_.desktop.SetAppTitle(title);
}

template <typename Action>
void Application::Guarded(Action action) {
  try {
    action();
  } catch (const std::exception&) {
    // Anything else is the window procedure's to catch.
    OnFailure(std::current_exception());
  }
}

StageAction Application::Advance(StageEvent event) {
  const StageStep step = NextStage(stage_, event);
  stage_ = step.next;
  switch (step.action) {
    case StageAction::kShowForm:
      ShowHostForm();
      break;
    case StageAction::kActivateForm:
      Guarded([this] { form_->FormActivate(); });
      break;
    case StageAction::kFlash:
      platform_.desktop.FlashAppWindow();
      break;
    case StageAction::kMinimise:
      platform_.desktop.MinimiseAppWindow();
      break;
    case StageAction::kPostQuit:
      platform_.desktop.PostQuit();
      break;
    case StageAction::kEndMenu:
      platform_.desktop.EndMenu();
      break;
    case StageAction::kNone:
    case StageAction::kRunCommand:
      break;
  }
  return step.action;
}

void Application::CreateForm() {
  form_ = std::make_unique<TForm1>(*this, platform_);
  Guarded([this] { form_->FormCreate(); });
}

// A maximised form would fill the screen until it hides itself: every start state but a minimised
// one shows it as a normal one, off the screen.
void Application::Run() {
  if (!form_) return;
  Advance(platform_.desktop.StartShowState() == kSwShowMinNoActive ? StageEvent::kMinimisedStart
                                                                   : StageEvent::kShowStart);
  while (stage_ != Stage::kEnded) {
    if (!platform_.desktop.HandleMessage()) Advance(StageEvent::kQuitTaken);
  }
}

// A form that is active already is not activated again when shown: the notice of its activation
// came during start-up, when it could not be acted on, or never came at all, dropped by the loop of
// the box whose closing activated the form. Either way it is acted on now.
void Application::ShowHostForm() {
  const bool active = platform_.desktop.HostFormActive();
  platform_.desktop.ShowHostForm(kSwShowNormal);
  if (active) Advance(StageEvent::kActivated);
}

void Application::AskToEnd() {
  Advance(StageEvent::kEndAsked);
}

void Application::ProcessMessages() {
  if (!platform_.desktop.ProcessPendingMessages()) Advance(StageEvent::kQuitTaken);
}

void Application::OnFailure(const std::exception_ptr& failure) {
  platform_.desktop.ShowMessageBox(Owner::kAppWindow, ErrorDisplayText(FailureMessage(failure)),
                                   title_, kMbOk | kMbIconError | kMbSetForeground);
}

// Closing a box owned by the host form activates the form, also during start-up: the menu waits
// until start-up is over and the form has been shown.
void Application::OnHostActivated() {
  Advance(StageEvent::kActivated);
}

void Application::OnRestore() {
  Advance(StageEvent::kRestored);
}

bool Application::MenuOpening() {
  Advance(StageEvent::kMenuOpening);
  requests_.Reset();
  return stage_ == Stage::kMenuOpen;
}

// Whatever the choice was, once its handler has run the program has done its work. The end
// waits for the handler so that a message box it shows is not ended by the quit message.
void Application::MenuClosed(std::optional<std::uint16_t> choice) {
  choice_ = choice.value_or(0);
  Advance(choice ? StageEvent::kMenuClosedWithChoice : StageEvent::kMenuDismissed);
}

// Without the foreground the menu would neither take keys nor close on a click outside, and the
// program would stay. The taskbar button flashes instead; clicking it gives the program the
// foreground and brings the menu, as after a minimised start.
void Application::ForegroundRefused() {
  Advance(StageEvent::kForegroundRefused);
}

// Only the one choice of the menu that has closed is carried out: a command message at any other
// time, or one the popup posted beside a choice made in an entry's own menu, names no choice of
// the user's. Once the chosen item's handler has run, whatever it did or failed to do, the run
// ends: this is the one place that ends it after a command.
void Application::OnCommand(std::uint16_t command) {
  if (command != choice_ || Advance(StageEvent::kCommand) != StageAction::kRunCommand) return;
  if (MenuItem* item = form_->PMenu1.FindItem(command)) Guarded([item] { item->Click(); });
  AskToEnd();
}

std::optional<std::vector<MenuEntry>> Application::OnSubmenuOpening(std::uint16_t owner) {
  if (!ServesMenu(stage_)) return std::nullopt;
  std::optional<std::vector<MenuEntry>> entries;
  Guarded([&] { entries = form_->PMenu1.SubmenuOpening(owner); });
  return entries;
}

int Application::OnMenuChar(std::uint16_t owner, char16_t key, int current) {
  if (!ServesMenu(stage_)) return -1;
  MenuItem* level = form_->PMenu1.Level(owner);
  return level == nullptr ? -1 : NextItemStartingWith(*level, key, current, platform_.text);
}

// An icon that cannot be found is the generic one: nothing about it is worth a box. Whether the
// uninstaller is still there is looked at here too, as the item is drawn, never at start-up.
IconSource Application::OnItemIcon(std::uint16_t command) {
  if (!ServesMenu(stage_)) return {};
  const MenuItem* item = form_->PMenu1.FindItem(command);
  if (item == nullptr || !item->Entry) return {};
  try {
    const ProgramEntry& entry = form_->ListBox1.At(*item->Entry);
    IconSource icon = ProgramIcon(entry, platform_);
    icon.warning = UninstallerMissing(entry, platform_);
    return icon;
  } catch (const std::exception&) {
    return {};
  }
}

void Application::OnMenuSelect(std::uint16_t level, std::uint16_t command) {
  if (ServesMenu(stage_)) requests_.Selected(level, command);
}

void Application::OnSubmenuClosed(std::uint16_t level) {
  if (ServesMenu(stage_)) requests_.LevelClosed(level);
}

// A request is taken whether or not a menu opens for it: let through, a right button's release
// would choose the entry, and F10 would close every menu.
bool Application::OnMenuInput(const MenuInput& input) {
  if (!ServesMenu(stage_)) return false;
  const ProgramMenuRequests::Answer answer = requests_.Input(input);
  if (answer == ProgramMenuRequests::Answer::kTakeAndOpen) OpenProgramMenu();
  return answer != ProgramMenuRequests::Answer::kPassOn;
}

// The notices alone can be behind: a submenu closed by Left or Escape sends none for the entry
// highlighted again, so the platform says whether the entry is highlighted, in a level on the
// screen, before its menu is made.
void Application::OpenProgramMenu() {
  const std::optional<ProgramMenuRequests::Highlight> highlight = requests_.highlight();
  if (!highlight || !platform_.desktop.MenuEntryHighlighted(highlight->level, highlight->command)) {
    return;
  }
  Guarded([&] {
    if (const auto entries = form_->ProgramMenu(highlight->command)) {
      platform_.desktop.ShowProgramMenu(highlight->level, highlight->command, *entries);
    }
  });
}

void Application::OnEndAsked() {
  AskToEnd();
}

// The logon is ending: the platform may end the process any moment now, so it ends here, whatever
// the stage. No file is open at such a point: the files are read and written without handling
// messages.
void Application::OnEndSession() {
  platform_.desktop.EndProcess();
}

}  // namespace velmoro
