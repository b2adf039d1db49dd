#include "catalogue/registry_reader.h"

#include <algorithm>

#include "catalogue/registry_error.h"

namespace velmoro {

namespace {

// The read-only open asks for less each time, so that keys which refuse full read access can
// still have their values read.
constexpr std::uint32_t kReadOnlyMasks[] = {kKeyRead, kKeyReadEnumerate, kKeyQueryValue};

[[noreturn]] void ThrowFailedToGetData(const std::string& name) {
  throw RegistryError("Failed to get data for '" + name + "'");
}

[[noreturn]] void ThrowInvalidDataType(const std::string& name) {
  throw RegistryError("Invalid data type for '" + name + "'");
}

}  // namespace

RegistryReader::RegistryReader(RegistryApi& api, std::uint32_t access, std::uint32_t view)
    : api_(api), access_(access), view_(view) {}

RegistryReader::~RegistryReader() {
  CloseKey();
}

void RegistryReader::SetRootKey(RegKey root) {
  if (root == root_) return;
  CloseKey();
  root_ = root;
}

bool RegistryReader::OpenKeyReadOnly(const std::string& path) {
  const bool absolute = !path.empty() && path.front() == '\\';
  const std::string relative = absolute ? path.substr(1) : path;
  const bool under_open_key = !absolute && key_ != kNoKey;
  const RegKey parent = under_open_key ? key_ : root_;
  for (const std::uint32_t mask : kReadOnlyMasks) {
    RegKey opened = kNoKey;
    if (api_.OpenKey(parent, relative, mask | view_, opened) != kErrorSuccess) continue;
    std::string opened_path = under_open_key ? path_ + "\\" + relative : relative;
    CloseKey();
    key_ = opened;
    path_ = std::move(opened_path);
    access_ = mask | view_;
    return true;
  }
  return false;
}

void RegistryReader::CloseKey() {
  known_sizes_.clear();
  if (key_ == kNoKey) return;
  api_.CloseKey(key_);
  key_ = kNoKey;
  path_.clear();
}

std::vector<std::string> RegistryReader::GetKeyNames() {
  std::vector<std::string> names;
  std::uint32_t count = 0;
  std::uint32_t longest = 0;
  if (key_ == kNoKey || api_.QueryInfoKey(key_, count, longest) != kErrorSuccess) return names;
  // The longest length comes in characters; on a double-byte code page each may take two bytes.
  std::size_t capacity = longest;
  if (api_.IsDoubleByteCodePage()) capacity *= 2;
  ++capacity;
  std::vector<char> buffer(capacity);
  names.reserve(count);
  for (std::uint32_t index = 0; index < count; ++index) {
    auto length = static_cast<std::uint32_t>(capacity);
    // A name that cannot be fetched (the key changed since it was queried) is left out.
    if (api_.EnumKey(key_, index, buffer.data(), length) != kErrorSuccess) continue;
    names.emplace_back(buffer.begin(), std::find(buffer.begin(), buffer.end(), '\0'));
  }
  return names;
}

bool RegistryReader::ValueExists(const std::string& name) {
  std::uint32_t type = kRegNone;
  std::uint32_t size = 0;
  if (key_ == kNoKey || api_.QueryValue(key_, name, &type, nullptr, &size) != kErrorSuccess) {
    return false;
  }
  known_sizes_.emplace_back(name, size);
  return true;
}

std::string RegistryReader::ReadString(const std::string& name) {
  std::uint32_t type = kRegNone;
  std::uint32_t size = 0;
  const auto known = std::find_if(known_sizes_.begin(), known_sizes_.end(),
                                  [&](const auto& value) { return value.first == name; });
  if (known != known_sizes_.end()) {
    size = known->second;
    known_sizes_.erase(known);
  } else if (key_ == kNoKey ||
             api_.QueryValue(key_, name, &type, nullptr, &size) != kErrorSuccess) {
    return {};
  }
  if (size == 0) return {};
  std::string data(size, '\0');
  std::uint32_t fetched = size;
  if (api_.QueryValue(key_, name, &type, reinterpret_cast<unsigned char*>(data.data()), &fetched) !=
      kErrorSuccess) {
    ThrowFailedToGetData(name);
  }
  if (type != kRegSz && type != kRegExpandSz) ThrowInvalidDataType(name);
  data.resize(std::min(fetched, size));
  data.erase(std::find(data.begin(), data.end(), '\0'), data.end());
  return data;
}

std::int32_t RegistryReader::ReadInteger(const std::string& name) {
  unsigned char bytes[4] = {};
  std::uint32_t type = kRegNone;
  std::uint32_t size = sizeof bytes;
  if (key_ == kNoKey || api_.QueryValue(key_, name, &type, bytes, &size) != kErrorSuccess) {
    ThrowFailedToGetData(name);
  }
  if (type != kRegDword) ThrowInvalidDataType(name);
  // REG_DWORD is little-endian; bytes a shorter value did not fill stay 0.
  const std::uint32_t number =
      bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
  return static_cast<std::int32_t>(number);
}

bool RegistryReader::ReadBool(const std::string& name) {
  return ReadInteger(name) != 0;
}

}  // namespace velmoro
