#include "platform/rtl/Syncobjs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/rtl/Kernel.h"

TEST(Syncobjs, CriticalSectionIsReentrantAndExcludesOthers) {
  TCriticalSection lock;
  lock.Enter();
  lock.Enter(); // the holder may enter again
  std::atomic<bool> otherGotIn{false};
  std::thread other([&] { otherGotIn = lock.TryEnter(); });
  other.join();
  EXPECT_FALSE(otherGotIn);
  lock.Leave();
  lock.Leave();
  std::thread later([&] {
    otherGotIn = lock.TryEnter();
    if (otherGotIn)
      lock.Leave();
  });
  later.join();
  EXPECT_TRUE(otherGotIn);
}

TEST(Syncobjs, EventsManualAndAutoReset) {
  TEvent manual(true, false);
  EXPECT_EQ(manual.WaitFor(20), wrTimeout);
  manual.SetEvent();
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);
  EXPECT_EQ(manual.WaitFor(0), wrSignaled) << "a manual-reset event stays set";
  manual.ResetEvent();
  EXPECT_EQ(manual.WaitFor(0), wrTimeout);

  TEvent automatic(false, true);
  EXPECT_EQ(automatic.WaitFor(0), wrSignaled);
  EXPECT_EQ(automatic.WaitFor(0), wrTimeout) << "an auto-reset event releases one waiter";

  std::thread setter([&] {
    Sleep(30);
    automatic.SetEvent();
  });
  const DWORD start = GetTickCount();
  EXPECT_EQ(automatic.WaitFor(INFINITE), wrSignaled);
  EXPECT_GE(GetTickCount() - start, 25u);
  setter.join();
}
