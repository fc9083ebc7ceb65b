#include "platform/rtl/Handles.h"

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
} // namespace

DWORD THandleObject::Wait(DWORD) {
  return WAIT_FAILED;
}

BOOL CloseHandle(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  delete handle;
  return 1;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return handle->Wait(milliseconds);
}

DWORD GetLastError() {
  return lastError;
}

void SetLastError(DWORD error) {
  lastError = error;
}

void RaiseLastOSError() {
  const DWORD code = GetLastError();
  throw EOSError(code, "System Error.  Code: " + std::to_string(code) + ".");
}
