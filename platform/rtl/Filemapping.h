#pragma once
// Named blocks of memory shared between the processes of one user. A block
// lives as long as the process that created it: when that process ends, even
// by a crash, the name is free again and the next creator starts afresh.
// Blocks are kept in the user's runtime folder (below).
#include "platform/rtl/Handles.h"

#include <cstddef>

constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD PAGE_READWRITE = 0x04;
constexpr DWORD SEC_COMMIT = 0x08000000;

constexpr DWORD FILE_MAP_WRITE = 0x0002;
constexpr DWORD FILE_MAP_READ = 0x0004;
constexpr DWORD FILE_MAP_ALL_ACCESS = 0x000F001F;

// file must be INVALID_HANDLE_VALUE (memory alone). When the name is already
// in use the existing block's handle comes back and GetLastError answers
// ERROR_ALREADY_EXISTS; a new block is zero-filled and GetLastError answers 0.
// Null on failure, with the error set.
HANDLE CreateFileMappingA(HANDLE file, void* attributes, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, const char* name);
// Null with ERROR_FILE_NOT_FOUND when no living process holds the name.
HANDLE OpenFileMappingA(DWORD desiredAccess, BOOL inheritHandle, const char* name);
// bytes 0 maps the whole block. Null on failure.
void* MapViewOfFile(HANDLE mapping, DWORD desiredAccess, DWORD fileOffsetHigh, DWORD fileOffsetLow,
                    std::size_t bytes);
BOOL UnmapViewOfFile(const void* baseAddress);

// The private folder the blocks and other per-user rendezvous files live in:
// $XDG_RUNTIME_DIR when it is the user's own and closed to others, else
// "wt-runtime-<uid>" in the temporary folder ($TMPDIR, else /tmp), made on
// first use. A folder of that name that is not a private folder of the user
// (another user made it first, or opened it) is never used: the process then
// makes a fresh private folder of its own, so nobody can keep it from
// starting or look into its blocks. Empty when no folder can be made safely.
AnsiString UserRuntimeFolder();

// An exclusive lock on the file at path, held until the handle is closed or
// the process ends, however it ends. A missing file is made, readable to all:
// a lock needs only an open file, and every user's process must be able to
// test it. Never opened through a symbolic link. Null when another open file
// holds the lock (ERROR_LOCK_VIOLATION) or the file cannot be opened or made
// (ERROR_ACCESS_DENIED).
HANDLE LockFileExclusively(const AnsiString& path);
