#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "catalogue/registry_error.h"
#include "catalogue/registry_reader.h"
#include "fuzz_check.h"
#include "platform/fake/fake_registry.h"

namespace {

constexpr char16_t kKey[] = u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Fuzz";

bool IsReadError(const velmoro::RegistryError& error) {
  const std::string message = error.what();
  return message == "Failed to get data for 'V'" || message == "Invalid data type for 'V'";
}

}  // namespace

// The string and integer reads over any typed data: a string read gives the UTF-16 text before the
// first NUL of a string value, an integer read the number of a 4-byte DWORD; everything else is
// one of the two read errors.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::uint32_t type = input.ConsumeIntegralInRange<std::uint32_t>(0, 12);
  const bool fail_fetch = input.ConsumeBool();
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  velmoro::FakeRegistry registry;
  registry.SetRaw(kKey, u"V", type, bytes);
  if (fail_fetch) registry.FailFetch(kKey, u"V");
  velmoro::RegistryReader reader(registry);
  reader.SetRootKey(velmoro::kHkeyLocalMachine);
  FUZZ_CHECK(reader.OpenKeyReadOnly(u"SOFTWARE\\Fuzz"));
  FUZZ_CHECK(reader.ValueExists(u"V"));

  try {
    const std::u16string text = reader.ReadString(u"V");
    std::u16string units;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                            static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    FUZZ_CHECK(text == units.substr(0, units.find(u'\0')));
    FUZZ_CHECK(bytes.empty() ||
               ((type == velmoro::kRegSz || type == velmoro::kRegExpandSz) && !fail_fetch));
  } catch (const velmoro::RegistryError& error) {
    FUZZ_CHECK(IsReadError(error));
    FUZZ_CHECK(!bytes.empty());
  }

  try {
    const std::int32_t number = reader.ReadInteger(u"V");
    FUZZ_CHECK(type == velmoro::kRegDword && !fail_fetch && bytes.size() <= 4);
    if (bytes.size() == 4) {
      std::int32_t stored;
      std::memcpy(&stored, bytes.data(), 4);
      FUZZ_CHECK(number == stored);
    }
    FUZZ_CHECK(reader.ReadBool(u"V") == (number != 0));
  } catch (const velmoro::RegistryError& error) {
    FUZZ_CHECK(IsReadError(error));
  }
  reader.CloseKey();
  FUZZ_CHECK(registry.open_key_count() == 0);
  return 0;
}
