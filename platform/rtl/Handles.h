#pragma once
// Kernel objects reached through handles (processes, file mappings) and the
// thread's last error. Closing a handle frees its object; waiting asks the
// object whether it has been signalled.
#include "platform/rtl/Kernel.h"
#include "platform/rtl/Sysutils.h"

#include <cstdint>

using BOOL = int;

constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

constexpr DWORD ERROR_SUCCESS = 0;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_INVALID_HANDLE = 6;
constexpr DWORD ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr DWORD ERROR_LOCK_VIOLATION = 33;
constexpr DWORD ERROR_INVALID_PARAMETER = 87;
constexpr DWORD ERROR_ALREADY_EXISTS = 183;

class THandleObject {
public:
  virtual ~THandleObject() = default;
  // WAIT_OBJECT_0 once signalled, WAIT_TIMEOUT when the time ran out; an
  // object that cannot be waited for answers WAIT_FAILED.
  virtual DWORD Wait(DWORD milliseconds);
};

using HANDLE = THandleObject*;

// Stands for "no file" where a mapping is backed by memory alone.
inline const HANDLE INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t(0));

BOOL CloseHandle(HANDLE handle);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);

// Per thread, as the kernel keeps it.
DWORD GetLastError();
void SetLastError(DWORD error);

class EOSError : public Exception {
public:
  EOSError(DWORD code, AnsiString message) : Exception(std::move(message)), ErrorCode(code) {}
  DWORD ErrorCode;
};

// Raises the thread's last error as EOSError ("System Error.  Code: n.").
[[noreturn]] void RaiseLastOSError();
