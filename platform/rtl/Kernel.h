#pragma once
// Kernel services: the millisecond tick count and sleeping.
#include <cstdint>

using DWORD = uint32_t;

// A wait without a time limit.
constexpr DWORD INFINITE = 0xFFFFFFFF;

// Milliseconds of the monotonic clock since the machine started; never wraps
// in practice, so differences are plain subtractions. Waits that must hold
// over weeks of uptime use this one.
uint64_t GetTickCount64();
// The low 32 bits of GetTickCount64: wraps after 49.7 days, so differences
// are taken in DWORD arithmetic.
DWORD GetTickCount();
void Sleep(DWORD milliseconds);
