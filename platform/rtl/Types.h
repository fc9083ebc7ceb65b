#pragma once
// Points and rectangles of the class library: a rectangle holds its left and
// top edges inside and its right and bottom edges outside.

struct TPoint {
  int X = 0;
  int Y = 0;
  constexpr bool operator==(const TPoint&) const = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr bool Contains(TPoint P) const {
    return P.X >= Left && P.X < Right && P.Y >= Top && P.Y < Bottom;
  }
  constexpr bool operator==(const TRect&) const = default;
};

constexpr TPoint Point(int X, int Y) {
  return {X, Y};
}
constexpr TRect Rect(int Left, int Top, int Right, int Bottom) {
  return {Left, Top, Right, Bottom};
}
constexpr TRect Bounds(int Left, int Top, int Width, int Height) {
  return {Left, Top, Left + Width, Top + Height};
}
