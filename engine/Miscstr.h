#pragma once
// Entity decoding, the UTF-8 fold, control characters, replace-all and byte
// copies. The in-place functions work on NUL-terminated 8-bit
// buffers and never make the text longer.
#include <vector>

#include "platform/rtl/Sysutils.h"

struct THtmlEntity {
  AnsiString Entity; // with its '&' and ';'
  char Replacement;  // the Windows-1252 byte
};

// The 435 entities that decode: numeric references first, ascending, then the
// named ones sorted without regard to case.
const std::vector<THtmlEntity>& HtmlEntityTable();

// Replaces the entities of the table; other entities (an '&' with a ';' at
// most 8 characters on) disappear. One pass: "&amp;lt;" gives "&lt;". A
// hexadecimal reference reads as its code in decimal; a numeric reference
// above the table's codes gives the Windows-1252 byte of its character, or
// the character's UTF-8 bytes where the code page lacks it. Returns 0.
int DecodeHtmlEntities(char* text);
// Replaces each well-formed two- or three-byte UTF-8 sequence of a character
// that Windows-1252 has by its byte (the no-break space by a blank); every
// other byte stays as it is. Returns 0.
int FoldUtf8(char* text);
// TAB, LF, CR and ESC become blanks; returns how many.
int ControlsToBlanks(char* text);

// Every occurrence of pattern replaced, also those the replacing makes; the
// text is returned unchanged when the replacement contains the pattern.
AnsiString ReplaceAll(const AnsiString& text, const AnsiString& pattern,
                      const AnsiString& replacement);

// A new NUL-terminated copy of n bytes (of the C string when n is 0; an empty
// string for null). The caller releases it with delete[].
char* DuplicateBytes(const char* bytes, int n = 0);
