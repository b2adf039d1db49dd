#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/registry_api.h"

namespace velmoro {

// An in-memory registry: one tree of keys and typed values per view (64-bit and 32-bit; a single
// tree when the system has one view). Paths name a key from its root, such as
// "HKEY_LOCAL_MACHINE\SOFTWARE\Vendor"; names are UTF-16 and compared with ASCII letter case
// ignored. Values are held as the platform holds them: a type and bytes, string data in UTF-16LE.
// Subkeys enumerate in the order they were first created. Opens without a view flag see the 64-bit
// view, as a 64-bit process does.
class FakeRegistry : public RegistryApi {
 public:
  enum class View { k64, k32 };

  struct OpenCall {
    std::u16string path;
    std::uint32_t access;
    bool succeeded;
  };

  explicit FakeRegistry(bool two_views = true) : two_views_(two_views) {}

  // Creates the key and every key above it.
  void AddKey(const std::u16string& path, View view = View::k64);
  void SetRaw(const std::u16string& path, const std::u16string& name, std::uint32_t type,
              const std::string& bytes, View view = View::k64);
  // Stores the text in UTF-16LE with its terminating NUL, as the platform does.
  void SetString(const std::u16string& path, const std::u16string& name, const std::u16string& text,
                 std::uint32_t type = kRegSz, View view = View::k64);
  void SetDword(const std::u16string& path, const std::u16string& name, std::uint32_t number,
                View view = View::k64);
  // The bytes of a string as the platform stores it: UTF-16LE, no terminating NUL added.
  static std::string Utf16Bytes(const std::u16string& text);

  // Opens of path fail with access denied: for every mask, or only for the masks given (compared
  // without the view flags).
  void RefuseOpen(const std::u16string& path, std::vector<std::uint32_t> masks = {});
  // The next three act on the key, in every view, as it stands when they are called.
  void FailQueryInfo(const std::u16string& path);
  void FailEnumKey(const std::u16string& path, std::uint32_t index);
  // While the key is listed, just before the name at `index` is asked for, another program makes
  // the subkey `name`, which takes index 0: the names after it move on by one.
  void MakeSubkeyWhileListed(const std::u16string& path, std::uint32_t index,
                             const std::u16string& name);
  // Reading a value of the key throws std::bad_alloc, as an allocation that fails would.
  void RunOutOfMemory(const std::u16string& path);
  // The value still reports its type and size, but fetching its data fails.
  void FailFetch(const std::u16string& path, const std::u16string& name);

  // How often each function was called, successful or not.
  struct CallCounts {
    std::size_t open = 0;
    std::size_t close = 0;
    std::size_t query_info = 0;
    std::size_t enum_key = 0;
    std::size_t query_value = 0;
  };
  const CallCounts& calls() const { return calls_; }
  const std::vector<OpenCall>& open_calls() const { return open_calls_; }
  std::size_t open_key_count() const { return handles_.size(); }
  // The most keys open at one time so far.
  std::size_t peak_open_key_count() const { return peak_open_keys_; }
  // CloseKey calls with a handle that was not open (never opened, or closed already).
  int bad_close_count() const { return bad_closes_; }
  // Calls of the registry functions (all but HasTwoViews) so far: each one a round trip to the
  // registry on the platform.
  std::size_t call_count() const {
    return calls_.open + calls_.close + calls_.query_info + calls_.enum_key + calls_.query_value;
  }
  // The buffer capacity passed to each EnumKey call, in order.
  const std::vector<std::uint32_t>& enum_capacities() const { return enum_capacities_; }

  ErrorCode OpenKey(RegKey parent, const std::u16string& path, std::uint32_t access,
                    RegKey& result) override;
  ErrorCode CloseKey(RegKey key) override;
  ErrorCode QueryInfoKey(RegKey key, std::uint32_t& subkeys, std::uint32_t& max_name_length,
                         std::uint64_t& last_write) override;
  ErrorCode EnumKey(RegKey key, std::uint32_t index, char16_t* name,
                    std::uint32_t& name_length) override;
  ErrorCode QueryValue(RegKey key, const std::u16string& name, std::uint32_t* type,
                       unsigned char* data, std::uint32_t* size) override;
  bool HasTwoViews() override { return two_views_; }

 private:
  struct Value {
    std::u16string name;
    std::uint32_t type = kRegNone;
    std::string bytes;
    bool fail_fetch = false;
  };
  struct Key {
    std::vector<std::u16string> subkeys;  // names as created, in creation order
    std::vector<Value> values;
    bool fail_query_info = false;
    bool out_of_memory = false;
    std::set<std::uint32_t> failing_indexes;
    std::map<std::uint32_t, std::u16string> made_while_listed;
    // Moved on whenever the key's subkeys or values change.
    std::uint64_t last_write = 0;
  };
  struct Handle {
    int tree;
    std::u16string key;   // normalised
    std::u16string path;  // as opened
  };
  using Tree = std::map<std::u16string, Key>;  // by normalised path

  int TreeOf(View view) const { return two_views_ && view == View::k32 ? 1 : 0; }
  int TreeOf(std::uint32_t access, int parent_tree) const;
  Key& Ensure(const std::u16string& path, View view);
  Value& EnsureValue(const std::u16string& path, const std::u16string& name, View view);
  const Handle* Find(RegKey key) const;
  Key* KeyOf(RegKey key);

  bool two_views_;
  Tree trees_[2];
  std::map<std::u16string, std::vector<std::uint32_t>> refused_opens_;  // by normalised path
  std::map<RegKey, Handle> handles_;
  RegKey next_handle_ = 0x1000;
  CallCounts calls_;
  std::vector<OpenCall> open_calls_;
  std::vector<std::uint32_t> enum_capacities_;
  int bad_closes_ = 0;
  std::size_t peak_open_keys_ = 0;
  std::uint64_t clock_ = 0;
};

}  // namespace velmoro
