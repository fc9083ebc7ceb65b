#include "engine/Smartparser.h"

#include <cstring>
#include <string_view>

#include "engine/Htmltools.h"

namespace {

struct TMarkDefinition {
  const char* name;
  const char* pattern;
  int capacity;
};

// In token type order. The closing patterns allow only line breaks between
// the bracket and the slash.
const TMarkDefinition MarkDefinitions[mtCount] = {
    {"o_table", "(?i)<[ \r\t\n]*table[ >\t\n\r]", 200},
    {"c_table", "(?i)<[\r\n]*/[ \r\t\n]*table[ >\t\n\r]", 200},
    {"o_tr", "(?i)<[ \r\t\n]*tr[ >\t\n\r]", 1000},
    {"c_tr", "(?i)<[\r\n]*/[ \r\t\n]*tr[ >\t\n\r]", 1000},
    {"o_td", "(?i)<[ \r\t\n]*td[ >\t\n\r]", 5000},
    {"c_td", "(?i)<[\r\n]*/[ \r\t\n]*td[ >\t\n\r]", 5000},
    {"o_a", "(?i)<[ \r\t\n]*a[ >\t\n\r]", 200},
    {"c_a", "(?i)<[\r\n]*/[ \r\t\n]*a[ >\t\n\r]", 200},
    {"o_c", "<!--", 200},
    {"c_c", "-->", 200},
    {"o_span", "(?i)<[ \r\t\n]*span[ >\t\n\r]", 200},
    {"c_span", "(?i)<[\r\n]*/[ \r\t\n]*span[ >\t\n\r]", 200},
};

bool IsTagBlank(char c) {
  return c == ' ' || c == '\r' || c == '\t' || c == '\n';
}

bool IsNameEnd(char c) {
  return IsTagBlank(c) || c == '>';
}

struct TTagName {
  const char* name;
  int length;
  int openingMark; // the closing tag's mark is the next
};

const TTagName TagNames[] = {
    {"table", 5, mtOTable}, {"tr", 2, mtOTr},     {"td", 2, mtOTd},
    {"a", 1, mtOA},         {"span", 4, mtOSpan},
};

// The mark whose pattern matches at text[at], a '<', and the match's length;
// -1 when none does. Opening tags allow blanks, CR, TAB and LF between the
// bracket and the name, closing tags only CR and LF before the slash; the
// name in any letter case, then a blank, control or '>'.
int MatchTag(const char* text, int length, int at, int& matchLength) {
  int i = at + 1;
  while (i < length && (text[i] == '\r' || text[i] == '\n'))
    ++i;
  const bool closing = i < length && text[i] == '/';
  if (closing)
    ++i;
  while (i < length && IsTagBlank(text[i]))
    ++i;
  for (const TTagName& tag : TagNames) {
    const int end = i + tag.length;
    if (end >= length || !IsNameEnd(text[end]))
      continue;
    bool same = true;
    for (int k = 0; k < tag.length && same; ++k)
      same = (text[i + k] | 0x20) == tag.name[k];
    if (!same)
      continue;
    matchLength = end + 1 - at;
    return closing ? tag.openingMark + 1 : tag.openingMark;
  }
  return -1;
}

} // namespace

CSmartParser::CSmartParser() {
  for (const TMarkDefinition& mark : MarkDefinitions)
    marks.push_back(std::make_unique<CSmartMarkList>(mark.name, mark.pattern, mark.capacity));
}

CSmartParser::~CSmartParser() = default;

bool CSmartParser::Parse(const AnsiString& page) {
  SetText(page);
  FindMarks();
  BuildStructure();
  return true;
}

namespace {

// The memory of the last page parsed on the thread, for the next.
thread_local TTextSpare spareText;
thread_local TTextSpare spareMaskedText;

} // namespace

void CSmartParser::SetText(const AnsiString& page) {
  spareText.Lend(text, page.data(), page.size());
  spareMaskedText.Lend(maskedText, page.data(), page.size());
  MaskQuotedBrackets(maskedText.data());
  for (auto& mark : marks)
    mark->Reset();
}

// Finds what each mark's pattern finds, in one walk over the page. Every
// tag pattern begins with a '<' and holds no other, so its matches are the
// places of '<' at which it matches; the comment marks are plain texts.
int CSmartParser::FindMarks() {
  for (auto& mark : marks)
    mark->Reset();
  const char* page = maskedText.c_str();
  const int length = static_cast<int>(std::strlen(page));
  for (const char* open = static_cast<const char*>(std::memchr(page, '<', length)); open;
       open = static_cast<const char*>(std::memchr(open + 1, '<', page + length - open - 1))) {
    int matchLength = 0;
    const int mark = MatchTag(page, length, static_cast<int>(open - page), matchLength);
    if (mark >= 0)
      marks[mark]->Add(static_cast<int>(open - page), matchLength);
  }
  const std::string_view masked(page, length);
  for (int mark : {mtOComment, mtCComment}) {
    const std::string_view literal = MarkDefinitions[mark].pattern;
    for (size_t at = masked.find(literal); at != std::string_view::npos && !marks[mark]->full;
         at = masked.find(literal, at + literal.size()))
      marks[mark]->Add(static_cast<int>(at), static_cast<int>(literal.size()));
  }
  int sum = 0;
  for (auto& mark : marks)
    sum += mark->count;
  return sum;
}

bool CSmartParser::BuildStructure() {
  structure = std::make_unique<CSmartStructure>(this);
  return structure->BuildTokens();
}

CSmartMarkList* CSmartParser::GetMark(int index) const {
  if (index < 0 || index >= static_cast<int>(marks.size()))
    return nullptr;
  return marks[index].get();
}

void CSmartParser::Release() {
  spareText.Keep(text);
  spareMaskedText.Keep(maskedText);
  for (auto& mark : marks)
    mark->Release();
  structure.reset();
}
