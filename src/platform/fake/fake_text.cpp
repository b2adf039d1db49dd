#include "platform/fake/fake_text.h"

namespace velmoro {

void FakeText::UpperCase(std::string& text) {
  for (char& c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)) {
      c = static_cast<char>(byte - 0x20);
    } else if (byte == 0x9A || byte == 0x9C || byte == 0x9E) {
      c = static_cast<char>(byte - 0x10);  // the caron and ligature letters
    } else if (byte == 0xFF) {
      c = static_cast<char>(0x9F);
    }
  }
}

bool FakeText::IsDbcsLeadByte(char byte) {
  const auto value = static_cast<unsigned char>(byte);
  return double_byte && value >= 0x81 && value <= 0xFE;
}

}  // namespace velmoro
