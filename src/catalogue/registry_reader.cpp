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
  fetched_.clear();
  if (key_ == kNoKey) return;
  api_.CloseKey(key_);
  key_ = kNoKey;
}

// A subkey made or removed meanwhile takes any index, so the names after it move: some are then
// missed and others seen twice. The listing is whole only where every index gave a name and the
// key's count and last-write time are the same afterwards.
std::optional<std::vector<std::u16string>> RegistryReader::GetKeyNames() {
  std::vector<std::u16string> names;
  std::uint32_t count = 0;
  std::uint32_t longest = 0;
  std::uint64_t written = 0;
  if (key_ == kNoKey || api_.QueryInfoKey(key_, count, longest, written) != kErrorSuccess) {
    return std::nullopt;
  }
  const std::size_t capacity = std::size_t{longest} + 1;
  std::vector<char16_t> buffer(capacity);
  names.reserve(count);
  for (std::uint32_t index = 0; index < count; ++index) {
    auto length = static_cast<std::uint32_t>(capacity);
    if (api_.EnumKey(key_, index, buffer.data(), length) != kErrorSuccess) return std::nullopt;
    names.emplace_back(buffer.begin(), std::find(buffer.begin(), buffer.end(), u'\0'));
  }
  std::uint32_t count_after = 0;
  std::uint64_t written_after = 0;
  if (api_.QueryInfoKey(key_, count_after, longest, written_after) != kErrorSuccess ||
      count_after != count || written_after > written) {
    return std::nullopt;
  }
  return names;
}

// Most values fit the first buffer, so one call gives existence, type and data together: each
// call is a round trip to the registry, and a subkey needs three values.
const RegistryReader::Fetched& RegistryReader::Fetch(const std::u16string& name) {
  for (const Fetched& value : fetched_) {
    if (value.name == name) return value;
  }
  Fetched value;
  value.name = name;
  if (key_ != kNoKey) {
    unsigned char buffer[1024];
    std::uint32_t size = sizeof buffer;
    const ErrorCode status = api_.QueryValue(key_, name, &value.type, buffer, &size);
    if (status == kErrorSuccess) {
      value.exists = true;
      value.size = std::min<std::uint32_t>(size, sizeof buffer);
      value.complete = value.size <= max_value_bytes_;
      if (value.complete) value.data.assign(reinterpret_cast<const char*>(buffer), value.size);
    } else if (status == kErrorMoreData) {
      value.exists = true;
      value.size = size;
      if (size <= max_value_bytes_) {
        std::string data(size, '\0');
        std::uint32_t fetched = size;
        // The value may have grown since; then its data cannot be read.
        if (api_.QueryValue(key_, name, &value.type, reinterpret_cast<unsigned char*>(data.data()),
                            &fetched) == kErrorSuccess) {
          value.complete = true;
          data.resize(std::min(fetched, size));
          value.data = std::move(data);
          value.size = static_cast<std::uint32_t>(value.data.size());
        }
      }
    }
  }
  fetched_.push_back(std::move(value));
  return fetched_.back();
}

bool RegistryReader::ValueExists(const std::u16string& name) {
  return Fetch(name).exists;
}

std::u16string RegistryReader::ReadString(const std::u16string& name, bool* expandable) {
  const Fetched& value = Fetch(name);
  if (!value.exists || value.size == 0) return {};
  if (!value.complete) ThrowFailedToGetData(name);
  if (value.type != kRegSz && value.type != kRegExpandSz) ThrowInvalidDataType(name);
  if (expandable != nullptr) *expandable = value.type == kRegExpandSz;
  // UTF-16LE up to the first NUL character; an odd last byte is no character.
  std::u16string text;
  text.reserve(value.data.size() / 2);
  for (std::size_t i = 0; i + 1 < value.data.size(); i += 2) {
    const auto unit = static_cast<char16_t>(static_cast<unsigned char>(value.data[i]) |
                                            static_cast<unsigned char>(value.data[i + 1]) << 8);
    if (unit == u'\0') break;
    text.push_back(unit);
  }
  return text;
}

// At most 4 bytes are taken: a longer value cannot be read as one.
std::int32_t RegistryReader::ReadInteger(const std::u16string& name) {
  const Fetched& value = Fetch(name);
  if (!value.exists || !value.complete || value.data.size() > 4) ThrowFailedToGetData(name);
  if (value.type != kRegDword) ThrowInvalidDataType(name);
  // REG_DWORD is little-endian; bytes a shorter value did not fill stay 0.
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    number |= static_cast<std::uint32_t>(static_cast<unsigned char>(value.data[i])) << (8 * i);
  }
  return static_cast<std::int32_t>(number);
}

bool RegistryReader::ReadBool(const std::u16string& name) {
  return ReadInteger(name) != 0;
}

}  // namespace velmoro
