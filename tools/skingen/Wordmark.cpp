#include "tools/skingen/Wordmark.h"

#include <map>

namespace {

constexpr double kStroke = 2;

// A stem on whole pixels: X is its left edge.
TInside Stem(double X, double Top, double Bottom) {
  return Box(X, Top, X + kStroke, Bottom);
}

// The round of a lower-case letter, x-height 7.
TInside Bowl(double X) {
  return Ring(X + 3.5, -3.5, 3.5, 3.5 - kStroke);
}

struct TLetter {
  TInside Shape;
  double Advance;
};

TLetter Letter(char C) {
  switch (C) {
  case 'W':
    return {
        Union({Stroke(0.6, -10, 2.6, 0, kStroke), Stroke(2.4, 0, 5, -7, kStroke),
               Stroke(5, -7, 7.6, 0, kStroke), Stroke(7.4, 0, 9.4, -10, kStroke), Disc(5, -7, 1)}),
        11};
  case 'e':
    return {Union({[](double X, double Y) {
                     return Bowl(0)(X, Y) && !(X > 3.5 && Y > -3.2 && Y < -1.4);
                   },
                   Box(0.5, -4.2, 6.6, -2.6)}),
            8.5};
  case 'l':
    return {Stem(0, -11, 0), 4};
  case 'k':
    return {Union({Stem(0, -11, 0), Stroke(1.4, -2.6, 6.2, -7.2, kStroke),
                   Stroke(3.2, -4.4, 6.8, 0, kStroke)}),
            8};
  case 'a':
    return {Union({Bowl(0), Stem(5, -7, 0)}), 9};
  case 'd':
    return {Union({Bowl(0), Stem(5, -11, 0)}), 9};
  case 'o':
    return {Bowl(0), 8.5};
  case 'T':
    return {Union({Box(0, -10, 9, -8), Stem(3.5, -10, 0)}), 9.5};
  case 'i':
    return {Union({Stem(0, -7, 0), Box(0, -10, 2, -8.5)}), 4};
  case 'r':
    return {Union({Stem(0, -7, 0),
                   [](double X, double Y) {
                     return Ring(5, -3.2, 4, 2)(X, Y) && Y < -3.2 && X > 1.8 && X < 6.2;
                   }}),
            7};
  default:
    return {Box(0, 0, 0, 0), 4};
  }
}

} // namespace

TInside Wordmark(double X, double Baseline) {
  std::vector<TInside> parts;
  for (const char c : std::string("Welka Tidor")) {
    const TLetter letter = Letter(c);
    parts.push_back(Moved(letter.Shape, X, Baseline));
    X += letter.Advance;
  }
  return Union(std::move(parts));
}
