#include "engine/Htmlhrefextractor.h"

#include <algorithm>
#include <memory>

#include "engine/Htmltools.h"
#include "engine/Pcregexp.h"
#include "engine/Textextractor.h"

namespace {

const TPCRegexp& ClosingAnchor() {
  static const TPCRegexp pattern("</[ \t\r\n]*[aA][ \t\r\n]*>");
  return pattern;
}

AnsiString Trimmed(const AnsiString& text) {
  auto isTrimmed = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && isTrimmed(text[begin]))
    ++begin;
  while (end > begin && isTrimmed(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

} // namespace

bool CHtmlHrefExtractor::ExtractNextHRef(const AnsiString& html, int& position, int& end) {
  href.clear();
  text.clear();
  const int length = static_cast<int>(html.size());
  end = length;
  if (html != walkedHtml_ || searchText_.empty()) {
    walkedHtml_ = html;
    searchText_ = CHtmlCell::PrepareSearchText(html, true);
  }
  position = FindAnchorTag(html, std::clamp(position, 0, length));
  if (position < 0)
    return false;
  cell_.GetAttribute("href", href);
  if (href.size() > 2 && href.front() == '"') {
    href.erase(0, 1);
    if (href.back() == '"')
      href.pop_back();
  }
  href = Trimmed(href);
  bool found = href.size() >= 3;
  int closeLength = 0;
  const int close = ClosingAnchor().FindIn(html.c_str(), length, &closeLength, position + 1);
  if (close >= 0) {
    end = close + closeLength;
    text = HtmlToText(html.substr(position, end - position));
    found = true;
  }
  return found;
}

// "<a" also begins "<abbr", "<article", "<aside" and the like; only a tag
// named a is an anchor.
int CHtmlHrefExtractor::FindAnchorTag(const AnsiString& html, int from) {
  for (;;) {
    const int at = cell_.ExtractPreparedCell(html, searchText_, "<a", ">", from, true);
    if (at < 0)
      return -1;
    const size_t next = static_cast<size_t>(at) + 2;
    if (next >= html.size() || IsBlankChar(html[next]) || html[next] == '\r' || html[next] == '>' ||
        html[next] == '/')
      return at;
    from = at + 1;
  }
}

int CHtmlHrefExtractor::ExtractFirstHRef(const AnsiString& html) {
  int position = 0;
  int end = 0;
  return ExtractNextHRef(html, position, end) ? 0 : -1;
}
