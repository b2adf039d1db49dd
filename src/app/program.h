#pragma once

#include "platform/platform.h"

namespace velmoro {

// The program entry: creates the application and its host form on the given platform, runs the
// message loop to its end and returns the process exit status.
int RunProgram(Platform& platform);

}  // namespace velmoro
