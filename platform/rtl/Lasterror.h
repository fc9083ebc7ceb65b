#pragma once
// The calling thread's last error code, as the kernel services keep it: set
// by a failing platform call, read (and reset) by its caller.
#include <cstdint>

uint32_t GetLastError();
void SetLastError(uint32_t code);
