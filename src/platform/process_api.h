#pragma once

namespace velmoro {

// The running process itself.
class ProcessApi {
 public:
  virtual ~ProcessApi() = default;

  // The process runs with an administrator's full token (TokenElevation): what it starts or
  // changes, it does as an administrator.
  virtual bool IsElevated() = 0;
};

}  // namespace velmoro
