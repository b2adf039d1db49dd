#include "platform/fake/fake_registry.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/fake/ascii_upper.h"

namespace velmoro {

namespace {

constexpr std::uint32_t kViewFlags = kKeyWow64_64Key | kKeyWow64_32Key;

bool SameName(const std::u16string& a, const std::u16string& b) {
  return AsciiUpper(a) == AsciiUpper(b);
}

const char16_t* RootName(RegKey key) {
  switch (key) {
    case kHkeyCurrentUser:
      return u"HKEY_CURRENT_USER";
    case kHkeyLocalMachine:
      return u"HKEY_LOCAL_MACHINE";
    default:
      return nullptr;
  }
}

}  // namespace

void FakeRegistry::AddKey(const std::u16string& path, View view) {
  Ensure(path, view);
}

void FakeRegistry::SetRaw(const std::u16string& path, const std::u16string& name,
                          std::uint32_t type, const std::string& bytes, View view) {
  Value& value = EnsureValue(path, name, view);
  value.type = type;
  value.bytes = bytes;
  Ensure(path, view).last_write = ++clock_;
}

std::string FakeRegistry::Utf16Bytes(const std::u16string& text) {
  std::string bytes;
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

void FakeRegistry::SetString(const std::u16string& path, const std::u16string& name,
                             const std::u16string& text, std::uint32_t type, View view) {
  SetRaw(path, name, type, Utf16Bytes(text + u'\0'), view);
}

void FakeRegistry::SetDword(const std::u16string& path, const std::u16string& name,
                            std::uint32_t number, View view) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  SetRaw(path, name, kRegDword, bytes, view);
}

void FakeRegistry::RefuseOpen(const std::u16string& path, std::vector<std::uint32_t> masks) {
  refused_opens_[AsciiUpper(path)] = std::move(masks);
}

void FakeRegistry::FailQueryInfo(const std::u16string& path) {
  for (Tree& tree : trees_) {
    auto it = tree.find(AsciiUpper(path));
    if (it != tree.end()) it->second.fail_query_info = true;
  }
}

void FakeRegistry::FailEnumKey(const std::u16string& path, std::uint32_t index) {
  for (Tree& tree : trees_) {
    auto it = tree.find(AsciiUpper(path));
    if (it != tree.end()) it->second.failing_indexes.insert(index);
  }
}

void FakeRegistry::MakeSubkeyWhileListed(const std::u16string& path, std::uint32_t index,
                                         const std::u16string& name) {
  for (Tree& tree : trees_) {
    auto it = tree.find(AsciiUpper(path));
    if (it != tree.end()) it->second.made_while_listed[index] = name;
  }
}

void FakeRegistry::RunOutOfMemory(const std::u16string& path) {
  for (Tree& tree : trees_) {
    auto it = tree.find(AsciiUpper(path));
    if (it != tree.end()) it->second.out_of_memory = true;
  }
}

void FakeRegistry::FailFetch(const std::u16string& path, const std::u16string& name) {
  for (Tree& tree : trees_) {
    auto it = tree.find(AsciiUpper(path));
    if (it == tree.end()) continue;
    for (Value& value : it->second.values) {
      if (SameName(value.name, name)) value.fail_fetch = true;
    }
  }
}

ErrorCode FakeRegistry::OpenKey(RegKey parent, const std::u16string& path, std::uint32_t access,
                                RegKey& result) {
  ++calls_.open;
  std::u16string base;
  int parent_tree = 0;
  if (const char16_t* root = RootName(parent)) {
    base = root;
  } else if (const Handle* handle = Find(parent)) {
    base = handle->path;
    parent_tree = handle->tree;
  } else {
    return kErrorInvalidHandle;
  }
  const std::u16string full = path.empty() ? base : base + u"\\" + path;
  open_calls_.push_back({full, access, false});

  const std::u16string key = AsciiUpper(full);
  if (auto refused = refused_opens_.find(key); refused != refused_opens_.end()) {
    const std::vector<std::uint32_t>& masks = refused->second;
    if (masks.empty() ||
        std::find(masks.begin(), masks.end(), access & ~kViewFlags) != masks.end()) {
      return kErrorAccessDenied;
    }
  }
  // An empty component (a leading, trailing or doubled separator) names no key.
  if (!path.empty() &&
      (path.front() == u'\\' || path.back() == u'\\' || path.find(u"\\\\") != path.npos)) {
    return kErrorFileNotFound;
  }
  const int tree = TreeOf(access, parent_tree);
  if (trees_[tree].count(key) == 0) return kErrorFileNotFound;

  result = next_handle_++;
  handles_[result] = Handle{tree, key, full};
  peak_open_keys_ = std::max(peak_open_keys_, handles_.size());
  open_calls_.back().succeeded = true;
  return kErrorSuccess;
}

ErrorCode FakeRegistry::CloseKey(RegKey key) {
  ++calls_.close;
  if (handles_.erase(key) == 0) {
    ++bad_closes_;
    return kErrorInvalidHandle;
  }
  return kErrorSuccess;
}

ErrorCode FakeRegistry::QueryInfoKey(RegKey key, std::uint32_t& subkeys,
                                     std::uint32_t& max_name_length, std::uint64_t& last_write) {
  ++calls_.query_info;
  const Key* node = KeyOf(key);
  if (node == nullptr) return kErrorInvalidHandle;
  if (node->fail_query_info) return kErrorAccessDenied;
  subkeys = static_cast<std::uint32_t>(node->subkeys.size());
  last_write = node->last_write;
  max_name_length = 0;
  for (const std::u16string& name : node->subkeys) {
    max_name_length = std::max(max_name_length, static_cast<std::uint32_t>(name.size()));
  }
  return kErrorSuccess;
}

ErrorCode FakeRegistry::EnumKey(RegKey key, std::uint32_t index, char16_t* name,
                                std::uint32_t& name_length) {
  ++calls_.enum_key;
  enum_capacities_.push_back(name_length);
  Key* node = KeyOf(key);
  if (node == nullptr) return kErrorInvalidHandle;
  if (const auto made = node->made_while_listed.find(index);
      made != node->made_while_listed.end()) {
    node->subkeys.insert(node->subkeys.begin(), made->second);
    node->last_write = ++clock_;
    node->made_while_listed.erase(made);
  }
  if (index >= node->subkeys.size()) return kErrorNoMoreItems;
  if (node->failing_indexes.count(index) != 0) return kErrorAccessDenied;
  const std::u16string& subkey = node->subkeys[index];
  if (subkey.size() + 1 > name_length) return kErrorMoreData;
  std::copy(subkey.c_str(), subkey.c_str() + subkey.size() + 1, name);
  name_length = static_cast<std::uint32_t>(subkey.size());
  return kErrorSuccess;
}

ErrorCode FakeRegistry::QueryValue(RegKey key, const std::u16string& name, std::uint32_t* type,
                                   unsigned char* data, std::uint32_t* size) {
  ++calls_.query_value;
  Key* node = KeyOf(key);
  if (node == nullptr) return kErrorInvalidHandle;
  if (node->out_of_memory) throw std::bad_alloc();
  auto value = std::find_if(node->values.begin(), node->values.end(),
                            [&](const Value& v) { return SameName(v.name, name); });
  if (value == node->values.end()) return kErrorFileNotFound;
  if (type != nullptr) *type = value->type;
  const auto stored = static_cast<std::uint32_t>(value->bytes.size());
  if (data == nullptr) {
    if (size != nullptr) *size = stored;
    return kErrorSuccess;
  }
  if (size == nullptr) return kErrorInvalidHandle;
  if (value->fail_fetch || *size < stored) {
    *size = stored;
    return kErrorMoreData;
  }
  std::memcpy(data, value->bytes.data(), stored);
  *size = stored;
  return kErrorSuccess;
}

int FakeRegistry::TreeOf(std::uint32_t access, int parent_tree) const {
  if (!two_views_) return 0;
  if (access & kKeyWow64_32Key) return 1;
  if (access & kKeyWow64_64Key) return 0;
  return parent_tree;
}

FakeRegistry::Key& FakeRegistry::Ensure(const std::u16string& path, View view) {
  Tree& tree = trees_[TreeOf(view)];
  const std::u16string key = AsciiUpper(path);
  if (auto it = tree.find(key); it != tree.end()) return it->second;
  const std::size_t cut = path.rfind(u'\\');
  if (cut != path.npos) {
    Key& parent = Ensure(path.substr(0, cut), view);
    parent.subkeys.push_back(path.substr(cut + 1));
    parent.last_write = ++clock_;
  }
  return tree[key];
}

FakeRegistry::Value& FakeRegistry::EnsureValue(const std::u16string& path,
                                               const std::u16string& name, View view) {
  Key& key = Ensure(path, view);
  for (Value& value : key.values) {
    if (SameName(value.name, name)) return value;
  }
  key.values.push_back(Value{name, kRegNone, {}, false});
  return key.values.back();
}

const FakeRegistry::Handle* FakeRegistry::Find(RegKey key) const {
  auto it = handles_.find(key);
  return it == handles_.end() ? nullptr : &it->second;
}

FakeRegistry::Key* FakeRegistry::KeyOf(RegKey key) {
  const Handle* handle = Find(key);
  if (handle == nullptr) return nullptr;
  auto it = trees_[handle->tree].find(handle->key);
  return it == trees_[handle->tree].end() ? nullptr : &it->second;
}

}  // namespace velmoro
