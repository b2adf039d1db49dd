#include "app/application.h"

#include "app/menu_rules.h"

namespace velmoro {

std::string ErrorDisplayText(const std::string& message) {
  if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
  return message;
}

Application::Application(Platform& platform) : platform_(platform) {}

Application::~Application() {
  platform_.desktop.SetEvents(nullptr);
}

void Application::Initialize() {
  platform_.desktop.SetEvents(this);
}

void Application::SetTitle(const std::string& title) {
  title_ = title;
  platform_.desktop.SetAppTitle(title);
}

template <typename Action>
void Application::Guarded(Action action) {
  try {
    action();
  } catch (const std::exception& error) {
    ShowException(error);
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
    case kSwShowMaximized:
      platform_.desktop.ShowHostForm(kSwShowMaximized);
      break;
    default:
      platform_.desktop.ShowHostForm(kSwShowNormal);
      break;
  }
  do {
    if (!platform_.desktop.HandleMessage()) terminated_ = true;
  } while (!terminated_);
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

void Application::ShowException(const std::exception& error) {
  platform_.desktop.ShowMessageBox(Owner::kAppWindow, ErrorDisplayText(error.what()), title_,
                                   kMbOk | kMbIconError);
}

void Application::OnHostActivated() {
  if (activated_ || form_ == nullptr) return;
  activated_ = true;
  Guarded([this] { form_->FormActivate(); });
}

void Application::OnRestore() {
  if (!waiting_minimised_) return;
  waiting_minimised_ = false;
  platform_.desktop.ShowHostForm(kSwShowNormal);
}

void Application::OnCommand(std::uint16_t command) {
  if (form_ == nullptr) return;
  if (MenuItem* item = form_->PMenu1.FindItem(command)) Guarded([item] { item->Click(); });
  if (close_after_command_) {
    close_after_command_ = false;
    main_form_->Close();
  }
}

std::optional<std::vector<MenuEntry>> Application::OnSubmenuOpening(std::uint16_t owner) {
  if (form_ == nullptr) return std::nullopt;
  std::optional<std::vector<MenuEntry>> entries;
  Guarded([&] { entries = form_->PMenu1.SubmenuOpening(owner); });
  return entries;
}

int Application::OnMenuChar(std::uint16_t owner, char key, int current) {
  if (form_ == nullptr) return -1;
  MenuItem* level = form_->PMenu1.Level(owner);
  return level == nullptr ? -1 : NextItemStartingWith(*level, key, current, platform_.text);
}

// Whatever the choice was, once its handler has run the program has done its work. The close
// waits for the handler so that a message box it shows is not ended by the quit message.
void Application::MenuClosed(bool command_queued) {
  if (command_queued) {
    close_after_command_ = true;
  } else if (main_form_ != nullptr) {
    main_form_->Close();
  }
}

void Application::OnCloseRequest() {
  if (main_form_ != nullptr) main_form_->Close();
}

void Application::OnEndSession() {
  terminated_ = true;
}

}  // namespace velmoro
