#include "engine/Htmlcell.h"

#include <algorithm>
#include <cctype>

#include "engine/Htmltools.h"
#include "engine/Textextractor.h"

namespace {

AnsiString Upper(AnsiString text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

} // namespace

AnsiString CHtmlCell::PrepareSearchText(const AnsiString& text, bool ignoreCase) {
  AnsiString search = ignoreCase ? Upper(text) : text;
  MaskQuotedBrackets(search.data());
  return search;
}

int CHtmlCell::ExtractCell(const AnsiString& text, const AnsiString& opening,
                           const AnsiString& closing, int start, bool ignoreCase) {
  return ExtractPreparedCell(text, PrepareSearchText(text, ignoreCase), opening, closing, start,
                             ignoreCase);
}

int CHtmlCell::ExtractPreparedCell(const AnsiString& text, const AnsiString& searchText,
                                   const AnsiString& opening, const AnsiString& closing, int start,
                                   bool ignoreCase) {
  cellText.clear();
  if (opening.empty() || closing.empty())
    return -1;
  const AnsiString open = ignoreCase ? Upper(opening) : opening;
  const AnsiString close = ignoreCase ? Upper(closing) : closing;
  const size_t from = static_cast<size_t>(std::max(start, 0));
  const size_t first = searchText.find(open, from);
  if (first == AnsiString::npos)
    return -1;
  int depth = 1;
  size_t at = first + open.size();
  size_t end = AnsiString::npos;
  for (;;) {
    const size_t nextOpen = searchText.find(open, at);
    const size_t nextClose = searchText.find(close, at);
    if (nextClose == AnsiString::npos) {
      if (depth == 1)
        end = text.size();
      break;
    }
    if (nextOpen == AnsiString::npos || nextClose < nextOpen) {
      at = nextClose + close.size();
      if (--depth == 0) {
        end = at;
        break;
      }
      continue;
    }
    ++depth;
    at = nextOpen + open.size();
  }
  if (end != AnsiString::npos)
    cellText = text.substr(first, end - first);
  return static_cast<int>(first);
}

int CHtmlCell::GetAttribute(const AnsiString& name, AnsiString& value) const {
  value.clear();
  if (name.empty())
    return 0;
  const AnsiString upper = Upper(cellText);
  const AnsiString wanted = Upper(name);
  size_t from = 0;
  for (;;) {
    const size_t at = upper.find(wanted, from);
    if (at == AnsiString::npos)
      return 0;
    // The name must begin a word ("data-href" is not "href") or the text
    // left after an earlier try.
    if (at > from && !IsBlankChar(cellText[at - 1])) {
      from = at + 1;
      continue;
    }
    size_t i = at + wanted.size();
    while (i < cellText.size() && IsBlankChar(cellText[i]))
      ++i;
    if (i >= cellText.size() || cellText[i] != '=') {
      from = i;
      continue;
    }
    ++i;
    auto trimmed = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t last = cellText.size();
    while (i < last && trimmed(cellText[i]))
      ++i;
    while (last > i && trimmed(cellText[last - 1]))
      --last;
    if (i < last && cellText[i] == '"') {
      const size_t quote = cellText.find('"', i + 1);
      if (quote != AnsiString::npos && quote < last)
        value = cellText.substr(i, quote + 1 - i);
      return 0;
    }
    for (size_t j = i; j < last; ++j) {
      if (IsBlankChar(cellText[j]) || cellText[j] == '>') {
        value = cellText.substr(i, j - i);
        return 0;
      }
    }
    return 0;
  }
}
