#include "platform/win32/win32_list_control.h"

namespace velmoro {

bool Win32ListControl::SortEntries(std::vector<std::string>& entries) {
  SendMessageA(list_box_, LB_RESETCONTENT, 0, 0);
  SendMessageA(list_box_, WM_SETREDRAW, FALSE, 0);
  std::size_t text_bytes = 0;
  for (const std::string& entry : entries) text_bytes += entry.size() + 1;
  SendMessageA(list_box_, LB_INITSTORAGE, entries.size(), static_cast<LPARAM>(text_bytes));

  // Each item remembers its entry's index, so the entries come back byte for byte as given.
  bool accepted = true;
  for (std::size_t index = 0; index < entries.size() && accepted; ++index) {
    const LRESULT position =
        SendMessageA(list_box_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entries[index].c_str()));
    accepted = position != LB_ERR && position != LB_ERRSPACE &&
               SendMessageA(list_box_, LB_SETITEMDATA, static_cast<WPARAM>(position),
                            static_cast<LPARAM>(index)) != LB_ERR;
  }
  if (accepted) {
    std::vector<std::string> sorted;
    sorted.reserve(entries.size());
    for (std::size_t position = 0; position < entries.size(); ++position) {
      const LRESULT index = SendMessageA(list_box_, LB_GETITEMDATA, position, 0);
      sorted.push_back(std::move(entries[static_cast<std::size_t>(index)]));
    }
    entries = std::move(sorted);
  } else {
    SendMessageA(list_box_, LB_RESETCONTENT, 0, 0);
  }
  SendMessageA(list_box_, WM_SETREDRAW, TRUE, 0);
  return accepted;
}

}  // namespace velmoro
