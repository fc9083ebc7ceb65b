#pragma once
// Kernel services: the millisecond tick count and sleeping.
#include <cstdint>

using DWORD = uint32_t;

// A wait without a time limit.
constexpr DWORD INFINITE = 0xFFFFFFFF;

// Milliseconds of a monotonic clock; wraps like the kernel's 32-bit count, so
// differences are taken in DWORD arithmetic.
DWORD GetTickCount();
void Sleep(DWORD milliseconds);
