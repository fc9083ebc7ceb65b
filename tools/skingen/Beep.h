#pragma once
// The news beep: a short, soft two-tone chime as a wave file's bytes.
#include <cstdint>
#include <vector>

constexpr int kBeepRate = 22050;
constexpr int kBeepMilliseconds = 120;

// 16-bit PCM, mono, kBeepRate samples a second.
std::vector<uint8_t> BeepWave();
