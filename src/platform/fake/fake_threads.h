#pragma once

#include "platform/thread_api.h"

namespace velmoro {

// No threads, but no help from their order either: every item's work is done before the first is
// delivered, last item first, the workers taken in turn, so results that depend on work and
// delivery alternating, or on one worker doing consecutive items, show up.
class FakeThreads : public ThreadApi {
 public:
  void ForEachInOrder(std::size_t count, std::size_t workers,
                      const std::function<void(std::size_t worker, std::size_t item)>& work,
                      const std::function<void(std::size_t item)>& deliver) override {
    for (std::size_t item = count; item-- > 0;) work(item % workers, item);
    for (std::size_t item = 0; item < count; ++item) deliver(item);
  }
};

}  // namespace velmoro
