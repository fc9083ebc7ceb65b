#include "engine/Textextractor.h"

#include <cstring>

bool IsBlankChar(char c) {
  return c == '\t' || c == '\n' || c == ' ';
}

int CStrLength(const char* text) {
  return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}

int StripLineEnd(char* text) {
  const int length = CStrLength(text);
  auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
  if (length >= 2 && isLineEnd(text[length - 2])) {
    text[length - 2] = '\0';
    return 1;
  }
  if (length >= 1 && isLineEnd(text[length - 1])) {
    text[length - 1] = '\0';
    return 1;
  }
  return 0;
}

namespace {

// Removes every character the predicate accepts; returns how many.
template <typename TPredicate> int RemoveWhere(char* text, TPredicate remove) {
  if (text == nullptr)
    return 0;
  int removed = 0;
  char* out = text;
  for (const char* in = text; *in != '\0'; ++in) {
    if (remove(*in))
      ++removed;
    else
      *out++ = *in;
  }
  *out = '\0';
  return removed;
}

} // namespace

int RemoveBlanksAndTabs(char* text) {
  return RemoveWhere(text, [](char c) { return c == ' ' || c == '\t'; });
}

int RemoveChar(char* text, char c) {
  return RemoveWhere(text, [c](char x) { return x == c; });
}

void TrimRightChar(char* text, char c) {
  int length = CStrLength(text);
  while (length > 0 && text[length - 1] == c)
    text[--length] = '\0';
}

void TrimRightBlanks(char* text) {
  TrimRightChar(text, ' ');
}

int TrimLeftChar(char* text, char c) {
  if (text == nullptr || c == '\0')
    return 0;
  int count = 0;
  while (text[count] == c)
    ++count;
  if (count > 0)
    std::memmove(text, text + count, std::strlen(text + count) + 1);
  return count;
}

int TrimLeftBlanks(char* text) {
  return TrimLeftChar(text, ' ');
}

int CountChar(const char* text, char c) {
  if (text == nullptr)
    return 0;
  int count = 0;
  for (const char* p = text; *p != '\0'; ++p)
    count += *p == c ? 1 : 0;
  return count;
}

int CountSubstring(const char* text, const char* substring) {
  if (text == nullptr || substring == nullptr || *substring == '\0')
    return 0;
  const size_t step = std::strlen(substring);
  int count = 0;
  for (const char* p = std::strstr(text, substring); p != nullptr;
       p = std::strstr(p + step, substring))
    ++count;
  return count;
}

namespace {

bool IsPair(const char* pairList, char open, char close) {
  const int n = CStrLength(pairList);
  for (int i = 0; i + 1 < n; i += 2) {
    if (pairList[i] == open && pairList[i + 1] == close)
      return true;
  }
  return false;
}

} // namespace

int StripEnclosingPairs(char* text, const char* pairList) {
  const int length = CStrLength(text);
  if (length < 3)
    return 0;
  int depth = 0;
  while (depth < length / 2 && IsPair(pairList, text[depth], text[length - 1 - depth]))
    ++depth;
  if (depth == 0)
    return 0;
  text[length - depth] = '\0';
  std::memmove(text, text + depth, static_cast<size_t>(length - 2 * depth) + 1);
  return depth;
}
