#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmoro {

// What the host form asks of the application that runs it.
class FormRunner {
 public:
  // Asks the run to end.
  virtual void AskToEnd() = 0;
  // The application's title, the caption of its boxes.
  virtual const std::u16string& Title() const = 0;
  // Handles the messages waiting in the queue.
  virtual void ProcessMessages() = 0;
  // The popup menu is open from MenuOpening until MenuClosed. False: the run is ending, and the
  // menu is not to be shown.
  virtual bool MenuOpening() = 0;
  // `choice`: the command the choice left in the queue, if any.
  virtual void MenuClosed(std::optional<std::uint16_t> choice) = 0;
  // The menu could not be given the keyboard; it waits for the user to ask for it again.
  virtual void ForegroundRefused() = 0;

 protected:
  ~FormRunner() = default;
};

}  // namespace velmoro
