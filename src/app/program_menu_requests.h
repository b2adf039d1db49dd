#pragma once

#include <cstdint>
#include <optional>

#include "platform/desktop_api.h"

namespace velmoro {

// Which entry the user sees highlighted while the popup is up, and which of the popup's input asks
// for that entry's own menu: the context-menu key, Shift+F10, or a right click begun with Shift
// held. A right press taken for the entry's menu takes its release too, whatever Shift does in
// between: let through, the release would choose the entry (TPM_RIGHTBUTTON).
class ProgramMenuRequests {
 public:
  struct Highlight {
    std::uint16_t level;
    std::uint16_t command;
  };
  enum class Answer {
    kPassOn,       // the popup acts on the input as ever
    kTake,         // the popup never sees it
    kTakeAndOpen,  // ...and it asks for the highlighted entry's menu
  };

  // The platform's notices of what is highlighted. A level that closes takes its highlight with
  // it: the entry that owns it is highlighted again without a notice.
  void Selected(std::uint16_t level, std::uint16_t command);
  void LevelClosed(std::uint16_t level);
  void Reset();

  Answer Input(const MenuInput& input);
  // The command entry last highlighted, as far as the notices tell; the platform has the last
  // word on whether it still is.
  const std::optional<Highlight>& highlight() const { return highlight_; }

 private:
  std::optional<Highlight> highlight_;
  bool right_press_taken_ = false;
};

}  // namespace velmoro
