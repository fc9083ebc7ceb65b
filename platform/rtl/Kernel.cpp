#include "platform/rtl/Kernel.h"

#include <chrono>
#include <thread>

DWORD GetTickCount() {
  using namespace std::chrono;
  return static_cast<DWORD>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void Sleep(DWORD milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
