#include "platform/rtl/Classes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "platform/rtl/Kernel.h"

namespace {

class TLambdaThread : public TThread {
public:
  explicit TLambdaThread(std::function<void(TLambdaThread&)> body) : body_(std::move(body)) {}
  using TThread::Synchronize;
  using TThread::WaitWhileSuspended;

protected:
  void Execute() override { body_(*this); }

private:
  std::function<void(TLambdaThread&)> body_;
};

// Serves synchronisation until done() or the deadline; false on the deadline.
bool ServeUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs)
      return false;
    CheckSynchronize(5);
  }
  return true;
}

} // namespace

TEST(Thread, StaysSuspendedUntilStartAndReturnsItsValue) {
  std::atomic<bool> ran{false};
  TLambdaThread thread([&](TLambdaThread& self) {
    ran = true;
    self.ReturnValue = 42;
  });
  Sleep(20);
  EXPECT_FALSE(ran);
  thread.Start();
  EXPECT_EQ(thread.WaitFor(), 42);
  EXPECT_TRUE(ran);
  EXPECT_TRUE(thread.Finished());
}

TEST(Thread, SynchronizeRunsOnTheMainThreadWhileTheWorkerWaits) {
  std::thread::id ranOn;
  std::atomic<bool> afterSync{false};
  bool valueSeenByWorker = false;
  int shared = 0;
  TLambdaThread thread([&](TLambdaThread& self) {
    self.Synchronize([&] {
      ranOn = std::this_thread::get_id();
      shared = 7;
    });
    valueSeenByWorker = shared == 7;
    afterSync = true;
  });
  thread.Start();
  Sleep(30);
  EXPECT_FALSE(afterSync) << "the worker went on before the main thread served it";
  ASSERT_TRUE(ServeUntil([&] { return afterSync.load(); }));
  thread.WaitFor();
  EXPECT_EQ(ranOn, std::this_thread::get_id());
  EXPECT_TRUE(valueSeenByWorker);
}

TEST(Thread, ExceptionInSynchronizedCallReachesTheWorker) {
  std::atomic<bool> caught{false};
  TLambdaThread thread([&](TLambdaThread& self) {
    try {
      self.Synchronize([] { throw std::runtime_error("boom"); });
    } catch (const std::runtime_error&) {
      caught = true;
    }
  });
  thread.Start();
  ASSERT_TRUE(ServeUntil([&] { return thread.Finished(); }));
  EXPECT_TRUE(caught);
}

TEST(Thread, FreeOnTerminateDeletesTheObjectAfterOnTerminate) {
  static std::atomic<int> destroyed;
  destroyed = 0;
  struct TCounted : TLambdaThread {
    using TLambdaThread::TLambdaThread;
    ~TCounted() override { ++destroyed; }
  };
  std::atomic<bool> terminatedSeen{false};
  auto* thread = new TCounted([](TLambdaThread&) {});
  thread->FreeOnTerminate = true;
  thread->OnTerminate = [&](TThread*) {
    EXPECT_TRUE(IsMainThread());
    terminatedSeen = true;
  };
  thread->Start();
  ASSERT_TRUE(ServeUntil([&] { return destroyed.load() == 1; }));
  EXPECT_TRUE(terminatedSeen);
}

TEST(Thread, TerminateIsSeenByTheRunningThread) {
  std::atomic<bool> sawTerminate{false};
  TLambdaThread thread([&](TLambdaThread& self) {
    while (!self.Terminated())
      Sleep(1);
    sawTerminate = true;
  });
  thread.Start();
  Sleep(10);
  EXPECT_FALSE(thread.Finished());
  thread.Terminate();
  thread.WaitFor();
  EXPECT_TRUE(sawTerminate);
}

TEST(Thread, CheckSynchronizeWithNothingQueued) {
  EXPECT_FALSE(CheckSynchronize());
  const DWORD start = GetTickCount();
  EXPECT_FALSE(CheckSynchronize(30));
  EXPECT_GE(GetTickCount() - start, 25u);
}

TEST(Thread, WakeHookFiresForEveryQueuedCall) {
  static std::atomic<int> wakes;
  wakes = 0;
  SetWakeMainThreadHook([] { ++wakes; });
  TLambdaThread thread([](TLambdaThread& self) {
    self.Synchronize([] {});
    self.Synchronize([] {});
  });
  thread.Start();
  ASSERT_TRUE(ServeUntil([&] { return thread.Finished(); }));
  SetWakeMainThreadHook(nullptr);
  EXPECT_EQ(wakes, 2);
}

TEST(Thread, SuspendPausesAtTheNextWaitPointUntilResumeOrTerminate) {
  std::atomic<int> steps{0};
  TLambdaThread thread([&](TLambdaThread& self) {
    while (!self.Terminated()) {
      self.WaitWhileSuspended();
      ++steps;
      Sleep(1);
    }
  });
  EXPECT_TRUE(thread.Suspended()) << "created suspended";
  thread.Resume();
  Sleep(20);
  EXPECT_FALSE(thread.Suspended());
  thread.Suspend();
  EXPECT_TRUE(thread.Suspended());
  Sleep(10);
  const int paused = steps;
  Sleep(30);
  EXPECT_LE(steps - paused, 1) << "the thread went on while suspended";
  thread.Resume();
  EXPECT_TRUE(ServeUntil([&] { return steps > paused + 1; })) << "resumed, it went on";
  thread.Suspend();
  Sleep(10);
  thread.Terminate(); // ends the pause too
  thread.WaitFor();
  EXPECT_TRUE(thread.Finished());
}
