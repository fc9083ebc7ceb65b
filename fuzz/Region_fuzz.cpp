// Region data as a stored region holds it: made into a region and read back.
#include "platform/gfx/Gdi.h"

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Aligned as the structure wants it.
  std::vector<uint64_t> aligned(size / sizeof(uint64_t) + 1);
  std::memcpy(aligned.data(), data, size);
  HRGN region = ExtCreateRegion(nullptr, static_cast<DWORD>(size),
                                reinterpret_cast<RGNDATA*>(aligned.data()));
  if (region == nullptr)
    return 0;
  const DWORD needed = GetRegionData(region, 0, nullptr);
  std::vector<uint64_t> back(needed / sizeof(uint64_t) + 1);
  GetRegionData(region, needed, reinterpret_cast<RGNDATA*>(back.data()));
  DeleteObject(region);
  return 0;
}
