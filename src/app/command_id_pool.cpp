#include "app/command_id_pool.h"

#include <stdexcept>

namespace velmoro {

std::uint16_t CommandIdPool::Take() {
  // Scans on from the last identifier handed out, so a run of creations costs one step each.
  for (std::uint32_t tried = 0; tried < 65536; ++tried, next_ = next_ == 65535 ? 1 : next_ + 1) {
    if (!used_[next_]) {
      used_[next_] = true;
      return static_cast<std::uint16_t>(next_);
    }
  }
  throw std::length_error("Out of menu command identifiers");
}

void CommandIdPool::Give(std::uint16_t id) {
  if (id != 0) used_[id] = false;
}

CommandIdPool& CommandIdPool::Process() {
  static CommandIdPool pool;
  return pool;
}

}  // namespace velmoro
