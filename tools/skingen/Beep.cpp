#include "tools/skingen/Beep.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace {

// One bell-like note: a quick raised-cosine attack, then an exponential
// fade that reaches silence at the note's end.
double Note(double T, double Start, double Length, double Frequency) {
  const double t = T - Start;
  if (t < 0 || t >= Length)
    return 0;
  constexpr double attack = 0.006;
  const double rise = t < attack ? 0.5 - 0.5 * std::cos(std::numbers::pi * t / attack) : 1;
  const double fall = std::exp(-4.0 * t / Length) * (1 - t / Length);
  const double w = 2 * std::numbers::pi * Frequency * t;
  return rise * fall * (std::sin(w) + 0.18 * std::sin(2 * w));
}

void Put(std::vector<uint8_t>& Out, uint32_t Value, int Bytes) {
  for (int i = 0; i < Bytes; ++i)
    Out.push_back(static_cast<uint8_t>(Value >> (8 * i)));
}

void Tag(std::vector<uint8_t>& Out, const std::string& Name) {
  Out.insert(Out.end(), Name.begin(), Name.end());
}

} // namespace

std::vector<uint8_t> BeepWave() {
  const int count = kBeepRate * kBeepMilliseconds / 1000;
  std::vector<uint8_t> samples;
  for (int i = 0; i < count; ++i) {
    const double t = double(i) / kBeepRate;
    // A rising fifth: C6, then G6 entering while the first still sounds.
    const double v = 0.30 * Note(t, 0, 0.075, 1046.5) + 0.28 * Note(t, 0.040, 0.080, 1568.0);
    const long s = std::clamp(std::lround(v * 32767), -32767L, 32767L);
    Put(samples, static_cast<uint16_t>(static_cast<int16_t>(s)), 2);
  }
  std::vector<uint8_t> wave;
  Tag(wave, "RIFF");
  Put(wave, static_cast<uint32_t>(36 + samples.size()), 4);
  Tag(wave, "WAVE");
  Tag(wave, "fmt ");
  Put(wave, 16, 4);
  Put(wave, 1, 2); // PCM
  Put(wave, 1, 2); // mono
  Put(wave, kBeepRate, 4);
  Put(wave, kBeepRate * 2, 4);
  Put(wave, 2, 2);
  Put(wave, 16, 2);
  Tag(wave, "data");
  Put(wave, static_cast<uint32_t>(samples.size()), 4);
  wave.insert(wave.end(), samples.begin(), samples.end());
  return wave;
}
