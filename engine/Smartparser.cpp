#include "engine/Smartparser.h"

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

void CSmartParser::SetText(const AnsiString& page) {
  text = page;
  maskedText = page;
  MaskQuotedBrackets(maskedText.data());
  for (auto& mark : marks)
    mark->Reset();
}

int CSmartParser::FindMarks() {
  int sum = 0;
  for (auto& mark : marks)
    sum += mark->FindAll(maskedText.c_str(), 0);
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
  AnsiString().swap(text);
  AnsiString().swap(maskedText);
  for (auto& mark : marks)
    mark->Release();
  structure.reset();
}
