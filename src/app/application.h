#pragma once

#include <exception>
#include <memory>
#include <string>

#include "app/form_runner.h"
#include "app/host_form.h"
#include "app/program_menu_requests.h"
#include "app/stage.h"
#include "platform/platform.h"

namespace velmoro {

// The application object: title, the one form, the message loop and the stage of the run. It
// receives the desktop's notices and acts on each only in the stages where it means something
// (stage.h): the platform may deliver any of them at any time.
class Application final : public DesktopEvents, public FormRunner {
 public:
  explicit Application(Platform& platform);
  ~Application() override;

  void Initialize();
  void SetTitle(const std::u16string& title);
  // Creates the host form and runs FormCreate; an error escaping it is shown, not passed on.
  void CreateForm();
  // Shows the host form by the start state and runs the message loop until the run has ended.
  void Run();

  // Form1, the one instance of the host form, also while it is being created.
  TForm1* Form1() const { return form_.get(); }
  Stage stage() const { return stage_; }

  // FormRunner: what the form reports.
  void AskToEnd() override;
  const std::u16string& Title() const override { return title_; }
  void ProcessMessages() override;
  bool MenuOpening() override;
  void MenuClosed(std::optional<std::uint16_t> choice) override;
  void ForegroundRefused() override;

  // DesktopEvents: what the platform reports.
  void OnHostActivated() override;
  void OnRestore() override;
  void OnCommand(std::uint16_t command) override;
  std::optional<std::vector<MenuEntry>> OnSubmenuOpening(std::uint16_t owner) override;
  int OnMenuChar(std::uint16_t owner, char16_t key, int current) override;
  IconSource OnItemIcon(std::uint16_t command) override;
  void OnMenuSelect(std::uint16_t level, std::uint16_t command) override;
  void OnSubmenuClosed(std::uint16_t level) override;
  bool OnMenuInput(const MenuInput& input) override;
  void OnEndAsked() override;
  void OnEndSession() override;
  // The error display: a box owned by the application window, captioned with the title.
  void OnFailure(const std::exception_ptr& failure) override;

 private:
  // Moves the run to its next stage and does what that takes; returns the action, for the caller
  // to do what needs its own data (the command to run).
  StageAction Advance(StageEvent event);
  template <typename Action>
  void Guarded(Action action);
  // Shows the host form as a normal window, which activates it.
  void ShowHostForm();
  // The own menu of the program item the user sees highlighted now; nothing without one.
  void OpenProgramMenu();

  Platform& platform_;
  std::u16string title_;
  std::unique_ptr<TForm1> form_;
  Stage stage_ = Stage::kStarting;
  ProgramMenuRequests requests_;
  // The command of the menu's choice, the only one carried out; 0 until the menu has closed on one.
  std::uint16_t choice_ = 0;
};

}  // namespace velmoro
