#include "app/program_menu_requests.h"

namespace velmoro {

void ProgramMenuRequests::Selected(std::uint16_t level, std::uint16_t command) {
  if (command == 0) {
    highlight_.reset();
  } else {
    highlight_ = Highlight{level, command};
  }
}

void ProgramMenuRequests::LevelClosed(std::uint16_t level) {
  if (highlight_ && highlight_->level == level) highlight_.reset();
}

void ProgramMenuRequests::Reset() {
  highlight_.reset();
  right_press_taken_ = false;
}

ProgramMenuRequests::Answer ProgramMenuRequests::Input(const MenuInput& input) {
  switch (input.kind) {
    case MenuInput::Kind::kKeyDown:
      if (input.key == kVkApps || (input.key == kVkF10 && input.shift)) return Answer::kTakeAndOpen;
      return Answer::kPassOn;
    case MenuInput::Kind::kRightButtonDown:
      right_press_taken_ = input.shift;
      return input.shift ? Answer::kTake : Answer::kPassOn;
    case MenuInput::Kind::kRightButtonUp:
      if (!right_press_taken_) return Answer::kPassOn;
      right_press_taken_ = false;
      return Answer::kTakeAndOpen;
    case MenuInput::Kind::kOther:
      break;
  }
  return Answer::kPassOn;
}

}  // namespace velmoro
