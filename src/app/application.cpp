#include "app/application.h"

#include "app/error_display.h"
#include "app/menu_rules.h"
#include "app/program_icon.h"

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

void Application::CreateForm() {
  form_ = std::make_unique<TForm1>(*this, platform_);
  Guarded([this] { form_->FormCreate(); });
  main_form_ = form_.get();
}

void Application::Run() {
  if (main_form_ == nullptr) return;
  switch (platform_.desktop.StartShowState()) {
    case kSwShowMinNoActive:
      platform_.desktop.MinimiseAppWindow();
      // Asked to end during start-up, the program does not wait for a restore.
      if (end_requested_) {
        platform_.desktop.PostQuit();
      } else {
        waiting_minimised_ = true;
      }
      break;
    default:
      // A maximised form would fill the screen until it hides itself: every other start state
      // shows it as a normal one, off the screen.
      ShowHostForm();
      break;
  }
  do {
    if (!platform_.desktop.HandleMessage()) terminated_ = true;
  } while (!terminated_);
}

// A form that is active already is not activated again when shown: the notice of its activation
// came during start-up, when it could not be acted on, or never came at all, dropped by the loop of
// the box whose closing activated the form. Either way it is acted on now.
void Application::ShowHostForm() {
  const bool active = platform_.desktop.HostFormActive();
  platform_.desktop.ShowHostForm(kSwShowNormal);
  shown_ = true;
  if (active) OnHostActivated();
}

void Application::Terminate() {
  if (main_form_ == nullptr) {
    end_requested_ = true;
  } else {
    platform_.desktop.PostQuit();
  }
}

void Application::ProcessMessages() {
  if (platform_.desktop.ProcessPendingMessages()) return;
  if (main_form_ == nullptr) {
    end_requested_ = true;
  } else {
    terminated_ = true;
  }
}

void Application::OnFailure(const std::exception_ptr& failure) {
  platform_.desktop.ShowMessageBox(Owner::kAppWindow, ErrorDisplayText(FailureMessage(failure)),
                                   title_, kMbOk | kMbIconError | kMbSetForeground);
}

// Closing a box owned by the host form activates the form, also during start-up: the menu waits
// until start-up is over and the form has been shown.
void Application::OnHostActivated() {
  if (!shown_ || activated_) return;
  activated_ = true;
  Guarded([this] { main_form_->FormActivate(); });
}

void Application::OnRestore() {
  if (!waiting_minimised_) return;
  waiting_minimised_ = false;
  ShowHostForm();
}

void Application::MenuOpening() {
  menu_open_ = true;
}

// Whatever the choice was, once its handler has run the program has done its work. The close
// waits for the handler so that a message box it shows is not ended by the quit message.
void Application::MenuClosed(bool command_queued) {
  menu_open_ = false;
  menu_closed_ = true;
  if (!command_queued) main_form_->Close();
}

// Without the foreground the menu would neither take keys nor close on a click outside, and the
// program would stay. The taskbar button flashes instead; clicking it gives the program the
// foreground and brings the menu, as after a minimised start.
void Application::ForegroundRefused() {
  activated_ = false;
  waiting_minimised_ = true;
  platform_.desktop.FlashAppWindow();
}

// Only the one choice of the menu that has closed is carried out: a command message at any other
// time names no choice of the user's.
void Application::OnCommand(std::uint16_t command) {
  if (!menu_closed_ || command_taken_) return;
  command_taken_ = true;
  if (MenuItem* item = main_form_->PMenu1.FindItem(command)) Guarded([item] { item->Click(); });
  main_form_->Close();
}

std::optional<std::vector<MenuEntry>> Application::OnSubmenuOpening(std::uint16_t owner) {
  if (!menu_open_) return std::nullopt;
  std::optional<std::vector<MenuEntry>> entries;
  Guarded([&] { entries = main_form_->PMenu1.SubmenuOpening(owner); });
  return entries;
}

int Application::OnMenuChar(std::uint16_t owner, char16_t key, int current) {
  if (!menu_open_) return -1;
  MenuItem* level = main_form_->PMenu1.Level(owner);
  return level == nullptr ? -1 : NextItemStartingWith(*level, key, current, platform_.text);
}

// An icon that cannot be found is the generic one: nothing about it is worth a box.
IconSource Application::OnItemIcon(std::uint16_t command) {
  if (!menu_open_) return {};
  const MenuItem* item = main_form_->PMenu1.FindItem(command);
  if (item == nullptr || !item->Entry) return {};
  try {
    return ProgramIcon(main_form_->ListBox1.At(*item->Entry), platform_);
  } catch (const std::exception&) {
    return {};
  }
}

void Application::OnCloseRequest() {
  Terminate();
}

// The logon is ending: the platform may end the process any moment now, so it ends here, whatever
// it was doing. No file is open at such a point: the files are read and written without handling
// messages.
void Application::OnEndSession() {
  platform_.desktop.EndProcess();
}

}  // namespace velmoro
