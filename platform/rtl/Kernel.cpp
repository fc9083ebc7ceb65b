#include "platform/rtl/Kernel.h"

#include <chrono>
#include <thread>

uint64_t GetTickCount64() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

DWORD GetTickCount() {
  return static_cast<DWORD>(GetTickCount64());
}

void Sleep(DWORD milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
