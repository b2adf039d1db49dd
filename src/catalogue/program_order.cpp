#include "catalogue/program_order.h"

#include <algorithm>
#include <numeric>

namespace velmoro {

namespace {

// How many entries of each distinct key have been placed, summed by prefix in logarithmic time.
class PlacedCounts {
 public:
  explicit PlacedCounts(std::size_t keys) : tree_(keys + 1) {}
  void Add(std::size_t key) {
    for (std::size_t i = key + 1; i < tree_.size(); i += i & (~i + 1)) ++tree_[i];
  }
  // Entries placed with a key before `key`.
  std::size_t Before(std::size_t key) const {
    std::size_t sum = 0;
    for (std::size_t i = key; i > 0; i -= i & (~i + 1)) sum += tree_[i];
    return sum;
  }

 private:
  std::vector<std::size_t> tree_;
};

// Where the list control's binary search puts a new entry among `placed` entries, when those
// with a smaller key fill [0, lo) and those with an equal key [lo, lo + equal): on meeting an
// equal entry it stops and puts the new one in its place, before it. Returned relative to lo.
std::size_t PlaceAmongEqual(std::size_t placed, std::size_t lo, std::size_t equal) {
  // The control searches between its first and its last item, both included.
  std::size_t first = 0;
  std::size_t end = placed;
  while (first < end) {
    const std::size_t mid = (first + end - 1) / 2;
    if (mid < lo) {
      first = mid + 1;
    } else if (mid >= lo + equal) {
      end = mid;
    } else {
      return mid - lo;
    }
  }
  return 0;
}

}  // namespace

// One sort key per entry, compared as bytes, rather than a comparison of texts through the
// platform for every pair: 30,000 entries then take a tenth of a second. A sorted list control
// takes entries one by one, in the order they come, each placed by a binary search, so entries of
// equal keys (texts equal apart from letter case) stand where that search places them, which is
// worked out here.
void SortPrograms(std::vector<ProgramEntry>& entries, TextApi& text) {
  std::vector<std::string> keys;
  keys.reserve(entries.size());
  for (const ProgramEntry& entry : entries) keys.push_back(text.SortKey(EntryText(entry)));
  std::vector<std::size_t> by_key(entries.size());
  std::iota(by_key.begin(), by_key.end(), std::size_t{0});
  std::stable_sort(by_key.begin(), by_key.end(),
                   [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });

  // The distinct keys in order, and the entries of each in the order the control keeps them.
  std::vector<std::size_t> key_of(entries.size());
  std::vector<std::vector<std::size_t>> holders;
  for (std::size_t i = 0; i < by_key.size(); ++i) {
    if (i == 0 || keys[by_key[i]] != keys[by_key[i - 1]]) holders.emplace_back();
    key_of[by_key[i]] = holders.size() - 1;
  }
  PlacedCounts placed(holders.size());
  for (std::size_t entry = 0; entry < entries.size(); ++entry) {
    std::vector<std::size_t>& equal = holders[key_of[entry]];
    const std::size_t at = PlaceAmongEqual(entry, placed.Before(key_of[entry]), equal.size());
    equal.insert(equal.begin() + static_cast<std::ptrdiff_t>(at), entry);
    placed.Add(key_of[entry]);
  }

  std::vector<ProgramEntry> sorted;
  sorted.reserve(entries.size());
  for (const std::vector<std::size_t>& equal : holders) {
    for (const std::size_t index : equal) sorted.push_back(std::move(entries[index]));
  }
  entries = std::move(sorted);
}

}  // namespace velmoro
