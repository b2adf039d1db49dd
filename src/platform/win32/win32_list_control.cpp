#include "platform/win32/win32_list_control.h"

#include "platform/win32/win32_wide.h"

namespace velmoro {

std::optional<std::vector<std::size_t>> Win32ListControl::SortOrder(
    const std::vector<std::u16string>& entries) {
  SendMessageW(list_box_, LB_RESETCONTENT, 0, 0);
  SendMessageW(list_box_, WM_SETREDRAW, FALSE, 0);
  std::size_t text_bytes = 0;
  for (const std::u16string& entry : entries) text_bytes += (entry.size() + 1) * sizeof(wchar_t);
  SendMessageW(list_box_, LB_INITSTORAGE, entries.size(), static_cast<LPARAM>(text_bytes));

  // Each item remembers its entry's index, which is all that is read back.
  bool accepted = true;
  for (std::size_t index = 0; index < entries.size() && accepted; ++index) {
    const LRESULT position =
        SendMessageW(list_box_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entries[index])));
    accepted = position != LB_ERR && position != LB_ERRSPACE &&
               SendMessageW(list_box_, LB_SETITEMDATA, static_cast<WPARAM>(position),
                            static_cast<LPARAM>(index)) != LB_ERR;
  }
  std::optional<std::vector<std::size_t>> order;
  if (accepted) {
    order.emplace();
    order->reserve(entries.size());
    for (std::size_t position = 0; position < entries.size(); ++position) {
      order->push_back(
          static_cast<std::size_t>(SendMessageW(list_box_, LB_GETITEMDATA, position, 0)));
    }
  }
  SendMessageW(list_box_, LB_RESETCONTENT, 0, 0);
  SendMessageW(list_box_, WM_SETREDRAW, TRUE, 0);
  return order;
}

}  // namespace velmoro
