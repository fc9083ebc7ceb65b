#pragma once
// The text tests the detection passes share (dates, times, links, dated
// items, fragment analysis, headline plausibility), removal of every match of
// a pattern, and the keyword and age filter of the received-news list.
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/rtl/Kernel.h"
#include "platform/rtl/Sysutils.h"

class NewsData;
class TPCRegexp;

// Compiles the date, time and date-time pattern sets and the href pattern,
// replacing an earlier compilation. Until then every test below is false.
bool InitNewsTools();
// Destroys them all.
bool FreeNewsTools();

// A pattern of the set matches anywhere in the text.
bool IsDate(const AnsiString& text);
bool IsTime(const AnsiString& text);
bool IsDateTime(const AnsiString& text);
// The text holds an href attribute.
bool HasHref(const AnsiString& text);
// Looks like one dated news entry: dated text of 30 characters or more, a
// link in the HTML, and no more than 15 line breaks in it.
bool IsDatedItem(const AnsiString& text, const AnsiString& html);
// More than 15 line breaks ("<br>", "<br/>" and LF): never one dated entry.
// Cheap, so callers may tell it before they convert the HTML to text.
bool HasTooManyBreaks(std::string_view html);
// Cuts an HTML fragment into its date (or time, or date-time), link and
// headline; true when a date or time and a headline were found.
bool AnalyseFragment(const AnsiString& fragment, AnsiString& date, AnsiString& time,
                     AnsiString& dateTime, AnsiString& link, AnsiString& headline);
// At least 3 letters and digits and no forbidden word.
bool IsPlausibleHeadline(const char* text);
// The text with every match removed, also the matches that removing makes,
// as rounds of up to 255 matches from the start would leave it.
AnsiString RemoveAllMatches(const AnsiString& text, const TPCRegexp& pattern);

// A search for one fixed pattern, for texts searched so often that a
// scanner written for the pattern pays: it finds exactly the matches that
// the pattern compiled finds.
class TMatchSearch {
public:
  virtual ~TMatchSearch() = default;
  // The start of the first match at or after from in text[0, length), or -1;
  // its length goes to matchLength.
  virtual int Find(const char* text, int length, int from, int& matchLength) const = 0;
  // The longest text a match can span, or -1 when there is no bound.
  virtual long LongestMatch() const = 0;
};

// RemoveAllMatches in place on text[0, length); the new length. As with a C
// string, searches stop at a NUL byte and what follows it stays.
size_t RemoveAllMatches(char* text, size_t length, const TMatchSearch& search);
// The case-insensitive alternation of the words of the text; empty for a
// blank text. Words keep their regular-expression meaning.
AnsiString BuildKeywordPattern(const AnsiString& keywords);

// The clock of the filter's age test: tick count in milliseconds and the
// current day count. Tests install their own; null functions restore the
// system clock. Installing a clock empties the time cache.
void SetMatcherClock(std::function<DWORD()> tick, std::function<TDateTime()> now);

// The keyword and age filter of the received-news list.
class CDataMatcher {
public:
  CDataMatcher();
  ~CDataMatcher();
  CDataMatcher(const CDataMatcher&) = delete;
  CDataMatcher& operator=(const CDataMatcher&) = delete;

  void SetKeywords(const AnsiString& text);
  void SetMaxAge(int32_t seconds) { maxAge = seconds; }
  // Received at least maxAge ago, by a clock read at most once a second.
  bool IsTooOld(const NewsData* item) const;
  bool MatchKeywords(const AnsiString& headline) const;
  bool Match(const NewsData* item) const;

  std::unique_ptr<TPCRegexp> keywordRegex;
  int32_t maxAge;
  AnsiString keywords;
  AnsiString pattern;

private:
  // The words, matched as plain texts when the pattern does not compile.
  std::vector<AnsiString> words_;
};
