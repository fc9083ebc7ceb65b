// Time of each pixel-buffer effect on the sizes a skinned control repaints:
// a button (100 x 30), a panel (300 x 200) and a whole window (640 x 480).
// The effects run on every repaint, the morph on every timer tick of a
// morphing button, so a button's effects should take well under a
// millisecond. Prints microseconds per run, the best of several runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "skin/Effbmp.h"

namespace {

using TClock = std::chrono::steady_clock;

double BestMicroseconds(const std::function<void()>& run) {
  double best = 1e12;
  double total = 0;
  for (int i = 0; i < 50 && (i < 3 || total < 0.05); ++i) {
    const auto start = TClock::now();
    run();
    const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
    best = std::min(best, seconds);
    total += seconds;
  }
  return best * 1e6;
}

void Fill(TEffectBmp& b, int seed) {
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      b.SetPixel(x, y, (x * 7 + y * 13 + seed) * 0x010203 & 0xFFFFFF);
}

} // namespace

int main() {
  const std::pair<int, int> sizes[] = {{100, 30}, {300, 200}, {640, 480}};
  std::printf("%-18s %12s %12s %12s\n", "effect (us)", "100x30", "300x200", "640x480");
  using TEffect = std::function<void(TEffectBmp&, const TEffectBmp&)>;
  const std::vector<std::pair<std::string, TEffect>> effects{
      {"AddColorNoise 30", [](TEffectBmp& b, const TEffectBmp&) { b.AddColorNoise(30); }},
      {"AddMiddleColor", [](TEffectBmp& b, const TEffectBmp&) { b.AddMiddleColor(0x804020); }},
      {"MiddleBMP", [](TEffectBmp& b, const TEffectBmp& o) { b.MiddleBMP(&o); }},
      {"Blur 1", [](TEffectBmp& b, const TEffectBmp&) { b.Blur(1); }},
      {"SplitBlur 1", [](TEffectBmp& b, const TEffectBmp&) { b.SplitBlur(1); }},
      {"MaskSplitBlur 1", [](TEffectBmp& b, const TEffectBmp& o) { b.MaskSplitBlur(&o, 1); }},
      {"Wave 8 8 4", [](TEffectBmp& b, const TEffectBmp&) { b.Wave(8, 8, 4); }},
      {"AddGradColor", [](TEffectBmp& b, const TEffectBmp&) { b.AddGradColor(0xFF, gdHCenter); }},
      {"AddGradBMP", [](TEffectBmp& b, const TEffectBmp& o) { b.AddGradBMP(&o, gdLeft); }},
      {"Morph 0.5", [](TEffectBmp& b, const TEffectBmp& o) { b.Morph(&o, 0.5); }},
      {"Flip", [](TEffectBmp& b, const TEffectBmp&) { b.Flip(); }},
      {"Flop", [](TEffectBmp& b, const TEffectBmp&) { b.Flop(); }},
      {"copy constructor", [](TEffectBmp& b, const TEffectBmp&) { TEffectBmp copy(b); }},
  };
  for (const auto& [name, effect] : effects) {
    std::printf("%-18s", name.c_str());
    for (auto [w, h] : sizes) {
      TEffectBmp buffer(w, h), other(w, h);
      Fill(buffer, 1);
      Fill(other, 2);
      std::printf(" %12.1f", BestMicroseconds([&] { effect(buffer, other); }));
    }
    std::printf("\n");
  }
  return 0;
}
