#pragma once
// Locks and events of the kernel, as the class library wraps them.
#include "platform/rtl/Kernel.h"

#include <condition_variable>
#include <mutex>

// A critical section may be entered again by the thread that holds it.
class TCriticalSection {
public:
  void Acquire() { mutex_.lock(); }
  void Release() { mutex_.unlock(); }
  void Enter() { Acquire(); }
  void Leave() { Release(); }
  bool TryEnter() { return mutex_.try_lock(); }

  // For std::lock_guard and std::unique_lock.
  void lock() { Acquire(); }
  void unlock() { Release(); }

private:
  std::recursive_mutex mutex_;
};

enum TWaitResult { wrSignaled, wrTimeout };

// A kernel event: a manual-reset event stays signalled until ResetEvent, an
// auto-reset one releases a single waiter and resets itself.
class TEvent {
public:
  explicit TEvent(bool manualReset = true, bool initialState = false)
      : manualReset_(manualReset), signaled_(initialState) {}
  void SetEvent();
  void ResetEvent();
  TWaitResult WaitFor(unsigned timeoutMs = INFINITE);

private:
  std::mutex mutex_;
  std::condition_variable changed_;
  const bool manualReset_;
  bool signaled_;
};
