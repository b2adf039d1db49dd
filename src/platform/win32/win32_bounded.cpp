#include "platform/win32/win32_bounded.h"

#include <memory>

#include "platform/win32/win32_handles.h"

namespace velmoro {
namespace {

// Shared by the waiting thread and the worker, which may outlive the wait.
struct BoundedWork {
  std::function<void(const std::atomic<bool>&)> work;
  std::atomic<bool> late{false};
  UniqueHandle done;
};

DWORD WINAPI RunBoundedWork(void* parameter) noexcept {
  const std::unique_ptr<std::shared_ptr<BoundedWork>> handed(
      static_cast<std::shared_ptr<BoundedWork>*>(parameter));
  const std::shared_ptr<BoundedWork> bounded = *handed;
  try {
    bounded->work(bounded->late);
  } catch (...) {
  }
  SetEvent(bounded->done.get());
  return 0;
}

}  // namespace

bool RunFileStep(std::function<void(const std::atomic<bool>& late)> work) {
  static std::atomic<bool> stalled{false};
  if (stalled.load()) return false;
  if (RunWithin(kFileStepWaitMs, std::move(work))) return true;
  stalled.store(true);
  return false;
}

bool RunWithin(DWORD wait_ms, std::function<void(const std::atomic<bool>& late)> work) {
  auto bounded = std::make_shared<BoundedWork>();
  bounded->work = std::move(work);
  bounded->done = OwnHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!bounded->done) return false;
  auto handed = std::make_unique<std::shared_ptr<BoundedWork>>(bounded);
  const UniqueHandle thread(CreateThread(nullptr, 0, RunBoundedWork, handed.get(), 0, nullptr));
  if (!thread) return false;
  handed.release();  // the worker's now
  if (WaitForSingleObject(bounded->done.get(), wait_ms) == WAIT_OBJECT_0) return true;
  bounded->late.store(true);
  return false;
}

}  // namespace velmoro
