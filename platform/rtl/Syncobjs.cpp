#include "platform/rtl/Syncobjs.h"

#include <chrono>

void TEvent::SetEvent() {
  {
    std::lock_guard lock(mutex_);
    signaled_ = true;
  }
  if (manualReset_)
    changed_.notify_all();
  else
    changed_.notify_one();
}

void TEvent::ResetEvent() {
  std::lock_guard lock(mutex_);
  signaled_ = false;
}

TWaitResult TEvent::WaitFor(unsigned timeoutMs) {
  std::unique_lock lock(mutex_);
  auto isSet = [this] { return signaled_; };
  if (timeoutMs == INFINITE)
    changed_.wait(lock, isSet);
  else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), isSet))
    return wrTimeout;
  if (!manualReset_)
    signaled_ = false;
  return wrSignaled;
}
