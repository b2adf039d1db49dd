#pragma once

#include <cstddef>
#include <functional>

namespace velmoro {

// Work spread over threads of the platform.
class ThreadApi {
 public:
  virtual ~ThreadApi() = default;

  // Runs work(worker, item) for every item from 0 to count - 1 on up to `workers` threads, worker
  // telling the threads apart (0 to workers - 1), and deliver(item) on the calling thread in item
  // order, each as soon as that item's work is done. `work` must not throw. When `deliver` throws,
  // no further work starts and the exception passes out once every thread has stopped. Where no
  // thread can be made, the calling thread does the work itself, item by item.
  virtual void ForEachInOrder(std::size_t count, std::size_t workers,
                              const std::function<void(std::size_t worker, std::size_t item)>& work,
                              const std::function<void(std::size_t item)>& deliver) = 0;
};

}  // namespace velmoro
