#pragma once
// One entry of the received-news list: a news item found in a page (kind 0)
// or a page-change event (kind 1).
#include <cstdint>

#include "platform/rtl/Sysutils.h"

class NewsSource;

// An item as the news file stores it.
struct NewsRecord {
  AnsiString dateText;
  AnsiString headline;
  AnsiString link;
  TDateTime received = 0;
  int32_t kind = 0;
};

class NewsData {
public:
  // From the texts a detection pass found: the headline is the medium text,
  // else the long one, else the short one; the link loses enclosing quotes.
  NewsData(NewsSource* source, const AnsiString& date, const AnsiString& time,
           const AnsiString& dateTime, const AnsiString& text1, const AnsiString& text2,
           const AnsiString& text3, const AnsiString& link);
  // From a stored record; only the date text is cleaned again.
  NewsData(NewsSource* source, NewsRecord record);

  // The same item for de-duplication: kind, source, headline and date text.
  bool IsSameAs(const NewsData* other) const;
  // The link resolved against the source's page.
  AnsiString GetAbsoluteLink() const;
  AnsiString GetSourceName() const;
  bool IsFileLink() const;
  // The path after "file://".
  AnsiString GetFilePath() const;
  // A stored page copy that is gone is replaced by the page itself, so the
  // link still leads somewhere.
  void CheckFileLink();
  // Received at least hours before now (both day counts).
  bool IsOlderThan(int32_t hours, TDateTime now) const;

  NewsSource* source; // not owned
  AnsiString headline;
  AnsiString link;
  AnsiString dateText;
  TDateTime received;
  int32_t kind;
  uint32_t serial;
};
