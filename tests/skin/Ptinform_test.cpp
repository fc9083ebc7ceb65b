#include "skin/Eputils.h"
#include "skin/Ptinform.h"

#include <gtest/gtest.h>

namespace {

TEST(RoundHitTests, RoundedRectangle) {
  const struct {
    int x, y, r;
    TRect rect;
    bool inside;
  } cases[] = {
      {0, 0, 3, {0, 0, 20, 20}, false}, // the cut-off corner
      {1, 1, 3, {0, 0, 20, 20}, true},  // inside the corner circle
      {0, 3, 3, {0, 0, 20, 20}, true},  // the side band
      {19, 19, 3, {0, 0, 20, 20}, true},
      {20, 10, 3, {0, 0, 20, 20}, false}, // the side band's right edge is outside
      {10, 20, 3, {0, 0, 20, 20}, false}, // so is the bottom edge
      {3, 20, 3, {0, 0, 20, 20}, true},   // the rim of a corner circle
      {10, 5, 0, {0, 0, 10, 10}, false},  // no radius: the right edge is outside
      {9, 9, 0, {0, 0, 10, 10}, true},
      {5, 2, 10, {0, 0, 20, 4}, true}, // bands crossing: circles still count
  };
  for (const auto& c : cases)
    EXPECT_EQ(PointinRndRect(c.x, c.y, c.r, c.rect), c.inside) << c.x << "," << c.y << " r" << c.r;
  EXPECT_TRUE(PointInRect({10, 5}, TRect{0, 0, 10, 10})) << "unlike the plain rectangle test";
}

TEST(RoundHitTests, Ellipse) {
  const struct {
    int x, y;
    TRect rect;
    bool inside;
  } cases[] = {
      {0, 5, {0, 0, 20, 10}, true},
      {10, 0, {0, 0, 20, 10}, true},
      {20, 5, {0, 0, 20, 10}, true},
      {21, 5, {0, 0, 20, 10}, false},
      {1, 1, {0, 0, 20, 10}, false},
      {10, 5, {0, 0, 20, 10}, true},
      // A rectangle without width or height: half-axes of 1.
      {6, 5, {5, 5, 5, 5}, true},
      {5, 5, {5, 5, 5, 5}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(PointinEllipse(c.x, c.y, c.rect), c.inside) << c.x << "," << c.y;
}

} // namespace
