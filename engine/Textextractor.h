#pragma once
// In-place functions on NUL-terminated 8-bit buffers. Every one accepts null
// and empty texts and never reads before the start of the buffer.

// TAB, LF and blank (CR is not blank).
bool IsBlankChar(char c);
// Length of the C string; 0 for null.
int CStrLength(const char* text);
// Cuts a line end: at the character before the last when that is CR or LF
// (so a CR LF pair goes), else at the last when that is CR or LF. 1 when cut.
int StripLineEnd(char* text);
// Removes every blank and TAB; returns how many.
int RemoveBlanksAndTabs(char* text);
// Removes every occurrence of c; returns how many.
int RemoveChar(char* text, char c);
void TrimRightChar(char* text, char c);
void TrimRightBlanks(char* text);
// Removes leading occurrences of c, shifting the rest; returns how many.
int TrimLeftChar(char* text, char c);
int TrimLeftBlanks(char* text);
int CountChar(const char* text, char c);
// Non-overlapping occurrences; 0 when either is null or the substring is empty.
int CountSubstring(const char* text, const char* substring);
// Removes matching pairs from both ends, going inward while the characters at
// the same depth form one of the pairs of pairList (taken two by two, opening
// then closing). Texts under 3 characters are left alone. Returns the layers
// removed.
int StripEnclosingPairs(char* text, const char* pairList);
