#include "platform/fake/fake_list_control.h"

#include <algorithm>
#include <numeric>

namespace velmoro {

namespace {

char16_t Lower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

}  // namespace

std::optional<std::vector<std::size_t>> FakeListControl::SortOrder(
    const std::vector<std::u16string>& entries) {
  if (refuse && !entries.empty()) return std::nullopt;
  std::vector<std::size_t> order(entries.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return std::lexicographical_compare(entries[a].begin(), entries[a].end(), entries[b].begin(),
                                        entries[b].end(),
                                        [](char16_t x, char16_t y) { return Lower(x) < Lower(y); });
  });
  return order;
}

}  // namespace velmoro
