#include "platform/win32/win32_dpi.h"

#include "platform/win32/win32_lookup.h"

namespace velmoro {

// The shell's scaling library is loaded with shell32, which the program imports.
std::optional<UINT> MonitorDpi(int x, int y) {
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  const auto dpi_for_monitor =
      LoadedFunction<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
  UINT dpi_x = 0;
  UINT dpi_y = 0;
  const HMONITOR monitor = MonitorFromPoint(POINT{x, y}, MONITOR_DEFAULTTONEAREST);
  if (dpi_for_monitor == nullptr || FAILED(dpi_for_monitor(monitor, 0, &dpi_x, &dpi_y))) {
    return std::nullopt;
  }
  return dpi_x;
}

}  // namespace velmoro
