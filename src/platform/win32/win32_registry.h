#pragma once

#include "platform/registry_api.h"

namespace velmoro {

class Win32Registry final : public RegistryApi {
 public:
  ErrorCode OpenKey(RegKey parent, const std::u16string& path, std::uint32_t access,
                    RegKey& result) override;
  ErrorCode CloseKey(RegKey key) override;
  ErrorCode QueryInfoKey(RegKey key, std::uint32_t& subkeys, std::uint32_t& max_name_length,
                         std::uint64_t& last_write) override;
  ErrorCode EnumKey(RegKey key, std::uint32_t index, char16_t* name,
                    std::uint32_t& name_length) override;
  ErrorCode QueryValue(RegKey key, const std::u16string& name, std::uint32_t* type,
                       unsigned char* data, std::uint32_t* size) override;
  bool HasTwoViews() override;
};

}  // namespace velmoro
