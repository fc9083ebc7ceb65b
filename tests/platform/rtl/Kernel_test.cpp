#include "platform/rtl/Kernel.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

uint64_t MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
}

} // namespace

TEST(Kernel, TickCountFollowsSleep) {
  const DWORD start = GetTickCount();
  const uint64_t start64 = GetTickCount64();
  Sleep(50);
  const DWORD elapsed = GetTickCount() - start;
  const uint64_t elapsed64 = GetTickCount64() - start64;
  // Milliseconds, not a finer or coarser unit: a loaded machine may sleep far
  // longer than asked, never a thousand times longer.
  EXPECT_GE(elapsed, 50u);
  EXPECT_LT(elapsed, 50000u);
  EXPECT_GE(elapsed64, 50u);
  EXPECT_LT(elapsed64, 50000u);
}

TEST(Kernel, TheLongTickCountIsTheWholeMonotonicClock) {
  // Not cut to 32 bits: it reads as the system's monotonic clock in whole
  // milliseconds, however long the machine has run, and the short count is
  // its low half.
  const uint64_t before = MonotonicMs();
  const uint64_t ticks = GetTickCount64();
  const DWORD shortTicks = GetTickCount();
  const uint64_t after = MonotonicMs();
  EXPECT_GE(ticks, before);
  EXPECT_LE(ticks, after);
  EXPECT_LE(static_cast<DWORD>(shortTicks - static_cast<DWORD>(ticks)), after - before);
  for (int i = 0; i < 1000; ++i) {
    const uint64_t next = GetTickCount64();
    ASSERT_GE(next, ticks);
  }
}
