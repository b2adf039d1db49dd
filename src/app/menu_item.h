#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace velmoro {

class CommandIdPool;

// One entry of the popup menu. An item owns its children; with at least one child it is shown as
// a submenu entry, without children as a command entry.
class MenuItem {
 public:
  using ClickHandler = std::function<void(MenuItem& sender)>;

  explicit MenuItem(CommandIdPool& pool);
  ~MenuItem();
  MenuItem(const MenuItem&) = delete;
  MenuItem& operator=(const MenuItem&) = delete;

  std::u16string Caption;
  bool Enabled = true;
  bool Visible = true;
  ClickHandler OnClick;
  // Shown exactly as written: never a separator line, "&" shown as itself. Program and recent
  // items carry names taken from other programs' data.
  bool LiteralCaption = false;
  // The program-list entry a program or recent item was made for.
  std::optional<std::size_t> Entry;

  bool Default() const { return default_; }
  // Making an item the default clears the default mark of its siblings.
  void SetDefault(bool value);

  std::uint16_t Command() const { return command_; }
  std::size_t Count() const { return children_.size(); }
  MenuItem& operator[](std::size_t index) const { return *children_[index]; }
  MenuItem& Add(std::unique_ptr<MenuItem> child);

  // A separator line: caption "-" on an item that is not shown literally.
  bool IsLine() const { return !LiteralCaption && Caption == u"-"; }
  // Runs the click handler when the item is enabled.
  void Click();
  // This item or a descendant with the given command identifier.
  MenuItem* Find(std::uint16_t command);

 private:
  CommandIdPool& pool_;
  std::uint16_t command_;
  bool default_ = false;
  MenuItem* parent_ = nullptr;
  std::vector<std::unique_ptr<MenuItem>> children_;
};

}  // namespace velmoro
