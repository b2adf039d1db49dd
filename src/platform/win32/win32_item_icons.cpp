#include "platform/win32/win32_desktop.h"
#include "platform/win32/win32_dpi.h"
#include "platform/win32/win32_lookup.h"

namespace velmoro {

// Before Windows 10 1607 there is only the system's size.
int Win32Desktop::IconSize(int x, int y) {
  using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
  const auto metrics_for_dpi =
      LoadedFunction<GetSystemMetricsForDpiFn>(L"user32.dll", "GetSystemMetricsForDpi");
  const std::optional<UINT> dpi = MonitorDpi(x, y);
  if (metrics_for_dpi != nullptr && dpi) return metrics_for_dpi(SM_CXSMICON, *dpi);
  return GetSystemMetrics(SM_CXSMICON);
}

// The room of a program entry's icon needs no file.
bool Win32Desktop::MeasureItemIcon(MEASUREITEMSTRUCT& measure) const {
  if (measure.CtlType != ODT_MENU) return false;
  measure.itemWidth = static_cast<UINT>(icon_size_);
  measure.itemHeight = static_cast<UINT>(icon_size_);
  return true;
}

bool Win32Desktop::DrawItemIcon(const DRAWITEMSTRUCT& draw) {
  if (draw.CtlType != ODT_MENU) return false;
  const auto command = static_cast<std::uint16_t>(draw.itemID);
  auto drawn = item_icons_.find(command);
  if (drawn == item_icons_.end()) {
    const IconSource source = events_ != nullptr ? events_->OnItemIcon(command) : IconSource{};
    if (!icons_) icons_.emplace();
    const HICON warning = source.warning ? icons_->Warning(icon_size_ / 2) : nullptr;
    drawn = item_icons_.emplace(command, ItemIcon{icons_->Get(source, icon_size_), warning}).first;
  }
  const ItemIcon& icon = drawn->second;
  const int left = draw.rcItem.left;
  const int top = draw.rcItem.top + (draw.rcItem.bottom - draw.rcItem.top - icon_size_) / 2;
  if (icon.icon != nullptr) {
    DrawIconEx(draw.hDC, left, top, icon.icon, icon_size_, icon_size_, 0, nullptr, DI_NORMAL);
  }
  // In the icon's lower right quarter, as the shell marks a shortcut or a shared folder.
  if (icon.warning != nullptr) {
    const int size = icon_size_ / 2;
    DrawIconEx(draw.hDC, left + icon_size_ - size, top + icon_size_ - size, icon.warning, size,
               size, 0, nullptr, DI_NORMAL);
  }
  return true;
}

}  // namespace velmoro
