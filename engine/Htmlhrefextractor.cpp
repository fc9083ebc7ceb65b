#include "engine/Htmlhrefextractor.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <vector>

#include "engine/Htmltools.h"
#include "engine/Pcregexp.h"
#include "engine/Textextractor.h"

namespace {

const TPCRegexp& ClosingAnchor() {
  static const TPCRegexp pattern("</[ \t\r\n]*[aA][ \t\r\n]*>");
  return pattern;
}

} // namespace

bool CHtmlHrefExtractor::ExtractNextHRef(std::string_view html, int& position, int& end) {
  href.clear();
  text.clear();
  const int length = static_cast<int>(html.size());
  end = length;
  position = FindAnchorTag(html, std::clamp(position, 0, length));
  if (position < 0)
    return false;
  cell_.GetAttribute("href", href);
  if (href.size() > 2 && href.front() == '"') {
    href.erase(0, 1);
    if (href.back() == '"')
      href.pop_back();
  }
  href = Trim(href);
  bool found = href.size() >= 3;
  int closeLength = 0;
  const int close = ClosingAnchor().FindIn(html.data(), length, &closeLength, position + 1);
  if (close >= 0) {
    end = close + closeLength;
    text = HtmlToText(AnsiString(html.substr(position, end - position)));
    found = true;
  }
  return found;
}

namespace {

// How far back the masking state is looked for, and the first window that
// an anchor is looked for in: a walk costs about the page, not the page for
// every anchor.
constexpr size_t kSyncReach = 64;
constexpr size_t kFirstWindow = 256;

// The masking state before position at when the text before it settles it:
// every state masking can be in is run from a little before at, and once they
// agree the true one is known. A quoted value inside a tag settles only at a
// line end, so on a page without line breaks they may never agree.
bool SettledFrom(std::string_view html, size_t from, size_t at, TQuoteMask& settled) {
  // A quote is only ever open inside a tag.
  TQuoteMask states[] = {{false, false}, {true, false}, {true, true}};
  for (size_t i = from; i < at; ++i) {
    for (auto& state : states)
      state.Feed(html[i]);
    if (std::all_of(std::begin(states), std::end(states),
                    [&](const TQuoteMask& s) { return s == states[0]; })) {
      settled = states[0];
      for (size_t j = i + 1; j < at; ++j)
        settled.Feed(html[j]);
      return true;
    }
  }
  return false;
}

bool SettledMaskState(std::string_view html, size_t at, TQuoteMask& settled) {
  if (at > kSyncReach)
    return SettledFrom(html, at - kSyncReach, at, settled);
  settled = TQuoteMask();
  for (size_t i = 0; i < at; ++i)
    settled.Feed(html[i]);
  return true;
}

AnsiString SearchWindow(const AnsiString& window, TQuoteMask state) {
  AnsiString search = window;
  for (char& c : search)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(state.Feed(c))));
  return search;
}

bool EndsTagName(std::string_view html, size_t at) {
  return at >= html.size() || IsBlankChar(html[at]) || html[at] == '\r' || html[at] == '>' ||
         html[at] == '/';
}

} // namespace

TQuoteMask CHtmlHrefExtractor::MaskStateAt(std::string_view html, size_t at) {
  TQuoteMask state;
  if (SettledMaskState(html, at, state))
    return state;
  // Unsettled: the states of the whole text, made once and kept while the
  // text before at stays the same.
  const bool known =
      maskedHtml_.size() >= at && html.substr(0, at) == std::string_view(maskedHtml_).substr(0, at);
  if (!known) {
    maskedHtml_ = AnsiString(html);
    maskStates_.assign(1, TQuoteMask());
    maskStates_.reserve(html.size() + 1);
    for (char c : html) {
      state = maskStates_.back();
      state.Feed(c);
      maskStates_.push_back(state);
    }
  }
  return maskStates_[at];
}

// The element is cut from a window of the text that grows until the element
// lies inside it with room to spare, which gives what cutting it from the
// whole text gives. "<a" also begins "<abbr", "<article", "<aside" and the
// like; only a tag named a is an anchor.
int CHtmlHrefExtractor::FindAnchorTag(std::string_view html, int from) {
  const size_t length = html.size();
  for (size_t start = static_cast<size_t>(from);;) {
    const TQuoteMask state = MaskStateAt(html, start);
    int at = -1;
    for (size_t width = kFirstWindow;; width *= 2) {
      const size_t stop = std::min(length, start + width);
      const AnsiString window(html.substr(start, stop - start));
      at = cell_.ExtractPreparedCell(window, SearchWindow(window, state), "<a", ">", 0, true);
      const size_t cellEnd = static_cast<size_t>(at) + cell_.GetCellText().size();
      const bool inside = at >= 0 && !cell_.GetCellText().empty() && cellEnd + 2 <= window.size();
      if (inside || stop == length)
        break;
    }
    if (at < 0)
      return -1;
    const size_t found = start + static_cast<size_t>(at);
    if (EndsTagName(html, found + 2))
      return static_cast<int>(found);
    start = found + 1;
  }
}

int CHtmlHrefExtractor::ExtractFirstHRef(std::string_view html) {
  int position = 0;
  int end = 0;
  return ExtractNextHRef(html, position, end) ? 0 : -1;
}
