#include "catalogue/registry_reader.h"

#include <algorithm>

#include "catalogue/registry_error.h"

namespace velmoro {

namespace {

// The read-only open asks for less each time, so that keys which refuse full read access can
// still have their values read.
constexpr std::uint32_t kReadOnlyMasks[] = {kKeyRead, kKeyReadEnumerate, kKeyQueryValue};

// Value names are the program's own, all ASCII.
std::string Narrow(const std::u16string& name) {
  return std::string(name.begin(), name.end());
}

[[noreturn]] void ThrowFailedToGetData(const std::u16string& name) {
  throw RegistryError("Failed to get data for '" + Narrow(name) + "'");
}

[[noreturn]] void ThrowInvalidDataType(const std::u16string& name) {
  throw RegistryError("Invalid data type for '" + Narrow(name) + "'");
}

}  // namespace

RegistryReader::RegistryReader(RegistryApi& api, std::uint32_t view) : api_(api), view_(view) {}

RegistryReader::~RegistryReader() {
  CloseKey();
}

void RegistryReader::SetRootKey(RegKey root) {
  if (root == root_) return;
  CloseKey();
  root_ = root;
}

bool RegistryReader::OpenKeyReadOnly(const std::u16string& path) {
  const bool absolute = !path.empty() && path.front() == u'\\';
  const std::u16string relative = absolute ? path.substr(1) : path;
  const RegKey parent = !absolute && key_ != kNoKey ? key_ : root_;
  for (const std::uint32_t mask : kReadOnlyMasks) {
    RegKey opened = kNoKey;
    if (api_.OpenKey(parent, relative, mask | view_, opened) != kErrorSuccess) continue;
    CloseKey();
    key_ = opened;
    return true;
  }
  return false;
}

void RegistryReader::CloseKey() {
  known_sizes_.clear();
  if (key_ == kNoKey) return;
  api_.CloseKey(key_);
  key_ = kNoKey;
}

std::vector<std::u16string> RegistryReader::GetKeyNames() {
  std::vector<std::u16string> names;
  std::uint32_t count = 0;
  std::uint32_t longest = 0;
  if (key_ == kNoKey || api_.QueryInfoKey(key_, count, longest) != kErrorSuccess) return names;
  const std::size_t capacity = std::size_t{longest} + 1;
  std::vector<char16_t> buffer(capacity);
  names.reserve(count);
  for (std::uint32_t index = 0; index < count; ++index) {
    auto length = static_cast<std::uint32_t>(capacity);
    // A name that cannot be fetched (the key changed since it was queried) is left out.
    if (api_.EnumKey(key_, index, buffer.data(), length) != kErrorSuccess) continue;
    names.emplace_back(buffer.begin(), std::find(buffer.begin(), buffer.end(), u'\0'));
  }
  return names;
}

bool RegistryReader::ValueExists(const std::u16string& name) {
  std::uint32_t type = kRegNone;
  std::uint32_t size = 0;
  if (key_ == kNoKey || api_.QueryValue(key_, name, &type, nullptr, &size) != kErrorSuccess) {
    return false;
  }
  known_sizes_.emplace_back(name, size);
  return true;
}

std::u16string RegistryReader::ReadString(const std::u16string& name, bool* expandable) {
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
  if (expandable != nullptr) *expandable = type == kRegExpandSz;
  // UTF-16LE up to the first NUL character; an odd last byte is no character.
  const std::size_t bytes = std::min(fetched, size);
  std::u16string text;
  text.reserve(bytes / 2);
  for (std::size_t i = 0; i + 1 < bytes; i += 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(data[i]) |
                                            static_cast<unsigned char>(data[i + 1]) << 8);
    if (unit == u'\0') break;
    text.push_back(unit);
  }
  return text;
}

std::int32_t RegistryReader::ReadInteger(const std::u16string& name) {
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

bool RegistryReader::ReadBool(const std::u16string& name) {
  return ReadInteger(name) != 0;
}

}  // namespace velmoro
