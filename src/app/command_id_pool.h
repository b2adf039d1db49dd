#pragma once

#include <bitset>
#include <cstdint>

namespace velmoro {

// Hands out the 16-bit command identifiers of menu items, unique among the items that exist.
// 0 is never handed out: it names the top level of a popup menu.
class CommandIdPool {
 public:
  // Throws std::length_error when every identifier is taken.
  std::uint16_t Take();
  void Give(std::uint16_t id);

  // The one pool of the process.
  static CommandIdPool& Process();

 private:
  std::bitset<65536> used_{1};  // bit 0 set: identifier 0 stays reserved
  std::uint32_t next_ = 1;
};

}  // namespace velmoro
