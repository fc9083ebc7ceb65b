#pragma once
// The tag parser: finds the twelve kinds of tag that detection needs with
// regular expressions and builds the structure of the page from them.
#include <memory>
#include <vector>

#include "engine/Smartmarklist.h"
#include "engine/Smartstructure.h"
#include "platform/rtl/Sysutils.h"

class CSmartParser {
public:
  CSmartParser();
  ~CSmartParser();
  CSmartParser(const CSmartParser&) = delete;
  CSmartParser& operator=(const CSmartParser&) = delete;

  // SetText, FindMarks and BuildStructure; always true.
  bool Parse(const AnsiString& page);
  // Keeps the page and a copy whose brackets inside quoted attribute values
  // are masked, so that no mark fires inside an attribute.
  void SetText(const AnsiString& page);
  // Runs every mark on the masked text; the sum of their counts.
  int FindMarks();
  // Replaces the structure by one built from the marks; false without tags.
  bool BuildStructure();
  CSmartMarkList* GetMark(int index) const;
  // Lets the page go: its texts, the marks' occurrences and the structure.
  // The parser is then as it was made, and holds no memory of the page's size.
  void Release();

  AnsiString text;
  AnsiString maskedText;
  std::vector<std::unique_ptr<CSmartMarkList>> marks;
  std::unique_ptr<CSmartStructure> structure;
};
