#include "app/menu_item.h"

#include "app/command_id_pool.h"

namespace velmoro {

MenuItem::MenuItem(CommandIdPool& pool) : pool_(pool), command_(pool.Take()) {}

MenuItem::~MenuItem() {
  children_.clear();
  pool_.Give(command_);
}

void MenuItem::SetDefault(bool value) {
  if (value && parent_ != nullptr) {
    for (auto& sibling : parent_->children_) sibling->default_ = false;
  }
  default_ = value;
}

MenuItem& MenuItem::Add(std::unique_ptr<MenuItem> child) {
  child->parent_ = this;
  children_.push_back(std::move(child));
  return *children_.back();
}

void MenuItem::Click() {
  if (Enabled && OnClick) OnClick(*this);
}

MenuItem* MenuItem::Find(std::uint16_t command) {
  if (command_ == command) return this;
  for (auto& child : children_) {
    if (MenuItem* found = child->Find(command)) return found;
  }
  return nullptr;
}

}  // namespace velmoro
