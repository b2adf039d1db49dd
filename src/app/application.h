#pragma once

#include <exception>
#include <memory>
#include <string>

#include "app/form_runner.h"
#include "app/host_form.h"
#include "platform/platform.h"

namespace velmoro {

// The application object: title, the one form, the end flag and the message loop. It receives
// the desktop's notices and hands them to the form, each only in the stage of the run where it
// means something: the platform may deliver any of them at any time.
class Application final : public DesktopEvents, public FormRunner {
 public:
  explicit Application(Platform& platform);
  ~Application() override;

  void Initialize();
  void SetTitle(const std::u16string& title);
  // Creates the host form and runs FormCreate; an error escaping it is shown, not passed on.
  void CreateForm();
  // Shows the host form by the start state and runs the message loop until the end flag is set.
  void Run();
  // Asks the program to end: posts the quit message. Asked during start-up, the request waits
  // until the menu has been shown, so no box or menu of start-up is cut short by it.
  void Terminate() override;
  // Handles pending messages; a quit message among them sets the end flag.
  void ProcessMessages() override;
  // Once the menu has closed the program ends: at once when nothing was chosen, else once the
  // chosen item's handler has run.
  void MenuOpening() override;
  void MenuClosed(bool command_queued) override;
  void ForegroundRefused() override;

  // The one form, also while it is being created.
  TForm1* Form1() const { return form_.get(); }

  void OnHostActivated() override;
  void OnRestore() override;
  void OnCommand(std::uint16_t command) override;
  std::optional<std::vector<MenuEntry>> OnSubmenuOpening(std::uint16_t owner) override;
  int OnMenuChar(std::uint16_t owner, char16_t key, int current) override;
  IconSource OnItemIcon(std::uint16_t command) override;
  void OnCloseRequest() override;
  void OnEndSession() override;
  // The error display: a box owned by the application window, captioned with the title.
  void OnFailure(const std::exception_ptr& failure) override;

 private:
  template <typename Action>
  void Guarded(Action action);
  // Shows the host form as a normal window, which activates it.
  void ShowHostForm();

  Platform& platform_;
  std::u16string title_;
  std::unique_ptr<TForm1> form_;
  // Set once FormCreate has returned; until then the form is being built.
  TForm1* main_form_ = nullptr;
  bool terminated_ = false;
  bool end_requested_ = false;  // during start-up
  bool shown_ = false;
  bool activated_ = false;
  bool waiting_minimised_ = false;
  bool menu_open_ = false;
  bool menu_closed_ = false;
  bool command_taken_ = false;
};

}  // namespace velmoro
