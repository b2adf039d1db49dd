#pragma once

#include <windows.h>

#include <optional>

namespace velmoro {

// The pixels per inch of the monitor nearest a point (GetDpiForMonitor); nothing before Windows
// 8.1, where the caller falls back to the system's.
std::optional<UINT> MonitorDpi(int x, int y);

}  // namespace velmoro
