#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry_api.h"

namespace velmoro {

// Read-only access to the registry with one open key at a time. `view` (0, KEY_WOW64_64KEY or
// KEY_WOW64_32KEY) is added to every access mask it opens with. Releasing it closes its key.
class RegistryReader {
 public:
  explicit RegistryReader(RegistryApi& api, std::uint32_t view = 0);
  ~RegistryReader();
  RegistryReader(const RegistryReader&) = delete;
  RegistryReader& operator=(const RegistryReader&) = delete;

  // A predefined key, or a key that another reader holds open (which must stay open meanwhile).
  void SetRootKey(RegKey root);
  // Tries KEY_READ, then query-and-enumerate, then KEY_QUERY_VALUE. A leading "\" makes the path
  // absolute (from the root); otherwise it is relative to the open key, or to the root.
  bool OpenKeyReadOnly(const std::u16string& path);
  void CloseKey();
  // Names of the open key's direct subkeys, in enumeration order; indexes whose name cannot be
  // fetched are skipped.
  std::vector<std::u16string> GetKeyNames();
  // Remembers the size it reports, so a string read of the same value that follows takes it
  // instead of asking the platform again.
  bool ValueExists(const std::u16string& name);
  // Throws RegistryError "Failed to get data for '%s'" / "Invalid data type for '%s'".
  // `expandable`, when given, tells whether the value is REG_EXPAND_SZ.
  std::u16string ReadString(const std::u16string& name, bool* expandable = nullptr);
  std::int32_t ReadInteger(const std::u16string& name);
  bool ReadBool(const std::u16string& name);

  RegKey current_key() const { return key_; }

 private:
  RegistryApi& api_;
  RegKey root_ = kHkeyCurrentUser;
  RegKey key_ = kNoKey;
  std::uint32_t view_;
  // Data sizes that ValueExists reported for values of the open key.
  std::vector<std::pair<std::u16string, std::uint32_t>> known_sizes_;
};

}  // namespace velmoro
