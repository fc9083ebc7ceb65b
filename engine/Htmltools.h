#pragma once
// Links resolved against the page URL, and HTML fragments turned into clean
// one-line text.
#include <string_view>

#include "platform/rtl/Sysutils.h"

// The href made absolute against the URL of the page it was found on.
AnsiString ResolveHref(const AnsiString& base, const AnsiString& href);
// The URL up to and including the '/' before its last '/'; without one, up to
// its last '/' exclusive; without any '/', unchanged.
AnsiString ParentUrl(const AnsiString& url);
// The '/' after the first "://", not counting the URL's last character.
int CountPathSlashes(const AnsiString& url);
// Tags removed, entities decoded, two-byte UTF-8 folded, control characters
// made blanks, and blanks and control characters trimmed from both ends.
AnsiString HtmlToText(const AnsiString& html);
// The same in place on a C string; the length of the text left.
size_t HtmlToText(char* text);
// The memory of a page-sized text kept for the next page. Fresh memory costs
// the system more than copying a page into memory already used, and pages
// come one after the other on the main thread: a text that lets its page go
// leaves its memory here, and the next text to hold a page takes it.
class TTextSpare {
public:
  // Empties text; its memory stays here when it is more than what is kept.
  void Keep(AnsiString& text);
  // Makes text a copy of bytes, in the kept memory when that is the larger.
  void Lend(AnsiString& text, const char* bytes, size_t length);

private:
  AnsiString spare_;
};

// The text without the blanks and control characters at its ends.
AnsiString Trim(const AnsiString& text);
// The part of text that Trim keeps.
std::string_view TrimmedView(std::string_view text);
// True for the characters that Trim removes.
bool IsTrimmed(char c);
// A copy without blanks, LF, CR and TAB.
AnsiString RemoveWhiteSpace(const AnsiString& text);

// In place: removes every '<' with everything up to and including the next
// '>' (an unclosed '<' takes the rest). Returns the number of tags removed.
int StripTags(char* text);
// In place: inside a double-quoted attribute value of a tag, '<' becomes '{'
// and '>' becomes '}', so that tag searches cannot match there. Returns how
// many were replaced.
int MaskQuotedBrackets(char* text);

// The masking of MaskQuotedBrackets one character at a time, for callers that
// mask part of a text: the state is the one before the next character.
struct TQuoteMask {
  bool inTag = false;
  bool inQuote = false;
  // Takes the character into the state and returns it masked.
  char Feed(char c);
  bool operator==(const TQuoteMask&) const = default;
};
