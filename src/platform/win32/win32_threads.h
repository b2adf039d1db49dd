#pragma once

#include "platform/thread_api.h"

namespace velmoro {

class Win32Threads final : public ThreadApi {
 public:
  void ForEachInOrder(std::size_t count, std::size_t workers,
                      const std::function<void(std::size_t worker, std::size_t item)>& work,
                      const std::function<void(std::size_t item)>& deliver) override;
};

}  // namespace velmoro
