// The detection passes of a news source: dated tables, dated blocks and the
// dated-item stride scan over the parsed page, each adding candidates for
// the commit.
#include "engine/Newssource.h"

#include <algorithm>
#include <cstring>

#include "engine/Htmltools.h"
#include "engine/Newstools.h"
#include "engine/Pcregexp.h"
#include "engine/Smartstructure.h"

// The list patterns, as the index of their counts and matches.
enum { ltLi, ltUl, ltBr };

namespace {

void FindAllMatches(const TPCRegexp& pattern, const AnsiString& page, std::vector<int>& starts,
                    std::vector<int>& ends) {
  const int length = static_cast<int>(page.size());
  for (int offset = 0; offset <= length;) {
    int matchLength = 0;
    int found = pattern.FindIn(page.c_str(), length, &matchLength, offset);
    if (found < 0)
      return;
    starts.push_back(found);
    ends.push_back(found + matchLength);
    offset = matchLength > 0 ? found + matchLength : found + 1;
  }
}

} // namespace

int NewsSource::DetectNews(int32_t mode) {
  if (!parser->structure)
    return 0;
  parser->structure = parser->structure->WithoutComments();
  CSmartStructure* structure = parser->structure.get();
  if (!structure->BuildTree())
    return 0;
  for (int kind = 0; kind < ListPatternCount; ++kind)
    FindAllMatches(*ListPattern(kind), pageText, listTags.starts[kind], listTags.ends[kind]);
  listTags.built = true;
  int added = 0;
  for (const auto& child : structure->root->children) {
    CSmartDataStructure* node = child.get();
    if (mode != 0 && IsDatedTable(node))
      added += ExtractDatedTable(node);
    else if (mode != 0 && IsDatedBlock(node))
      added += ExtractDatedBlock(node);
    else
      added += ScanChildren(node, mode);
  }
  if (mode != 0)
    added += ScanDatedItems(structure->root.get());
  structure->FreeTree();
  listTags = TListMatches();
  return added;
}

int NewsSource::ScanChildren(CSmartDataStructure* node, int32_t mode) {
  int added = 0;
  for (auto& child : node->children) {
    CSmartDataStructure* next = child.get();
    if ((mode & DetectTables) != 0 && IsDatedTable(next))
      added += ExtractDatedTable(next);
    else if ((mode & DetectBlocks) != 0 && IsDatedBlock(next))
      added += ExtractDatedBlock(next);
    else
      added += ScanChildren(next, mode);
  }
  return added;
}

namespace {

enum TCellClass { ccNone, ccDate, ccTime, ccShort, ccMedium, ccLong };

TCellClass ClassifyCell(const AnsiString& text) {
  size_t length = text.size();
  if (length == 0)
    return ccNone;
  if (length < 20 && IsDate(text))
    return ccDate;
  if (length < 15 && IsTime(text))
    return ccTime;
  if (length < 15)
    return ccShort;
  return length < 50 ? ccMedium : ccLong;
}

bool IsTableWithRows(const CSmartDataStructure* node) {
  return node != nullptr && node->type == STYP_TABLE && node->children.size() >= 3;
}

bool IsBlockNode(const CSmartDataStructure* node) {
  return node != nullptr && (node->type == STYP_TD || node->type == STYP_SPAN);
}

bool IsListBlock(int li, int ul, int br) {
  return (li >= 5 || ul >= 5) && br >= 5;
}

// Both halves of the HTML hold a date, both a time, or both a date-time.
// The halves share the middle character; HTML too short to halve has an
// empty first half and the whole text as its second. Every date, time and
// date-time holds a digit: a half without one spares the patterns a search
// of it, which on the list cells of nested layout tables is most of the
// page at every level.
bool HalvesAreDated(std::string_view html) {
  size_t middle = html.size() / 2;
  std::string_view firstHalf = html.substr(0, middle);
  std::string_view secondHalf = html.substr(middle > 0 ? middle - 1 : 0);
  auto hasDigit = [](std::string_view half) {
    return std::any_of(half.begin(), half.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (!hasDigit(firstHalf) || !hasDigit(secondHalf))
    return false;
  AnsiString first(firstHalf);
  AnsiString second(secondHalf);
  return (IsDate(first) && IsDate(second)) || (IsTime(first) && IsTime(second)) ||
         (IsDateTime(first) && IsDateTime(second));
}

// li, ul or br: the list pattern that cuts a list block into entries; -1
// when none fits.
int ChooseSeparator(int li, int ul, int br) {
  int lo = std::min({li, ul, br});
  int hi = std::max({li, ul, br});
  auto isMiddle = [&](int count) { return lo < count && count < hi; };
  int middle = isMiddle(li) ? li : isMiddle(ul) ? ul : isMiddle(br) ? br : lo;
  int half = middle / 2;
  if (half < li)
    return ltLi;
  if (half < ul)
    return ltUl;
  return half < br ? ltBr : -1;
}

// The first characters of the HTML with its tags removed as HtmlToText
// removes them; complete tells whether that is all of it.
AnsiString StrippedPrefix(std::string_view html, size_t budget, bool& complete) {
  AnsiString out;
  size_t i = 0;
  while (i < html.size() && out.size() < budget) {
    if (html[i] == '\0')
      break;
    if (html[i] != '<') {
      out += html[i++];
      continue;
    }
    size_t close = html.find('>', i);
    if (close == std::string_view::npos) {
      i = html.size();
      break;
    }
    i = close + 1;
  }
  complete = i >= html.size() || html[i] == '\0';
  return out;
}

// How far past a character an entity or a two-byte sequence can reach, and
// so how many of the last converted characters of a prefix may still change
// with what follows it.
constexpr size_t ConversionReach = 16;

// The text of an HTML span when it is shorter than limit, as HtmlToText
// makes it; false for a longer text. A longer text is told from a prefix of
// the span: a cell holding a large nested table costs little. The text of
// a prefix is the beginning of the whole text but for its last characters,
// so a character that is no blank at limit - 1 or later, and not among
// those last ones, makes the whole text at least limit long.
bool ShortText(std::string_view html, size_t limit, AnsiString& text) {
  for (size_t budget = 4 * limit + 64;; budget *= 4) {
    bool complete = false;
    AnsiString prefix = HtmlToText(StrippedPrefix(html, budget, complete));
    if (complete) {
      text = std::move(prefix);
      return text.size() < limit;
    }
    for (size_t k = limit > 0 ? limit - 1 : 0; k + ConversionReach < prefix.size(); ++k) {
      if (!IsTrimmed(prefix[k]))
        return false;
    }
  }
}

} // namespace

AnsiString NewsSource::NodeHtml(const CSmartDataStructure* node) const {
  return parser->structure->NodeHtml(node, pageText);
}

AnsiString NewsSource::NodeText(const CSmartDataStructure* node) const {
  return parser->structure->NodeText(node, pageText);
}

std::string_view NewsSource::NodeSpan(const CSmartDataStructure* node) const {
  size_t start = 0;
  size_t end = 0;
  parser->structure->NodeSpan(node, pageText.size(), start, end);
  return std::string_view(pageText).substr(start, end - start);
}

bool NewsSource::NodeShortText(const CSmartDataStructure* node, size_t limit,
                               AnsiString& text) const {
  return ShortText(NodeSpan(node), limit, text);
}

bool NewsSource::IsDatedTable(CSmartDataStructure* node) {
  if (!IsTableWithRows(node))
    return false;
  int datedRows = 0;
  for (const auto& row : node->children) {
    if (row->content < 1)
      continue;
    int dated = 0;
    int texts = 0;
    for (const auto& cell : row->children) {
      if (cell->content == 0)
        continue;
      // Only a text under 20 characters can be a date or a time.
      AnsiString text;
      if (!NodeShortText(cell.get(), 20, text)) {
        ++texts;
        continue;
      }
      size_t length = text.size();
      dated += length < 20 && IsDate(text) ? 1 : 0;
      dated += length < 15 && IsTime(text) ? 1 : 0;
      texts += length >= 15 ? 1 : 0;
    }
    datedRows += dated >= 1 && texts >= 1 ? 1 : 0;
  }
  return datedRows >= 2;
}

int NewsSource::ExtractDatedTable(CSmartDataStructure* node) {
  if (!IsTableWithRows(node))
    return 0;
  int added = 0;
  for (const auto& row : node->children) {
    if (row->content < 1)
      continue;
    AnsiString date, time, shortText, mediumText, longText, headlineLink, link;
    int dated = 0;
    int texts = 0;
    for (const auto& cell : row->children) {
      if (hrefExtractor.ExtractFirstHRef(NodeHtml(cell.get())) == 0)
        link = hrefExtractor.href;
      if (cell->content == 0)
        continue;
      AnsiString text = NodeText(cell.get());
      switch (ClassifyCell(text)) {
      case ccNone:
        break;
      case ccDate:
        date = text;
        ++dated;
        break;
      case ccTime:
        time = text;
        ++dated;
        break;
      case ccShort:
        shortText = text;
        break;
      case ccMedium:
      case ccLong:
        (text.size() < 50 ? mediumText : longText) = text;
        ++texts;
        if (!link.empty())
          headlineLink = link;
        break;
      }
    }
    if (dated < 1 || texts < 1)
      continue;
    if (headlineLink.empty())
      headlineLink = link;
    auto item = std::make_unique<NewsData>(this, date, time, "", shortText, mediumText, longText,
                                           headlineLink);
    if (IsPlausibleHeadline(item->headline.c_str()))
      added += AddCandidate(std::move(item)) ? 1 : 0;
  }
  return added;
}

TPCRegexp* NewsSource::ListPattern(int kind) {
  TPCRegexp* patterns[ListPatternCount] = {liPattern.get(), ulPattern.get(), brPattern.get()};
  return patterns[kind];
}

int NewsSource::CountListMatches(const CSmartDataStructure* node, int kind, int* out,
                                 int outSize) const {
  if (!listTags.built)
    return parser->structure->CountMatches(node, pageText, *ListPattern(kind), out, outSize);
  size_t start = 0;
  size_t end = 0;
  parser->structure->NodeSpan(node, pageText.size(), start, end);
  const std::vector<int>& starts = listTags.starts[kind];
  const std::vector<int>& ends = listTags.ends[kind];
  size_t from =
      std::lower_bound(starts.begin(), starts.end(), static_cast<int>(start)) - starts.begin();
  size_t to = std::upper_bound(ends.begin(), ends.end(), static_cast<int>(end)) - ends.begin();
  int count = to > from ? static_cast<int>(std::min<size_t>(to - from, SmartMaxMatches)) : 0;
  for (int i = 0; out != nullptr && i < std::min(count, outSize); ++i)
    out[i] = starts[from + i] - static_cast<int>(start);
  return count;
}

void NewsSource::CountListTags(CSmartDataStructure* node, int& li, int& ul, int& br) {
  if (node->liCount < 0)
    node->liCount = CountListMatches(node, ltLi);
  if (node->ulCount < 0)
    node->ulCount = CountListMatches(node, ltUl);
  if (node->brCount < 0)
    node->brCount = CountListMatches(node, ltBr);
  li = node->liCount;
  ul = node->ulCount;
  br = node->brCount;
}

bool NewsSource::IsDatedBlock(CSmartDataStructure* node) {
  if (!IsBlockNode(node))
    return false;
  int li = 0, ul = 0, br = 0;
  CountListTags(node, li, ul, br);
  std::string_view span = NodeSpan(node);
  if (IsListBlock(li, ul, br) && HalvesAreDated(span))
    return true;
  if (HasTooManyBreaks(span))
    return false;
  AnsiString html(span);
  return IsDatedItem(HtmlToText(html), html);
}

std::unique_ptr<NewsData> NewsSource::FragmentItem(const AnsiString& html) {
  if (HasTooManyBreaks(html) || !IsDatedItem(HtmlToText(html), html))
    return nullptr;
  AnsiString date, time, dateTime, link, headline;
  if (!AnalyseFragment(html, date, time, dateTime, link, headline))
    return nullptr;
  return std::make_unique<NewsData>(this, date, time, dateTime, "", headline, "", link);
}

int NewsSource::ExtractDatedBlock(CSmartDataStructure* node) {
  if (!IsBlockNode(node))
    return 0;
  int li = 0, ul = 0, br = 0;
  CountListTags(node, li, ul, br);
  AnsiString html = NodeHtml(node);
  if (!IsListBlock(li, ul, br)) {
    std::unique_ptr<NewsData> item = FragmentItem(html);
    if (!item || !IsPlausibleHeadline(item->headline.c_str()))
      return 0;
    return AddCandidate(std::move(item)) ? 1 : 0;
  }
  int separator = HalvesAreDated(html) ? ChooseSeparator(li, ul, br) : -1;
  if (separator < 0)
    return 0;
  constexpr int MaxEntries = 255;
  int starts[MaxEntries];
  int entries = std::min(CountListMatches(node, separator, starts, MaxEntries), MaxEntries);
  int added = 0;
  for (int i = 0; i < entries; ++i) {
    size_t end = i + 1 < entries ? starts[i + 1] : html.size();
    std::unique_ptr<NewsData> item = FragmentItem(html.substr(starts[i], end - starts[i]));
    if (item)
      added += AddCandidate(std::move(item)) ? 1 : 0;
  }
  return added;
}

bool NewsSource::AddCandidate(std::unique_ptr<NewsData> item) {
  if (IsInList(item.get(), &candidates))
    return false;
  candidates.push_back(std::move(item));
  return true;
}

// Stride scan.

namespace {

constexpr int32_t MarkShort = 1;
constexpr int32_t MarkLong = 2;
constexpr int32_t MarkDate = 16;
constexpr int32_t MarkTime = 32;
constexpr int32_t MarkDateTime = 48;
constexpr int32_t MarkDated = MarkDate | MarkTime;
constexpr int32_t MarkLength = MarkShort | MarkLong;
// Tokens the region reaches beyond the first and the last dated token.
constexpr int RegionMargin = 15;

bool IsElement(const std::vector<TSmartToken>& tokens, size_t i) {
  if (i + 1 >= tokens.size())
    return false;
  int type = tokens[i].type;
  int next = tokens[i + 1].type;
  return (type == mtOA && next == mtCA) || (type == mtOSpan && next == mtCSpan);
}

// The text between the end of the opening tag and the closing tag; empty
// when the opening tag has no '>' before the closing tag.
AnsiString ElementText(const AnsiString& page, size_t open, size_t close) {
  close = std::min(close, page.size());
  if (open >= close)
    return AnsiString();
  const void* found = std::memchr(page.data() + open, '>', close - open);
  if (found == nullptr)
    return AnsiString();
  size_t begin = static_cast<const char*>(found) - page.data() + 1;
  return page.substr(begin, close - begin);
}

int32_t DateMark(const AnsiString& text) {
  if (IsDateTime(text))
    return MarkDateTime;
  if (IsTime(text))
    return MarkTime;
  return IsDate(text) ? MarkDate : 0;
}

void MarkElements(std::vector<TSmartToken>& tokens, const AnsiString& page) {
  for (TSmartToken& token : tokens)
    token.mark = 0;
  for (size_t i = 0; i < tokens.size();) {
    if (!IsElement(tokens, i)) {
      ++i;
      continue;
    }
    AnsiString text = ElementText(page, tokens[i].start, tokens[i + 1].start);
    tokens[i].mark = (text.size() > 30 ? MarkLong : MarkShort) | DateMark(text);
    i += 2;
  }
}

bool IsDatedToken(const TSmartToken& token) {
  return (token.mark & MarkDated) != 0;
}

bool AreAlike(const TSmartToken& a, const TSmartToken& b) {
  if (a.type != b.type)
    return false;
  return (IsDatedToken(a) && IsDatedToken(b)) ||
         ((a.mark & MarkLength) != 0 && (b.mark & MarkLength) != 0) || a.mark == b.mark;
}

// The tokens of one stride scan: those of the region, first to last.
struct TScanRegion {
  const std::vector<TSmartToken>& tokens;
  int first;
  int length;
};

// How many of the tokens from a on are alike the tokens 1 to repeats - 1
// strides further on.
int64_t AlikeFurtherOn(const TScanRegion& region, int a, int stride, int repeats) {
  int64_t alike = 0;
  for (int m = 1; m < repeats; ++m)
    alike += AreAlike(region.tokens[a], region.tokens[a + m * stride]) ? 1 : 0;
  return alike;
}

// The first offset from which the tokens of the region repeat with the stride
// for the given number of repetitions, at least 95 % alike; 0 when none.
// The score of an offset shares all but two token columns with the score of
// the offset before it, so the scores slide along instead of being counted
// anew: the search costs the region's length times the repetitions.
int FindStrideOffset(const TScanRegion& region, int stride, int repeats) {
  const int64_t total = static_cast<int64_t>(stride) * (repeats - 1);
  int64_t score = 0;
  for (int offset = 0; static_cast<int64_t>(repeats) * stride + offset < region.length; ++offset) {
    int base = region.first + offset;
    if (offset == 0) {
      for (int j = 0; j < stride; ++j)
        score += AlikeFurtherOn(region, base + j, stride, repeats);
    } else {
      score -= AlikeFurtherOn(region, base - 1, stride, repeats);
      score += AlikeFurtherOn(region, base + stride - 1, stride, repeats);
    }
    if (score >= 0.95 * total)
      return offset;
  }
  return 0;
}

struct TStride {
  int stride = 0;
  int repeats = 0;
  int offset = 0;
};

// The three most frequent distances, the smallest first among equals.
std::vector<int> ChooseStrides(const std::vector<int32_t>& histogram) {
  std::vector<int> chosen;
  for (int k = 0; k < 3; ++k) {
    int best = -1;
    int32_t bestCount = -1;
    for (int distance = 0; distance < static_cast<int>(histogram.size()); ++distance) {
      if (histogram[distance] > bestCount &&
          std::find(chosen.begin(), chosen.end(), distance) == chosen.end()) {
        best = distance;
        bestCount = histogram[distance];
      }
    }
    chosen.push_back(best < 0 ? 0 : best);
  }
  return chosen;
}

} // namespace

int NewsSource::ScanDatedItems(CSmartDataStructure* root) {
  (void)root;
  CSmartStructure* structure = parser->structure.get();
  if (structure == nullptr)
    return 0;
  std::vector<TSmartToken>& tokens = structure->tokens;
  const AnsiString& page = parser->maskedText;
  MarkElements(tokens, page);
  const int count = static_cast<int>(tokens.size());
  int first = -1;
  int last = -1;
  for (int i = 0; i < count; ++i) {
    if (!IsDatedToken(tokens[i]))
      continue;
    first = first < 0 ? i : first;
    last = i;
  }
  if (first < 0)
    return 0;
  if (first >= RegionMargin)
    first -= RegionMargin;
  if (last + RegionMargin < count)
    last += RegionMargin;
  const int length = last - first + 1;
  std::vector<int32_t> histogram(length, 0);
  int dated = 0;
  int previous = -1;
  for (int i = first; i < last; ++i) {
    if (!IsDatedToken(tokens[i]))
      continue;
    ++dated;
    if (previous >= 0)
      ++histogram[i - previous];
    previous = i;
  }
  if (dated < 4)
    return 0;
  TScanRegion region{tokens, first, length};
  TStride winner;
  for (int stride : ChooseStrides(histogram)) {
    int repeats = histogram[stride];
    if (stride == 0 || repeats < 4)
      continue;
    int offset = FindStrideOffset(region, stride, repeats);
    if (offset != 0)
      winner = TStride{stride, repeats, offset};
  }
  if (winner.stride == 0)
    return 0;
  int added = 0;
  for (int i = 0; i < winner.repeats; ++i) {
    // A fragment holds its whole period: it ends one character before the
    // next repetition's first token. Ending at its last token's start would
    // cut off what the period holds last, the date of an entry built as
    // anchor, dated span, break.
    const int period = first + winner.offset + i * winner.stride;
    int from = tokens[period].start;
    int to = tokens[period + winner.stride].start - 1;
    std::unique_ptr<NewsData> item = FragmentItem(page.substr(from, to - from));
    if (item && IsPlausibleHeadline(item->headline.c_str()))
      added += AddCandidate(std::move(item)) ? 1 : 0;
  }
  return added;
}
