#pragma once

#include <string>

namespace velmoro {

class TextApi {
 public:
  virtual ~TextApi() = default;

  // CharUpperBuffA: letters mapped by the ANSI code page's case mapping, in place.
  virtual void UpperCase(std::string& text) = 0;
  // IsDBCSLeadByte: the byte starts a two-byte character in the ANSI code page (never on a
  // single-byte code page).
  virtual bool IsDbcsLeadByte(char byte) = 0;
};

}  // namespace velmoro
