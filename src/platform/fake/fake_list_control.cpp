#include "platform/fake/fake_list_control.h"

#include <algorithm>
#include <cctype>

namespace velmoro {

bool FakeListControl::SortEntries(std::vector<std::string>& entries) {
  if (refuse && !entries.empty()) return false;
  std::stable_sort(entries.begin(), entries.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) <
             std::tolower(static_cast<unsigned char>(y));
    });
  });
  return true;
}

}  // namespace velmoro
