#include "platform/rtl/Kernel.h"

#include <gtest/gtest.h>

TEST(Kernel, TickCountFollowsSleep) {
  const DWORD start = GetTickCount();
  Sleep(50);
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 50u);
  EXPECT_LT(elapsed, 1000u);
}
