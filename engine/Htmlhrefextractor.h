#pragma once
// Finds the anchors of an HTML text one after the other: href value, visible
// text and the position just after the anchor.
#include <string_view>
#include <vector>

#include "engine/Htmlcell.h"
#include "engine/Htmltools.h"
#include "platform/rtl/Sysutils.h"

class CHtmlHrefExtractor {
public:
  // True when an anchor (a tag named a) begins at or after position; position becomes its
  // start (-1 when there is none) and end the position after its closing tag
  // (the end of the text when it has none), so that a walk calling again with
  // end always moves on and ends.
  bool ExtractNextHRef(std::string_view html, int& position, int& end);
  // 0 when the text has an anchor, -1 otherwise.
  int ExtractFirstHRef(std::string_view html);

  AnsiString href;
  AnsiString text;

private:
  // Start of the first anchor tag at or after from, its element in cell_; -1 when none.
  int FindAnchorTag(std::string_view html, int from);

  // The masking state before position at, as masking from the text's start has it.
  TQuoteMask MaskStateAt(std::string_view html, size_t at);

  CHtmlCell cell_;
  AnsiString maskedHtml_;
  std::vector<TQuoteMask> maskStates_; // before each position of maskedHtml_
};
