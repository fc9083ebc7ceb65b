#include "skin/Ptinform.h"

#include <cstdlib>

namespace {

bool InCircle(int x, int y, int cx, int cy, int r) {
  const long long dx = x - cx, dy = y - cy;
  return dx * dx + dy * dy <= static_cast<long long>(r) * r;
}

} // namespace

bool PointinRndRect(int X, int Y, int R, const TRect& Rect) {
  const TPoint p{X, Y};
  if (TRect{Rect.Left + R, Rect.Top, Rect.Right - R, Rect.Bottom}.Contains(p))
    return true;
  if (InCircle(X, Y, Rect.Left + R, Rect.Top + R, R) ||
      InCircle(X, Y, Rect.Left + R, Rect.Bottom - R, R) ||
      InCircle(X, Y, Rect.Right - R, Rect.Bottom - R, R) ||
      InCircle(X, Y, Rect.Right - R, Rect.Top + R, R))
    return true;
  return Rect.Top + R < Rect.Bottom - R &&
         TRect{Rect.Left, Rect.Top + R, Rect.Right, Rect.Bottom - R}.Contains(p);
}

bool PointinEllipse(int X, int Y, const TRect& Rect) {
  int a = (Rect.Right - Rect.Left) / 2;
  int b = (Rect.Bottom - Rect.Top) / 2;
  if (a == 0)
    a = 1;
  if (b == 0)
    b = 1;
  const double dx = std::abs(X - (Rect.Left + a)) / static_cast<double>(a);
  const double dy = std::abs(Y - (Rect.Top + b)) / static_cast<double>(b);
  return dx * dx + dy * dy <= 1;
}
