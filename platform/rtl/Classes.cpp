#include "platform/rtl/Classes.h"

#include <chrono>
#include <deque>
#include <exception>

namespace {

const std::thread::id MainThreadId = std::this_thread::get_id();

struct TSyncRequest {
  const TThreadMethod* Method;
  bool Done = false;
  std::exception_ptr Error;
};

std::mutex SyncMutex;
std::condition_variable SyncPosted;
std::condition_variable SyncServed;
std::deque<TSyncRequest*> SyncQueue;
std::atomic<int> SyncPending{0};
std::atomic<TWakeMainThreadHook> WakeHook{nullptr};

void RunRequest(TSyncRequest& request) {
  try {
    (*request.Method)();
  } catch (...) {
    request.Error = std::current_exception();
  }
}

} // namespace

bool IsMainThread() {
  return std::this_thread::get_id() == MainThreadId;
}

void SetWakeMainThreadHook(TWakeMainThreadHook hook) {
  WakeHook.store(hook);
}

bool CheckSynchronize(int timeoutMs) {
  if (!IsMainThread())
    return false;
  if (SyncPending.load() == 0 && timeoutMs <= 0)
    return false;
  std::deque<TSyncRequest*> batch;
  {
    std::unique_lock lock(SyncMutex);
    if (SyncQueue.empty() && timeoutMs > 0)
      SyncPosted.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                          [] { return !SyncQueue.empty(); });
    batch.swap(SyncQueue);
    SyncPending.store(0);
  }
  if (batch.empty())
    return false;
  for (TSyncRequest* request : batch)
    RunRequest(*request);
  {
    std::lock_guard lock(SyncMutex);
    for (TSyncRequest* request : batch)
      request->Done = true;
  }
  SyncServed.notify_all();
  return true;
}

TThread::TThread() = default;

TThread::~TThread() {
  if (!thread_.joinable())
    return;
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();
    return;
  }
  Terminate();
  thread_.join();
}

void TThread::Start() {
  std::lock_guard lock(mutex_);
  if (started_)
    return;
  started_ = true;
  thread_ = std::thread([this] { Run(); });
}

void TThread::Resume() {
  {
    std::lock_guard lock(mutex_);
    if (suspended_) {
      suspended_ = false;
      resumeSignal_.notify_all();
      return;
    }
  }
  Start();
}

void TThread::Suspend() {
  std::lock_guard lock(mutex_);
  if (started_ && !finished_.load())
    suspended_ = true;
}

bool TThread::Suspended() {
  std::lock_guard lock(mutex_);
  return !started_ || suspended_;
}

void TThread::Terminate() {
  terminated_.store(true);
  std::lock_guard lock(mutex_);
  resumeSignal_.notify_all();
}

void TThread::WaitWhileSuspended() {
  std::unique_lock lock(mutex_);
  resumeSignal_.wait(lock, [this] { return !suspended_ || terminated_.load(); });
}

void TThread::Run() {
  {
    // Start still holds the lock until thread_ is assigned.
    std::lock_guard lock(mutex_);
  }
  try {
    Execute();
  } catch (...) {
    // An exception escaping a worker ends the thread, as in the class library.
  }
  DoTerminate();
  const bool freeSelf = FreeOnTerminate;
  {
    std::lock_guard lock(mutex_);
    finished_.store(true);
  }
  finishedSignal_.notify_all();
  if (freeSelf)
    delete this;
}

void TThread::DoTerminate() {
  if (OnTerminate)
    Synchronize([this] { OnTerminate(this); });
}

int TThread::WaitFor() {
  {
    std::unique_lock lock(mutex_);
    if (!started_)
      return ReturnValue;
    finishedSignal_.wait(lock, [this] { return finished_.load(); });
  }
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
    thread_.join();
  return ReturnValue;
}

void TThread::Synchronize(const TThreadMethod& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  TSyncRequest request{&method, false, nullptr};
  {
    std::lock_guard lock(SyncMutex);
    SyncQueue.push_back(&request);
    SyncPending.fetch_add(1);
  }
  SyncPosted.notify_all();
  if (TWakeMainThreadHook hook = WakeHook.load())
    hook();
  {
    std::unique_lock lock(SyncMutex);
    SyncServed.wait(lock, [&request] { return request.Done; });
  }
  if (request.Error)
    std::rethrow_exception(request.Error);
}
