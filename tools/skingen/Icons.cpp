#include "tools/skingen/Icons.h"

#include <cmath>
#include <numbers>

namespace {

TInside Gear() {
  const TInside body = Ring(7, 7, 4.6, 1.9);
  std::vector<TInside> parts{body};
  for (int i = 0; i < 8; ++i) {
    const double a = i * std::numbers::pi / 4;
    parts.push_back(Stroke(7 + 3.5 * std::cos(a), 7 + 3.5 * std::sin(a), 7 + 6.6 * std::cos(a),
                           7 + 6.6 * std::sin(a), 2.4));
  }
  return Minus(Union(std::move(parts)), Disc(7, 7, 1.9));
}

TInside Question() {
  // The hook: the upper part of a ring and its right side turning down into
  // the stem.
  const TInside ring = Ring(7, 4.5, 4, 2);
  const TInside hook = [ring](double X, double Y) { return ring(X, Y) && (Y < 4.5 || X > 7); };
  return Union({hook, Stroke(8.4, 7.6, 7, 9, 2), Box(6, 8.5, 8, 10.5), Box(6, 11.5, 8, 13.5)});
}

TInside Trash() {
  return Union({Box(2, 2, 12, 4), Box(5, 0.5, 9, 2), Minus(Box(3, 5, 11, 13.5), Box(5, 5, 9, 11.5)),
                Box(6.5, 6, 7.5, 11.5)});
}

TInside Shape(TIcon Icon) {
  switch (Icon) {
  case TIcon::Play:
    return Polygon({{4, 1.5}, {12.5, 7}, {4, 12.5}});
  case TIcon::Pause:
    return Union({Box(3, 2, 6, 12), Box(8, 2, 11, 12)});
  case TIcon::Close:
    return Union({Stroke(2.5, 2.5, 11.5, 11.5, 2.2), Stroke(11.5, 2.5, 2.5, 11.5, 2.2)});
  case TIcon::Reduce:
    return Box(2, 10, 12, 12);
  case TIcon::FullMode:
    // A wide frame with an arrow head pushing out at each side.
    return Union({Minus(Box(0, 2, 14, 12), Box(2, 4, 12, 10)),
                  Polygon({{3, 7}, {6, 4.5}, {6, 9.5}}), Polygon({{11, 7}, {8, 4.5}, {8, 9.5}})});
  case TIcon::Settings:
    return Gear();
  case TIcon::Help:
    return Question();
  case TIcon::About:
    return Union({Box(6, 1, 8, 3), Box(6, 5, 8, 13), Box(4, 5, 8, 7), Box(4, 11, 10, 13)});
  case TIcon::Enlarge: {
    std::vector<TInside> arrows;
    for (const auto& [sx, sy] : {std::pair{1, 1}, {-1, 1}, {1, -1}, {-1, -1}}) {
      auto at = [&](double x, double y) { return std::pair{7 + sx * x, 7 + sy * y}; };
      arrows.push_back(Polygon({at(-6.5, -6.5), at(-1.5, -6.5), at(-6.5, -1.5)}));
      const auto [x1, y1] = at(-4.5, -4.5);
      const auto [x2, y2] = at(-1.5, -1.5);
      arrows.push_back(Stroke(x1, y1, x2, y2, 2));
    }
    return Union(std::move(arrows));
  }
  case TIcon::Smaller:
    return Union({Polygon({{7, 1}, {12, 6}, {2, 6}}), Box(6, 6, 8, 9), Box(2, 11, 12, 13)});
  case TIcon::NormalMode:
    return Union({Minus(Box(2, 3, 12, 12), Box(4, 6, 10, 10)), Box(2, 3, 12, 6)});
  case TIcon::Ok:
    return Union({Stroke(1.8, 7.2, 5.8, 11.2, 2.2), Stroke(5, 11.2, 12.6, 3.2, 2.2)});
  case TIcon::Add:
    return Union({Box(6, 2, 8, 12), Box(2, 6, 12, 8)});
  case TIcon::Remove:
    return Box(2, 6, 12, 8);
  case TIcon::Edit:
    return Union(
        {Stroke(4.2, 9.8, 11.2, 2.8, 2.8), Polygon({{1.5, 12.5}, {2.4, 8.6}, {5.4, 11.6}})});
  case TIcon::Scan:
    return Union({Ring(5.5, 5.5, 4.5, 2.5), Stroke(8.6, 8.6, 12.8, 12.8, 2.4)});
  case TIcon::Stop:
    return Box(3, 3, 11, 11);
  case TIcon::Trash:
    return Trash();
  case TIcon::Next:
    return Union({Box(1, 6, 8, 8), Polygon({{7, 2}, {12.5, 7}, {7, 12}})});
  }
  return Box(0, 0, 0, 0);
}

} // namespace

TInside IconShape(TIcon Icon, double X, double Y) {
  return Moved(Shape(Icon), X, Y);
}

std::string IconName(TIcon Icon) {
  static const char* const names[] = {"play",        "pause", "close", "reduce",  "full mode",
                                      "settings",    "help",  "about", "enlarge", "smaller",
                                      "normal mode", "OK",    "add",   "remove",  "edit",
                                      "scan",        "stop",  "clear", "next"};
  return names[static_cast<int>(Icon)];
}
