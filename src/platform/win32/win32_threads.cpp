#include "platform/win32/win32_threads.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

#include "platform/win32/win32_handles.h"

namespace velmoro {
namespace {

// What the threads share: the next item to take, which items are done, and an event set after
// each one, for the calling thread to wait on.
struct Batch {
  std::size_t count;
  const std::function<void(std::size_t, std::size_t)>& work;
  std::atomic<std::size_t> next{0};
  std::atomic<bool> stop{false};
  std::unique_ptr<std::atomic<bool>[]> done;
  UniqueHandle progress;
};

struct Worker {
  Batch* batch;
  std::size_t index;
};

DWORD WINAPI RunWorker(void* parameter) {
  const Worker& worker = *static_cast<const Worker*>(parameter);
  Batch& batch = *worker.batch;
  for (;;) {
    const std::size_t item = batch.next.fetch_add(1);
    if (item >= batch.count || batch.stop.load()) return 0;
    batch.work(worker.index, item);
    batch.done[item].store(true, std::memory_order_release);
    SetEvent(batch.progress.get());
  }
}

}  // namespace

void Win32Threads::ForEachInOrder(
    std::size_t count, std::size_t workers,
    const std::function<void(std::size_t worker, std::size_t item)>& work,
    const std::function<void(std::size_t item)>& deliver) {
  Batch batch{count,
              work,
              {0},
              {false},
              std::make_unique<std::atomic<bool>[]>(count),
              OwnHandle(CreateEventW(nullptr, FALSE, FALSE, nullptr))};
  std::vector<Worker> parameters(std::min(workers, count));
  std::vector<UniqueHandle> threads;
  for (std::size_t index = 0; batch.progress && index < parameters.size(); ++index) {
    parameters[index] = Worker{&batch, index};
    HANDLE thread = CreateThread(nullptr, 0, RunWorker, &parameters[index], 0, nullptr);
    if (thread != nullptr) threads.emplace_back(thread);
  }
  if (threads.empty()) {
    for (std::size_t item = 0; item < count; ++item) {
      work(0, item);
      deliver(item);
    }
    return;
  }
  // Every way out waits for the threads, which use what lives on this frame.
  struct Joiner {
    Batch& batch;
    std::vector<UniqueHandle>& threads;
    ~Joiner() {
      batch.stop.store(true);
      for (const UniqueHandle& thread : threads) WaitForSingleObject(thread.get(), INFINITE);
    }
  } joiner{batch, threads};
  for (std::size_t item = 0; item < count; ++item) {
    while (!batch.done[item].load(std::memory_order_acquire)) {
      WaitForSingleObject(batch.progress.get(), INFINITE);
    }
    deliver(item);
  }
}

}  // namespace velmoro
