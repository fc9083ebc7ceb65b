#pragma once
// The token table of a parsed page (every found tag, in page order, with the
// opening table, row and cell tags paired with their closing tags) and the
// tree of tables, rows, cells and anchors that the detection passes walk.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/Sysutils.h"

class CSmartParser;
class TPCRegexp;

// The token types: the index of the mark that found the tag. Each opening
// type's partner is the next type.
enum TSmartMarkType {
  mtOTable,
  mtCTable,
  mtOTr,
  mtCTr,
  mtOTd,
  mtCTd,
  mtOA,
  mtCA,
  mtOComment,
  mtCComment,
  mtOSpan,
  mtCSpan,
  mtCount
};

enum TSmartNodeType {
  STYP_ROOT,
  STYP_TABLE,
  STYP_TR,
  STYP_TD,
  STYP_HREF,
  STYP_FINAL,
  STYP_COMMENT,
  STYP_SPAN,
  STYP_UNKNOWN
};

// Nodes never go deeper than this below the root.
constexpr int SmartMaxDepth = 30;
// Room that CountMatches gives a search; a filled table reads as this count.
constexpr int SmartMaxMatches = 1024;

struct TSmartToken {
  int32_t start = 0;
  int32_t length = 0;
  int32_t type = 0;
  int32_t occurrence = 0;
  int32_t partnerType = -1;
  int32_t partnerIndex = -1;
  int32_t partnerStart = -1;
  int32_t partnerLength = -1;
  bool wantsPartner = false;
  bool flagged = false;
  int32_t extra = -1;
  // Scratch word of the dated-item stride scan.
  int32_t mark = -1;
};

class CSmartDataStructure {
public:
  int32_t depth = -1;
  int32_t type = -1;
  int32_t first = -1;
  int32_t last = -1;
  int32_t content = 0;
  int32_t liCount = -1;
  int32_t ulCount = -1;
  int32_t brCount = -1;
  std::vector<std::unique_ptr<CSmartDataStructure>> children;
};

class CSmartStructure {
public:
  explicit CSmartStructure(CSmartParser* owner);
  ~CSmartStructure();
  CSmartStructure(const CSmartStructure&) = delete;
  CSmartStructure& operator=(const CSmartStructure&) = delete;

  // Merges the parser's marks into the token table and pairs it; false when
  // the page holds none of the tags.
  bool BuildTokens();
  // A copy for the same parser without the comment tokens and whatever lies
  // between them, paired afresh.
  std::unique_ptr<CSmartStructure> WithoutComments() const;
  // Builds the tree under root; false without a token table.
  bool BuildTree();
  // Frees the tree's nodes; the token table stays.
  void FreeTree();

  // The node's span as [start, end) clamped to the page.
  void NodeSpan(const CSmartDataStructure* node, size_t pageLength, size_t& start,
                size_t& end) const;
  // The node's part of the page, as HTML or as clean text.
  AnsiString NodeHtml(const CSmartDataStructure* node, const AnsiString& page) const;
  AnsiString NodeText(const CSmartDataStructure* node, const AnsiString& page) const;
  // Matches of pattern in the node's HTML (SmartMaxMatches when the table
  // filled, 0 when none); the first outSize match starts, relative to the
  // node's span, go to out.
  int CountMatches(const CSmartDataStructure* node, const AnsiString& page, TPCRegexp& pattern,
                   int* out = nullptr, int outSize = 0) const;

  CSmartParser* parser;
  std::unique_ptr<CSmartDataStructure> root;
  int32_t tokenCount = 0;
  std::vector<TSmartToken> tokens;

private:
  void SetTokens(std::vector<TSmartToken> rows);
  void PairTokens();
  void BuildChildren(CSmartDataStructure* node);
  bool AddChild(CSmartDataStructure* node, int type, int first, int last, bool keepUnpaired);
};
