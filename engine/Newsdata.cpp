#include "engine/Newsdata.h"

#include <algorithm>
#include <atomic>

#include "engine/Htmltools.h"
#include "engine/Newssource.h"
#include "platform/rtl/Fileutils.h"

namespace {

uint32_t NextSerial() {
  static std::atomic<uint32_t> lastSerial{0};
  return ++lastSerial;
}

void LineEndsToBlanks(AnsiString& text) {
  std::replace(text.begin(), text.end(), '\r', ' ');
  std::replace(text.begin(), text.end(), '\n', ' ');
}

bool IsQuote(char c) {
  return c == '"' || c == '\'';
}

AnsiString Unquoted(AnsiString link) {
  if (link.size() > 1 && IsQuote(link.front()))
    link.erase(0, 1);
  if (link.size() > 1 && IsQuote(link.back()))
    link.pop_back();
  return link;
}

const AnsiString& FirstNonEmpty(const AnsiString& a, const AnsiString& b, const AnsiString& c) {
  if (!a.empty())
    return a;
  return b.empty() ? c : b;
}

} // namespace

NewsData::NewsData(NewsSource* source, const AnsiString& date, const AnsiString& time,
                   const AnsiString& dateTime, const AnsiString& text1, const AnsiString& text2,
                   const AnsiString& text3, const AnsiString& link)
    : source(source), headline(FirstNonEmpty(text2, text3, text1)), link(Unquoted(link)),
      dateText(HtmlToText(dateTime.empty() ? date + " " + time : dateTime)), received(Now()),
      kind(0), serial(NextSerial()) {
  LineEndsToBlanks(headline);
  LineEndsToBlanks(this->link);
}

NewsData::NewsData(NewsSource* source, NewsRecord record)
    : source(source), headline(std::move(record.headline)), link(std::move(record.link)),
      dateText(HtmlToText(record.dateText)), received(record.received), kind(record.kind),
      serial(NextSerial()) {}

bool NewsData::IsSameAs(const NewsData* other) const {
  return other != nullptr && kind == other->kind && source == other->source &&
         headline == other->headline && dateText == other->dateText;
}

AnsiString NewsData::GetAbsoluteLink() const {
  return source->MakeAbsoluteUrl(link);
}

AnsiString NewsData::GetSourceName() const {
  return source->name;
}

void NewsData::CheckFileLink() {
  if (IsFileLink() && !FileExists(GetFilePath()))
    link = source->GetUrl();
}

bool NewsData::IsFileLink() const {
  return link.compare(0, 7, "file://") == 0;
}

AnsiString NewsData::GetFilePath() const {
  return link.size() > 7 ? link.substr(7) : "";
}

bool NewsData::IsOlderThan(int32_t hours, TDateTime now) const {
  // Day counts cannot hold every instant exactly: an age that is the limit up
  // to rounding (well below a millisecond) counts as reaching it.
  constexpr double kRoundingHours = 1e-7;
  return (now - received) * 24 >= hours - kRoundingHours;
}
