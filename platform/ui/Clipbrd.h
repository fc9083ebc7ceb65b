#pragma once
// The clipboard: text and data blocks under standard or registered formats.
// Blocks travel as global memory handles, as the platform's clipboard calls
// hand them over: a block given to the clipboard belongs to it from then on,
// and a block read from it stays the clipboard's.
#include "platform/gfx/Gdi.h"
#include "platform/rtl/Sysutils.h"

#include <cstddef>
#include <cstdint>

using HGLOBAL = void*;
using UINT = unsigned;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

// A block of Bytes; null when it cannot be had.
HGLOBAL GlobalAlloc(UINT Flags, size_t Bytes);
HGLOBAL GlobalFree(HGLOBAL Block);
void* GlobalLock(HGLOBAL Block);
bool GlobalUnlock(HGLOBAL Block);
size_t GlobalSize(HGLOBAL Block);

constexpr WORD CF_TEXT = 1;
constexpr WORD CF_BITMAP = 2;
constexpr WORD CF_DIB = 8;
constexpr WORD CF_PALETTE = 9;

// The same name (without regard to case) always gives the same format,
// from 0xC000 up; 0 for an empty name.
UINT RegisterClipboardFormatA(const char* Name);
// The registered name of a format; empty for standard or unknown ones.
AnsiString GetClipboardFormatName(UINT Format);

class TPersistent;

class TClipboard {
public:
  // Empties the clipboard.
  void Clear();
  bool HasFormat(WORD Format) const;
  AnsiString AsText() const;
  void SetAsText(const AnsiString& Value);
  // The clipboard takes the block; it replaces what was there unless the
  // clipboard is open, when the formats put meanwhile go together. Blocks
  // only: a bitmap or palette handle raises EClipboardException and stays
  // the caller's.
  void SetAsHandle(WORD Format, uintptr_t Value);
  // The clipboard's copy of the format's block (0 when it holds none); valid
  // until the clipboard changes.
  uintptr_t GetAsHandle(WORD Format);
  // Several formats put between Open and Close make one clipboard content.
  void Open();
  void Close();
  // A picture or graphic puts itself in the formats its class knows.
  void Assign(const TPersistent* Source);

private:
  int openCount = 0;
  bool emptied = false;
};

class EClipboardException : public Exception {
public:
  using Exception::Exception;
};

TClipboard* Clipboard();

// The platform's calls, on the same clipboard. SetClipboardData answers null
// when it refuses the data (a handle that is no block); the block is then
// still the caller's.
bool OpenClipboard(void* Window);
bool CloseClipboard();
bool EmptyClipboard();
HGLOBAL SetClipboardData(UINT Format, HGLOBAL Data);
HGLOBAL GetClipboardData(UINT Format);
bool IsClipboardFormatAvailable(UINT Format);
