#pragma once
// Cuts one element out of an HTML text, from an opening text to its matching
// closing text with nested openings counted, and reads attributes from it.
#include "platform/rtl/Sysutils.h"

class CHtmlCell {
public:
  // Position of the opening text at or after start, or -1. The element text
  // is set when the element could be delimited, else it is empty.
  int ExtractCell(const AnsiString& text, const AnsiString& opening, const AnsiString& closing,
                  int start, bool ignoreCase);
  // The same on a search text made once by PrepareSearchText, for callers
  // that cut many elements from one text.
  int ExtractPreparedCell(const AnsiString& text, const AnsiString& searchText,
                          const AnsiString& opening, const AnsiString& closing, int start,
                          bool ignoreCase);
  // The text the searches run on: brackets in quoted attribute values masked,
  // and in upper case when case is ignored.
  static AnsiString PrepareSearchText(const AnsiString& text, bool ignoreCase);

  // The raw value of the element's attribute (a quoted value keeps its
  // quotes); empty when the attribute is missing or its value has no end.
  // Returns 0.
  int GetAttribute(const AnsiString& name, AnsiString& value) const;

  const AnsiString& GetCellText() const { return cellText; }

private:
  AnsiString cellText;
};
