#include "platform/rtl/Lasterror.h"

namespace {
thread_local uint32_t LastError = 0;
}

uint32_t GetLastError() {
  return LastError;
}
void SetLastError(uint32_t code) {
  LastError = code;
}
