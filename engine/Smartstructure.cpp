#include "engine/Smartstructure.h"

#include <algorithm>

#include "engine/Htmltools.h"
#include "engine/Pcregexp.h"
#include "engine/Smartmarklist.h"
#include "engine/Smartparser.h"

namespace {

bool WantsPartner(int type) {
  return type == mtOTable || type == mtOTr || type == mtOTd;
}

void LinkPartners(std::vector<TSmartToken>& rows, int open, int close) {
  TSmartToken& a = rows[open];
  TSmartToken& b = rows[close];
  a.partnerType = b.type;
  a.partnerIndex = close;
  a.partnerStart = b.start;
  a.partnerLength = b.length;
  b.partnerType = a.type;
  b.partnerIndex = open;
  b.partnerStart = a.start;
  b.partnerLength = a.length;
}

} // namespace

CSmartStructure::CSmartStructure(CSmartParser* owner)
    : parser(owner), root(std::make_unique<CSmartDataStructure>()) {}

CSmartStructure::~CSmartStructure() = default;

bool CSmartStructure::BuildTokens() {
  root->children.clear();
  std::vector<TSmartToken> rows;
  for (int type = 0; type < mtCount; ++type) {
    const CSmartMarkList* mark = parser ? parser->GetMark(type) : nullptr;
    for (int i = 0; mark && i < mark->count; ++i) {
      TSmartToken row;
      mark->GetOccurrence(i, row.start, row.length);
      row.type = type;
      row.occurrence = i;
      row.wantsPartner = WantsPartner(type);
      rows.push_back(row);
    }
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const TSmartToken& a, const TSmartToken& b) { return a.start < b.start; });
  SetTokens(std::move(rows));
  return tokenCount > 0;
}

std::unique_ptr<CSmartStructure> CSmartStructure::WithoutComments() const {
  std::vector<TSmartToken> rows;
  bool inComment = false;
  for (TSmartToken row : tokens) {
    if (row.type == mtOComment) {
      inComment = true;
      continue;
    }
    if (row.type == mtCComment) {
      inComment = false;
      continue;
    }
    if (inComment)
      continue;
    row.partnerType = row.partnerIndex = row.partnerStart = row.partnerLength = -1;
    rows.push_back(row);
  }
  auto copy = std::make_unique<CSmartStructure>(parser);
  copy->SetTokens(std::move(rows));
  return copy;
}

void CSmartStructure::SetTokens(std::vector<TSmartToken> rows) {
  tokens = std::move(rows);
  tokenCount = static_cast<int32_t>(tokens.size());
  PairTokens();
}

// An opening tag's partner is the first closing tag of its kind at which the
// count of the kind's opening and closing tags after it comes out even. A
// stack per kind finds exactly that partner in one pass.
void CSmartStructure::PairTokens() {
  std::vector<int> open[mtCount];
  for (int i = 0; i < tokenCount; ++i) {
    int type = tokens[i].type;
    if (WantsPartner(type)) {
      open[type].push_back(i);
      continue;
    }
    int opener = type - 1;
    if (type % 2 == 0 || !WantsPartner(opener) || open[opener].empty())
      continue;
    LinkPartners(tokens, open[opener].back(), i);
    open[opener].pop_back();
  }
}

bool CSmartStructure::BuildTree() {
  root->children.clear();
  root->depth = 0;
  root->type = STYP_ROOT;
  root->first = -1;
  root->last = tokenCount;
  if (tokenCount <= 0)
    return false;
  BuildChildren(root.get());
  return true;
}

void CSmartStructure::FreeTree() {
  root->children.clear();
}

// Makes the child and builds its subtree; false when the child is refused
// for want of a partner.
bool CSmartStructure::AddChild(CSmartDataStructure* node, int type, int first, int last,
                               bool keepUnpaired) {
  if (last < 1 && !keepUnpaired)
    return false;
  auto child = std::make_unique<CSmartDataStructure>();
  child->depth = node->depth + 1;
  child->type = type;
  child->first = first;
  child->last = last;
  CSmartDataStructure* built = child.get();
  node->children.push_back(std::move(child));
  BuildChildren(built);
  return true;
}

void CSmartStructure::BuildChildren(CSmartDataStructure* node) {
  if (node->depth + 1 > SmartMaxDepth)
    return;
  bool isRoot = node->type == STYP_ROOT;
  int from = isRoot ? 0 : node->first + 1;
  int to = isRoot ? tokenCount - 1 : std::min(node->last, tokenCount - 1);
  for (int i = std::max(from, 0); i <= to;) {
    const TSmartToken& token = tokens[i];
    // A child never reaches past its parent's last token, even when its
    // partner lies beyond it (unbalanced markup).
    int partner = std::min(token.partnerIndex, to);
    int afterChild = partner > i ? partner + 1 : i + 1;
    int next = i + 1;
    switch (node->type) {
    case STYP_ROOT:
      if (token.type == mtOTable && AddChild(node, STYP_TABLE, i, partner, false))
        next = afterChild;
      break;
    case STYP_TABLE:
      if ((token.type == mtOTable && AddChild(node, STYP_TABLE, i, partner, false)) ||
          (token.type == mtOTr && AddChild(node, STYP_TR, i, partner, false)))
        next = afterChild;
      break;
    case STYP_TR:
      if (token.type == mtOTd && AddChild(node, STYP_TD, i, partner, false)) {
        node->content += node->children.back()->content != 0 ? 1 : 0;
        next = afterChild;
      }
      break;
    case STYP_TD:
      if (token.type == mtOTable) {
        AddChild(node, STYP_TABLE, i, partner, true);
        next = afterChild;
        break;
      }
      if (token.type == mtOA)
        AddChild(node, STYP_HREF, i + 1, -1, true);
      node->content += 1;
      break;
    default:
      return;
    }
    i = next;
  }
}

void CSmartStructure::NodeSpan(const CSmartDataStructure* node, size_t pageLength, size_t& start,
                               size_t& end) const {
  auto tokenStart = [&](int index) { return static_cast<size_t>(tokens[index].start); };
  auto tokenEnd = [&](int index) {
    return static_cast<size_t>(tokens[index].start) + static_cast<size_t>(tokens[index].length);
  };
  bool firstValid = node->first >= 0 && node->first < tokenCount;
  start = node->first < 0 ? 0 : (firstValid ? tokenStart(node->first) : pageLength);
  if (node->last >= tokenCount)
    end = pageLength;
  else if (node->last >= 0)
    end = tokenEnd(node->last);
  else
    end = firstValid ? tokenEnd(node->first) : start;
  end = std::min(end, pageLength);
  start = std::min(start, end);
}

AnsiString CSmartStructure::NodeHtml(const CSmartDataStructure* node,
                                     const AnsiString& page) const {
  if (node == nullptr)
    return AnsiString();
  size_t start = 0;
  size_t end = 0;
  NodeSpan(node, page.size(), start, end);
  return page.substr(start, end - start);
}

AnsiString CSmartStructure::NodeText(const CSmartDataStructure* node,
                                     const AnsiString& page) const {
  return HtmlToText(NodeHtml(node, page));
}

// Searches the node's span in place: copying the HTML of every node of a
// deeply nested page would cost the page's size at every level.
int CSmartStructure::CountMatches(const CSmartDataStructure* node, const AnsiString& page,
                                  TPCRegexp& pattern, int* out, int outSize) const {
  if (node == nullptr)
    return 0;
  size_t start = 0;
  size_t end = 0;
  NodeSpan(node, page.size(), start, end);
  const char* span = page.c_str() + start;
  int spanLength = static_cast<int>(end - start);
  int count = 0;
  for (int offset = 0; count < SmartMaxMatches && offset <= spanLength; ++count) {
    int length = 0;
    int found = pattern.FindIn(span, spanLength, &length, offset);
    if (found < 0)
      break;
    if (out != nullptr && count < outSize)
      out[count] = found;
    offset = length > 0 ? found + length : found + 1;
  }
  return count;
}
