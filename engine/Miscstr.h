#pragma once
// Entity decoding, the two-byte UTF-8 fold, control characters, replace-all
// and byte copies. The in-place functions work on NUL-terminated 8-bit
// buffers and never make the text longer.
#include <vector>

#include "platform/rtl/Sysutils.h"

struct THtmlEntity {
  AnsiString Entity; // with its '&' and ';'
  char Replacement;  // the Windows-1252 byte
};

struct TUtf8Fold {
  unsigned char Lead;
  unsigned char Trail;
  char Replacement;
};

// The 435 entities that decode: numeric references first, ascending, then the
// named ones sorted without regard to case.
const std::vector<THtmlEntity>& HtmlEntityTable();
// The 15 two-byte sequences folded to one byte.
const std::vector<TUtf8Fold>& Utf8FoldTable();

// Replaces the entities of the table; other entities (an '&' with a ';' at
// most 8 characters on) disappear. One pass: "&amp;lt;" gives "&lt;". Returns 0.
int DecodeHtmlEntities(char* text);
// Replaces the sequences of the fold table by their byte. Returns 0.
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
