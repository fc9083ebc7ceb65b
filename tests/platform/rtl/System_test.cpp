#include "platform/rtl/System.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

std::vector<int> Draws(uint32_t seed, int range, int count) {
  RandSeed = seed;
  std::vector<int> out;
  for (int i = 0; i < count; ++i)
    out.push_back(Random(range));
  return out;
}

TEST(Random, SeedReplaysTheSequenceAndStaysInRange) {
  const std::vector<int> first = Draws(12345, 7, 500);
  EXPECT_EQ(first, Draws(12345, 7, 500));
  EXPECT_NE(first, Draws(54321, 7, 500));
  const std::set<int> seen(first.begin(), first.end());
  EXPECT_EQ(seen, (std::set<int>{0, 1, 2, 3, 4, 5, 6})) << "every value of the range, no other";
}

TEST(Random, EmptyRangeGivesZeroButAdvances) {
  RandSeed = 99;
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  const uint32_t afterTwo = RandSeed;
  RandSeed = 99;
  Random(3);
  Random(3);
  EXPECT_EQ(RandSeed, afterTwo);
}

} // namespace
