#include "platform/win32/win32_registry.h"

#include <windows.h>

#include "platform/win32/win32_wide.h"

namespace velmoro {
namespace {

// The predefined roots are 32-bit values that the platform sign-extends into its handle type.
HKEY ToHkey(RegKey key) {
  if (key >= 0x80000000u && key <= 0xFFFFFFFFu) {
    return reinterpret_cast<HKEY>(
        static_cast<LONG_PTR>(static_cast<LONG>(static_cast<ULONG>(key))));
  }
  return reinterpret_cast<HKEY>(key);
}

}  // namespace

ErrorCode Win32Registry::OpenKey(RegKey parent, const std::u16string& path, std::uint32_t access,
                                 RegKey& result) {
  HKEY key = nullptr;
  const LONG status = RegOpenKeyExW(ToHkey(parent), Wide(path), 0, access, &key);
  result = status == ERROR_SUCCESS ? reinterpret_cast<RegKey>(key) : kNoKey;
  return static_cast<ErrorCode>(status);
}

ErrorCode Win32Registry::CloseKey(RegKey key) {
  return static_cast<ErrorCode>(RegCloseKey(ToHkey(key)));
}

ErrorCode Win32Registry::QueryInfoKey(RegKey key, std::uint32_t& subkeys,
                                      std::uint32_t& max_name_length, std::uint64_t& last_write) {
  DWORD count = 0;
  DWORD longest = 0;
  FILETIME written{};
  const LONG status = RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, &count, &longest,
                                       nullptr, nullptr, nullptr, nullptr, nullptr, &written);
  if (status == ERROR_SUCCESS) {
    subkeys = count;
    max_name_length = longest;
    last_write = (std::uint64_t{written.dwHighDateTime} << 32) | written.dwLowDateTime;
  }
  return static_cast<ErrorCode>(status);
}

ErrorCode Win32Registry::EnumKey(RegKey key, std::uint32_t index, char16_t* name,
                                 std::uint32_t& name_length) {
  DWORD length = name_length;
  const LONG status =
      RegEnumKeyExW(ToHkey(key), index, Wide(name), &length, nullptr, nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) name_length = length;
  return static_cast<ErrorCode>(status);
}

ErrorCode Win32Registry::QueryValue(RegKey key, const std::u16string& name, std::uint32_t* type,
                                    unsigned char* data, std::uint32_t* size) {
  DWORD value_type = 0;
  DWORD value_size = size != nullptr ? *size : 0;
  const LONG status =
      RegQueryValueExW(ToHkey(key), Wide(name), nullptr, type != nullptr ? &value_type : nullptr,
                       data, size != nullptr ? &value_size : nullptr);
  if (type != nullptr) *type = value_type;
  if (size != nullptr) *size = value_size;
  return static_cast<ErrorCode>(status);
}

bool Win32Registry::HasTwoViews() {
#if defined(_WIN64)
  return true;
#else
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

}  // namespace velmoro
