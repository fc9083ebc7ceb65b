#include "engine/Newstools.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <mutex>

#include "engine/Htmltools.h"
#include "engine/Miscstr.h"
#include "engine/Newsdata.h"
#include "engine/Pcregexp.h"
#include "engine/Textextractor.h"
#include "platform/rtl/Codepage.h"
#include "platform/rtl/Stringlist.h"

namespace {

constexpr int kSetSize = 10;
using TPatternSet = std::array<std::unique_ptr<TPCRegexp>, kSetSize>;

// The month alternation is kept exactly as the system has always read it:
// a[v|p]r, ma[i|y] and ju[i|l] are character classes with a bar in them, and
// "au|g|o]" makes "au", "g" and "o]" alternatives of their own.
#define WT_MONTHS "(jan|fev|feb|mar|a[v|p]r|ma[i|y]|jun|ju[i|l]|au|g|o]|sep|oct|nov|dec)"

constexpr const char* kDatePatterns[] = {
    "([1-9]|[ 0-3][0-9])[/-]([1-9]|01|02|03|04|05|06|07|08|09|10|11|12)[ /\r\n\t]?",
    "([1-9]|01|02|03|04|05|06|07|08|09|10|11|12)[/-]([1-9]|[ 0-3][0-9])[ /\r\n\t]?",
    "(?i)([1-9]|[ 0-3][0-9])[ -]" WT_MONTHS "[ /\r\n\t]?",
    "([1-9]|[ 0-3][0-9])[/-][ 01]?[0-9][/-]([12][0-9][0-9][0-9]|[0-9][0-9])",
    "(?i)([1-9]|[ 0-3][0-9])[ -]" WT_MONTHS "[ -][0-9]{2,4}",
    "(?i)" WT_MONTHS "[ -]([1-9]|[ 0-3][0-9])[ -][0-9]{2,4}",
};

constexpr const char* kTimePatterns[] = {
    "(?i)[ 0-9]{2}[h:-][0-9]{2}([m:-][0-9]{2})?",
    "(?i)[ 0-9]{2}[h:][0-9]{2}[ \r\n\tmp]*",
};

constexpr const char* kDateTimePatterns[] = {
    "(?i)([0-9]{1,2}[ /-][0-9]{1,2})([ /-][0-9]{1,4})?[ /-][ 0-9]{2}[:h][0-9]{2}([:m][0-9]{2})?",
    "(?i)" WT_MONTHS "[ -]([1-9]|[ 0-3][0-9])[ -][0-9]{2,4}[ ]*([ 0-9]{2}[:h][0-9]{2})",
};

#undef WT_MONTHS

constexpr const char* kHrefPattern = "(?i)[ \r\n\t]*href[ \r\n\t]*=";

constexpr const char* kForbiddenWords[] = {"href=", nullptr};

TPatternSet dateSet;
TPatternSet timeSet;
TPatternSet dateTimeSet;
std::unique_ptr<TPCRegexp> hrefRegex;

template <size_t N> void Compile(TPatternSet& set, const char* const (&patterns)[N]) {
  static_assert(N < kSetSize, "a set ends at its first empty entry");
  for (auto& entry : set)
    entry.reset();
  for (size_t i = 0; i < N; ++i)
    set[i] = std::make_unique<TPCRegexp>(patterns[i]);
}

bool AnyMatches(const TPatternSet& set, const AnsiString& text) {
  for (const auto& regex : set) {
    if (!regex)
      return false;
    if (regex->Find(text.c_str()) >= 0)
      return true;
  }
  return false;
}

} // namespace

bool InitNewsTools() {
  Compile(dateSet, kDatePatterns);
  Compile(timeSet, kTimePatterns);
  Compile(dateTimeSet, kDateTimePatterns);
  hrefRegex = std::make_unique<TPCRegexp>(kHrefPattern);
  return true;
}

bool FreeNewsTools() {
  for (TPatternSet* set : {&dateSet, &timeSet, &dateTimeSet})
    for (auto& entry : *set)
      entry.reset();
  hrefRegex.reset();
  return true;
}

bool IsDate(const AnsiString& text) {
  return AnyMatches(dateSet, text);
}

bool IsTime(const AnsiString& text) {
  return AnyMatches(timeSet, text);
}

bool IsDateTime(const AnsiString& text) {
  return AnyMatches(dateTimeSet, text);
}

bool HasHref(const AnsiString& text) {
  return hrefRegex && hrefRegex->Find(text.c_str()) >= 0;
}

bool IsDatedItem(const AnsiString& text, const AnsiString& html) {
  if (!IsDate(text) && !IsTime(text))
    return false;
  if (!HasHref(html))
    return false;
  if (text.size() < 30)
    return false;
  return !HasTooManyBreaks(html);
}

bool HasTooManyBreaks(std::string_view html) {
  constexpr int MaxBreaks = 15;
  int breaks = 0;
  for (size_t i = 0; i < html.size() && breaks <= MaxBreaks; ++i) {
    if (html[i] == '\n')
      ++breaks;
    else if (html.compare(i, 4, "<br>") == 0 || html.compare(i, 5, "<br/>") == 0)
      ++breaks;
  }
  return breaks > MaxBreaks;
}

namespace {

constexpr int kMaxPieces = 512;
constexpr const char* kEnclosingPairs = "()[]  {}''\"\"";

struct TPiece {
  AnsiString text;
  bool isTag;
};

// Cuts at every '<' and '>'; what follows the last of them is no piece. A
// stray '>' outside any tag does not make the following tag read as text.
std::vector<TPiece> CutPieces(const AnsiString& fragment) {
  std::vector<TPiece> pieces;
  int open = 0;
  size_t begin = 0;
  for (size_t i = 0; i < fragment.size() && pieces.size() < kMaxPieces; ++i) {
    const char c = fragment[i];
    if (c != '<' && c != '>')
      continue;
    pieces.push_back({fragment.substr(begin, i - begin), open > 0});
    open = c == '<' ? open + 1 : std::max(0, open - 1);
    begin = i + 1;
  }
  return pieces;
}

AnsiString CleanPiece(AnsiString piece) {
  char* p = piece.data();
  StripLineEnd(p);
  TrimRightBlanks(p);
  TrimLeftBlanks(p);
  StripEnclosingPairs(p, kEnclosingPairs);
  DecodeHtmlEntities(p);
  return piece.c_str();
}

// The href value of an anchor tag's content, or empty.
AnsiString AnchorHref(const AnsiString& tag) {
  if (tag.size() < 6 || (tag[0] != 'a' && tag[0] != 'A'))
    return "";
  AnsiString upper = tag;
  std::transform(upper.begin(), upper.end(), upper.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  const size_t href = upper.find("HREF");
  if (href == AnsiString::npos)
    return "";
  size_t i = tag.find('=', href + 4);
  if (i == AnsiString::npos)
    return "";
  auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  ++i;
  while (i < tag.size() && isSpace(tag[i]))
    ++i;
  if (i < tag.size() && tag[i] == '"')
    ++i;
  const size_t begin = i;
  for (; i < tag.size() && !isSpace(tag[i]); ++i) {
    if (tag[i] == '"' && (i == begin || tag[i - 1] != '\\'))
      break;
  }
  return tag.substr(begin, i - begin);
}

struct TFragmentRoles {
  AnsiString date, time, dateTime, link, headline;
};

void AssignTextRole(const AnsiString& piece, TFragmentRoles& roles) {
  const bool isDate = IsDate(piece);
  const bool isTime = IsTime(piece);
  if (isDate && piece.size() < 20)
    roles.date = piece;
  else if (isTime && piece.size() < 15)
    roles.time = piece;
  else if (isDate && isTime && piece.size() < 30)
    roles.dateTime = piece;
  else if (piece.size() > roles.headline.size())
    roles.headline = piece;
}

} // namespace

bool AnalyseFragment(const AnsiString& fragment, AnsiString& date, AnsiString& time,
                     AnsiString& dateTime, AnsiString& link, AnsiString& headline) {
  date.clear();
  time.clear();
  dateTime.clear();
  link.clear();
  headline.clear();
  TFragmentRoles roles;
  for (const TPiece& raw : CutPieces(fragment)) {
    const AnsiString piece = CleanPiece(raw.text);
    if (piece.empty())
      continue;
    if (!raw.isTag) {
      AssignTextRole(piece, roles);
      continue;
    }
    AnsiString href = AnchorHref(piece);
    if (!href.empty() && (roles.headline.empty() || roles.link.empty()))
      roles.link = href;
  }
  if (!roles.dateTime.empty())
    dateTime = roles.dateTime;
  else if (!roles.date.empty())
    date = roles.date;
  else
    time = roles.time;
  link = roles.link;
  if (!roles.headline.empty()) {
    AnsiString folded = roles.headline;
    FoldUtf8(folded.data());
    // A text piece that began on a line of its own keeps that line break and
    // the page's indentation after it: the grid would show the headline far
    // to the right.
    headline = AnsiString(TrimmedView(folded.c_str()));
  }
  const bool dated = !roles.dateTime.empty() || !roles.date.empty() || !roles.time.empty();
  return dated && !headline.empty();
}

namespace {

// Letters of Windows-1252: ASCII, the accented capitals and small letters, and
// the few letters placed among 80 to 9F.
bool IsLetterOrDigit(unsigned char c) {
  if (std::isalnum(c))
    return true;
  if (c >= 0xC0)
    return c != 0xD7 && c != 0xF7;
  return c == 0x83 || c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9A || c == 0x9C || c == 0x9E ||
         c == 0x9F;
}

} // namespace

bool IsPlausibleHeadline(const char* text) {
  if (text == nullptr)
    return false;
  int count = 0;
  for (const char* p = text; *p != '\0'; ++p)
    count += IsLetterOrDigit(static_cast<unsigned char>(*p)) ? 1 : 0;
  if (count < 3)
    return false;
  for (const char* const* word = kForbiddenWords; *word != nullptr; ++word) {
    if (std::strstr(text, *word) != nullptr)
      return false;
  }
  return true;
}

namespace {

// The longest text a pattern can match, or -1 when it has no bound or uses a
// construct this reading does not know (assertions, back references, ...).
class TMatchLengthBound {
public:
  explicit TMatchLengthBound(const std::string& pattern) : p_(pattern) {}

  long Bound() {
    long n = Alternation();
    return ok_ && i_ == p_.size() ? n : kUnbounded;
  }

private:
  static constexpr long kUnbounded = -1;

  bool AtEnd() const { return i_ >= p_.size(); }

  long Alternation() {
    long best = Sequence();
    while (ok_ && !AtEnd() && p_[i_] == '|') {
      ++i_;
      best = std::max(best, Sequence());
    }
    return best;
  }

  long Sequence() {
    long total = 0;
    while (ok_ && !AtEnd() && p_[i_] != '|' && p_[i_] != ')') {
      long atom = Atom();
      long times = Quantifier();
      if (!ok_)
        break;
      total += atom * times;
    }
    return total;
  }

  void Fail() { ok_ = false; }

  long Atom() {
    const char c = p_[i_++];
    switch (c) {
    case '(':
      return Group();
    case '[':
      return Class();
    case '\\':
      return Escape();
    case '^':
    case '$':
    case '*':
    case '+':
    case '?':
      Fail();
      return 0;
    default:
      return 1;
    }
  }

  long Group() {
    if (!AtEnd() && p_[i_] == '?') {
      ++i_;
      // Option letters, then ')' (a setting) or ':' (a group with options).
      while (!AtEnd() && std::strchr("imsxJUX-", p_[i_]) != nullptr)
        ++i_;
      if (AtEnd())
        return Fail(), 0;
      if (p_[i_] == ')') {
        ++i_;
        return 0;
      }
      if (p_[i_] != ':')
        return Fail(), 0;
      ++i_;
    }
    long n = Alternation();
    if (AtEnd() || p_[i_] != ')')
      return Fail(), 0;
    ++i_;
    return n;
  }

  long Class() {
    if (!AtEnd() && p_[i_] == '^')
      ++i_;
    if (!AtEnd() && p_[i_] == ']')
      ++i_;
    while (!AtEnd() && p_[i_] != ']') {
      if (p_[i_] == '\\')
        ++i_;
      else if (p_.compare(i_, 2, "[:") == 0) {
        size_t close = p_.find(":]", i_ + 2);
        if (close == std::string::npos)
          return Fail(), 0;
        i_ = close + 1;
      }
      ++i_;
    }
    if (AtEnd())
      return Fail(), 0;
    ++i_;
    return 1;
  }

  long Escape() {
    if (AtEnd())
      return Fail(), 0;
    const char c = p_[i_++];
    if (!std::isalnum(static_cast<unsigned char>(c)))
      return 1;
    if (std::strchr("dDwWsStnrfeahHvV", c) != nullptr)
      return 1;
    return Fail(), 0;
  }

  long Quantifier() {
    if (AtEnd())
      return 1;
    long times = 1;
    switch (p_[i_]) {
    case '?':
      ++i_;
      break;
    case '*':
    case '+':
      ++i_;
      unbounded_ = true;
      break;
    case '{': {
      long most = Braces();
      if (most == 0)
        return 1; // not a quantifier: a literal '{' follows
      times = most;
      break;
    }
    default:
      return 1;
    }
    if (!AtEnd() && (p_[i_] == '?' || p_[i_] == '+'))
      ++i_;
    if (unbounded_)
      Fail();
    return times;
  }

  // {n}, {n,m}: the most repeats; {n,}: unbounded; anything else is literal (0).
  long Braces() {
    size_t j = i_ + 1;
    auto number = [&](long& value) {
      size_t from = j;
      value = 0;
      while (j < p_.size() && std::isdigit(static_cast<unsigned char>(p_[j])))
        value = value * 10 + (p_[j++] - '0');
      return j > from;
    };
    long least = 0, most = 0;
    if (!number(least))
      return 0;
    most = least;
    if (j < p_.size() && p_[j] == ',') {
      ++j;
      if (!number(most)) {
        if (j < p_.size() && p_[j] == '}')
          unbounded_ = true;
        else
          return 0;
      }
    }
    if (j >= p_.size() || p_[j] != '}')
      return 0;
    i_ = j + 1;
    return unbounded_ ? 1 : std::max(most, 1L);
  }

  const std::string& p_;
  size_t i_ = 0;
  bool ok_ = true;
  bool unbounded_ = false;
};

constexpr int kRoundSize = 255;

class TRegexpSearch : public TMatchSearch {
public:
  explicit TRegexpSearch(const TPCRegexp& pattern)
      : pattern_(pattern), bound_(TMatchLengthBound(pattern.Pattern()).Bound()) {}
  int Find(const char* text, int length, int from, int& matchLength) const override {
    return pattern_.FindIn(text, length, &matchLength, from);
  }
  long LongestMatch() const override { return bound_; }

private:
  const TPCRegexp& pattern_;
  long bound_;
};

} // namespace

AnsiString RemoveAllMatches(const AnsiString& text, const TPCRegexp& pattern) {
  if (!pattern.IsCompiled())
    return text;
  AnsiString buffer = text;
  buffer.resize(RemoveAllMatches(buffer.data(), buffer.size(), TRegexpSearch(pattern)));
  return buffer;
}

// Each round takes up to 255 matches from the start and deletes them, until a
// round finds none. A match found in a round starts no further back than the
// longest possible match before the first deletion of the round before, since
// everything in front of that deletion is as it was. So a round resumes there
// instead of at the start, and the text is kept as a compacted front and an
// untouched back with a gap between, so that deletions shift nothing. A
// pattern without a known bound resumes at the start every round.
size_t RemoveAllMatches(char* buf, size_t size, const TMatchSearch& search) {
  const long bound = search.LongestMatch();
  const size_t limit = strnlen(buf, size);
  size_t front = 0; // the compacted text is buf[0, front)
  size_t back = 0;  // followed by buf[back, size)
  size_t resume = 0;
  int starts[kRoundSize];
  int lengths[kRoundSize];
  for (;;) {
    if (resume < front) {
      const size_t moved = front - resume;
      std::memmove(buf + back - moved, buf + resume, moved);
      back -= moved;
      front = resume;
    }
    const char* subject = buf + back;
    const int length = static_cast<int>(limit - back);
    int count = 0;
    for (int offset = 0; count < kRoundSize;) {
      int matchLength = 0;
      const int at = search.Find(subject, length, offset, matchLength);
      if (at < 0)
        break;
      starts[count] = at;
      lengths[count] = matchLength;
      ++count;
      offset = at + matchLength == offset ? offset + 1 : at + matchLength;
    }
    if (count == 0)
      break;
    size_t kept = 0;
    size_t removed = 0;
    for (int m = 0; m < count; ++m) {
      const size_t run = static_cast<size_t>(starts[m]) - kept;
      std::memmove(buf + front, subject + kept, run);
      front += run;
      kept = static_cast<size_t>(starts[m] + lengths[m]);
      removed += static_cast<size_t>(lengths[m]);
    }
    const size_t firstDeletion = resume + static_cast<size_t>(starts[0]);
    back += kept;
    if (removed == 0)
      break; // only empty matches: nothing would ever change
    resume = bound < 0 ? 0 : firstDeletion - std::min(firstDeletion, static_cast<size_t>(bound));
  }
  std::memmove(buf + front, buf + back, size - back);
  return front + size - back;
}

AnsiString BuildKeywordPattern(const AnsiString& keywords) {
  AnsiString result;
  size_t i = 0;
  auto isSeparator = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (i < keywords.size()) {
    while (i < keywords.size() && isSeparator(keywords[i]))
      ++i;
    const size_t begin = i;
    while (i < keywords.size() && !isSeparator(keywords[i]))
      ++i;
    if (i == begin)
      break;
    if (result.empty())
      result = "(?i)";
    if (result != "(?i)")
      result += '|';
    result += keywords.substr(begin, i - begin);
  }
  return result;
}

namespace {

struct TTimeCache {
  std::mutex lock;
  std::function<DWORD()> tick = [] { return GetTickCount(); };
  std::function<TDateTime()> now = [] { return Now(); };
  DWORD lastTick = 0; // 0: never read
  TDateTime lastNow = 0;
};

TTimeCache& TimeCache() {
  static TTimeCache cache;
  return cache;
}

TDateTime CachedNow() {
  TTimeCache& cache = TimeCache();
  std::lock_guard<std::mutex> guard(cache.lock);
  const DWORD tick = cache.tick();
  if (cache.lastTick == 0 || tick < cache.lastTick || tick - cache.lastTick >= 1000) {
    cache.lastTick = tick;
    cache.lastNow = cache.now();
  }
  return cache.lastNow;
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// How many bytes at i of a pattern keep their case: an escape (\D is not
// \d, \p{Lu} names a property) or the letters of an option group ("(?U)").
size_t VerbatimLength(const AnsiString& pattern, size_t i) {
  const auto at = [&](size_t k) { return k < pattern.size() ? pattern[k] : '\0'; };
  if (at(i) == '\\') {
    const char escaped = at(i + 1);
    if (static_cast<unsigned char>(escaped) >= 0x80 || escaped == '\0')
      return 1;
    if (escaped != 'p' && escaped != 'P')
      return 2;
    if (at(i + 2) != '{')
      return 3;
    const size_t close = pattern.find('}', i + 2);
    return close == AnsiString::npos ? pattern.size() - i : close + 1 - i;
  }
  if (at(i) != '(' || at(i + 1) != '?')
    return 0;
  size_t k = i + 2;
  while (IsAsciiLetter(at(k)) || at(k) == '-')
    ++k;
  return k - i;
}

// The keyword pattern as it is matched: on the characters the screen shows,
// in lower case. A keyword then matches whole characters only, never a byte
// inside a kept UTF-8 sequence, and the case of every letter is ignored.
std::string ScreenPattern(const AnsiString& pattern) {
  std::string screen = "(*UTF8)(*UCP)";
  size_t i = 0;
  while (i < pattern.size()) {
    const size_t verbatim = VerbatimLength(pattern, i);
    if (verbatim > 0) {
      screen += Cp1252ToUtf8(pattern.substr(i, verbatim));
      i += verbatim;
      continue;
    }
    size_t end = i + 1;
    while (end < pattern.size() && VerbatimLength(pattern, end) == 0)
      ++end;
    screen += LowerScreenText(pattern.substr(i, end - i));
    i = end;
  }
  return screen;
}

std::vector<AnsiString> Words(const AnsiString& text) {
  std::vector<AnsiString> words;
  AnsiString word;
  for (char c : text + " ") {
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
      word += c;
      continue;
    }
    if (!word.empty())
      words.push_back(LowerScreenText(word));
    word.clear();
  }
  return words;
}

} // namespace

void SetMatcherClock(std::function<DWORD()> tick, std::function<TDateTime()> now) {
  TTimeCache& cache = TimeCache();
  std::lock_guard<std::mutex> guard(cache.lock);
  cache.tick = tick ? std::move(tick) : [] { return GetTickCount(); };
  cache.now = now ? std::move(now) : [] { return Now(); };
  cache.lastTick = 0;
  cache.lastNow = 0;
}

CDataMatcher::CDataMatcher() : maxAge(172800) {}

CDataMatcher::~CDataMatcher() = default;

void CDataMatcher::SetKeywords(const AnsiString& text) {
  keywords = Trim(text);
  pattern = BuildKeywordPattern(keywords);
  keywordRegex = std::make_unique<TPCRegexp>(ScreenPattern(pattern).c_str());
  words_ = Words(keywords);
}

bool CDataMatcher::IsTooOld(const NewsData* item) const {
  return item->IsOlderThan(maxAge / 3600, CachedNow());
}

bool CDataMatcher::MatchKeywords(const AnsiString& headline) const {
  if (!keywordRegex || keywords.empty())
    return true;
  const std::string lower = LowerScreenText(headline);
  if (keywordRegex->IsCompiled())
    return keywordRegex->FindIn(lower.c_str(), static_cast<int>(lower.size()), nullptr, 0) >= 0;
  // Keywords that do not make a valid pattern still filter, as plain words.
  return std::any_of(words_.begin(), words_.end(),
                     [&](const AnsiString& word) { return lower.find(word) != AnsiString::npos; });
}

bool CDataMatcher::Match(const NewsData* item) const {
  return !IsTooOld(item) && MatchKeywords(item->headline);
}
