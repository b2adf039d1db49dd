#pragma once

#include <cstdint>
#include <optional>
#include <string>
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
  // Values of more than max_bytes are not fetched: reading one fails as when its data cannot be
  // read. No limit at first.
  void LimitValueSize(std::uint32_t max_bytes) { max_value_bytes_ = max_bytes; }
  // Names of the open key's direct subkeys, in enumeration order. Nothing when it is not known
  // which subkeys it has: no key is open, its information cannot be read, an index gives no
  // name, or the key changed while it was listed.
  std::optional<std::vector<std::u16string>> GetKeyNames();
  // Fetches the value's type and data with it, in most cases with one platform call; the reads
  // of the same value that follow take them from there.
  bool ValueExists(const std::u16string& name);
  // Throws RegistryError "Failed to get data for '%s'" / "Invalid data type for '%s'".
  // `expandable`, when given, tells whether the value is REG_EXPAND_SZ.
  std::u16string ReadString(const std::u16string& name, bool* expandable = nullptr);
  std::int32_t ReadInteger(const std::u16string& name);
  bool ReadBool(const std::u16string& name);

  RegKey current_key() const { return key_; }

 private:
  // A value of the open key as one fetch found it.
  struct Fetched {
    std::u16string name;
    bool exists = false;
    bool complete = false;  // the data was read, not only its size
    std::uint32_t type = kRegNone;
    std::uint32_t size = 0;  // in bytes, as the registry reports it
    std::string data;        // when complete
  };

  const Fetched& Fetch(const std::u16string& name);

  RegistryApi& api_;
  RegKey root_ = kHkeyCurrentUser;
  RegKey key_ = kNoKey;
  std::uint32_t view_;
  std::uint32_t max_value_bytes_ = UINT32_MAX;
  std::vector<Fetched> fetched_;  // values of the open key
};

}  // namespace velmoro
