#pragma once

#include <windows.h>

#include <atomic>
#include <functional>

namespace velmoro {

// Runs `work` on a thread of its own and waits for it at most `wait_ms`: true when it finished in
// time. A work that has not is left to finish by itself, or to end with the process: whatever it
// uses must be its own (captured by value or shared), and it may look at `late`, set once nobody
// waits for it any more, to give up before it acts. False, without running it, where no thread can
// be made. What the work throws is dropped.
bool RunWithin(DWORD wait_ms, std::function<void(const std::atomic<bool>& late)> work);

// A file step that another program or a far disk can hold up for as long as it likes (an open
// that waits for an opportunistic lock, a path that leads through a link to a share or a sleeping
// disk), while the menu is up: run on the one thread that takes such steps, and waited for
// kFileStepWaitMs. Once one step has not finished in time, no other is waited for by this process:
// false at once. Called from the program's own thread only; what the step uses must be its own
// (captured by value or shared), as a late one goes on alone.
inline constexpr DWORD kFileStepWaitMs = 250;
bool RunFileStep(std::function<void(const std::atomic<bool>& late)> work);

}  // namespace velmoro
