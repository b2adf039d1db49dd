#pragma once

#include "platform/process_api.h"

namespace velmoro {

// Called first thing: DLLs load from the system folder only, the current folder comes after the
// system folders in every search, and junctions that are not an administrator's are not followed.
// Each step is taken where this version of Windows offers it.
void ProtectProcess();

// Called first thing too: the system folder becomes the current folder, so that no search that
// looks in the current folder (the shell's own, for a program named without a folder or not found
// in the system folders) looks in the folder the program was started from.
void EnterSystemFolder();

class Win32Process final : public ProcessApi {
 public:
  bool IsElevated() override;
};

}  // namespace velmoro
