#pragma once

#include <exception>
#include <memory>
#include <string>

#include "app/host_form.h"
#include "platform/platform.h"

namespace velmoro {

inline constexpr char kTitle[] = "Velmoro Uninstaller";

// The application object: title, the one form, the end flag and the message loop. It receives
// the desktop's notices and hands them to the form.
class Application : public DesktopEvents {
 public:
  explicit Application(Platform& platform);
  ~Application() override;

  void Initialize();
  void SetTitle(const std::string& title);
  // Creates the host form and runs FormCreate; an error escaping it is shown, not passed on.
  void CreateForm();
  // Shows the host form by the start state and runs the message loop until the end flag is set.
  void Run();
  // Asks the program to end: posts the quit message. Asked during start-up, the request waits
  // until the menu has been shown, so no box or menu of start-up is cut short by it.
  void Terminate();
  // Handles pending messages; a quit message among them sets the end flag.
  void ProcessMessages();
  // The error display: a box owned by the application window, captioned with the title.
  void ShowException(const std::exception& error);
  // The menu has closed: the program ends at once when nothing was chosen, else once the chosen
  // item's handler has run.
  void MenuClosed(bool command_queued);

  bool Terminated() const { return terminated_; }
  TForm1* MainForm() const { return main_form_; }
  TForm1* Form1() const { return form_.get(); }
  const std::string& Title() const { return title_; }

  void OnHostActivated() override;
  void OnRestore() override;
  void OnCommand(std::uint16_t command) override;
  std::optional<std::vector<MenuEntry>> OnSubmenuOpening(std::uint16_t owner) override;
  int OnMenuChar(std::uint16_t owner, char key, int current) override;
  void OnCloseRequest() override;
  void OnEndSession() override;

 private:
  template <typename Action>
  void Guarded(Action action);

  Platform& platform_;
  std::string title_;
  std::unique_ptr<TForm1> form_;
  TForm1* main_form_ = nullptr;
  bool terminated_ = false;
  bool end_requested_ = false;  // during start-up
  bool activated_ = false;
  bool waiting_minimised_ = false;
  bool close_after_command_ = false;
};

// The error display's text: the message with "." appended when its last byte sorts above ".".
std::string ErrorDisplayText(const std::string& message);

}  // namespace velmoro
