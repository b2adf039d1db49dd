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

// One thread takes every file step in turn, so a step costs a hand-over rather than a thread of
// its own: the menu asks for one or two for each item it draws. Shared by the thread, which may be
// left waiting in a step for as long as the process lives.
struct FileStepWorker {
  UniqueHandle start = OwnHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  UniqueHandle done = OwnHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  UniqueHandle thread;
  std::function<void(const std::atomic<bool>&)> step;
  std::atomic<bool> late{false};
};

DWORD WINAPI RunFileSteps(void* parameter) noexcept {
  const std::unique_ptr<std::shared_ptr<FileStepWorker>> handed(
      static_cast<std::shared_ptr<FileStepWorker>*>(parameter));
  const std::shared_ptr<FileStepWorker> worker = *handed;
  while (WaitForSingleObject(worker->start.get(), INFINITE) == WAIT_OBJECT_0) {
    try {
      worker->step(worker->late);
    } catch (...) {
    }
    SetEvent(worker->done.get());
  }
  return 0;
}

std::shared_ptr<FileStepWorker> StartFileStepWorker() {
  auto worker = std::make_shared<FileStepWorker>();
  if (!worker->start || !worker->done) return nullptr;
  auto handed = std::make_unique<std::shared_ptr<FileStepWorker>>(worker);
  worker->thread = OwnHandle(CreateThread(nullptr, 0, RunFileSteps, handed.get(), 0, nullptr));
  if (!worker->thread) return nullptr;
  handed.release();  // the worker's now
  return worker;
}

}  // namespace

// Once a step is late, its I/O is cancelled where the driver allows (CancelSynchronousIo), and no
// other step is handed to the worker, which may still be held: the process's end ends it there.
bool RunFileStep(std::function<void(const std::atomic<bool>& late)> step) {
  static std::shared_ptr<FileStepWorker> worker = StartFileStepWorker();
  static bool stalled = false;
  if (stalled || !worker) return false;
  worker->step = std::move(step);
  SetEvent(worker->start.get());
  if (WaitForSingleObject(worker->done.get(), kFileStepWaitMs) == WAIT_OBJECT_0) return true;
  stalled = true;
  worker->late.store(true);
  CancelSynchronousIo(worker->thread.get());
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
