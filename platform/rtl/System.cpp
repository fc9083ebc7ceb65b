#include "platform/rtl/System.h"

#include <chrono>

uint32_t RandSeed = 0;

int Random(int Range) {
  RandSeed = RandSeed * 0x08088405u + 1u;
  if (Range <= 0)
    return 0;
  return static_cast<int>((static_cast<uint64_t>(RandSeed) * static_cast<uint64_t>(Range)) >> 32);
}

void Randomize() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  RandSeed =
      static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count());
}
