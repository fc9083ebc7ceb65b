#include "platform/rtl/Sysutils.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <sys/time.h>

namespace {

// Day number of 30 December 1899, counting 1 January 1 as day 1.
constexpr long DateDelta = 693594;

int DaysInMonth(Word year, Word month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Day number of a valid date, 1 January 1 being day 1 (proleptic Gregorian).
long DayNumber(Word year, Word month, Word day) {
  long days = day;
  for (Word m = 1; m < month; ++m)
    days += DaysInMonth(year, m);
  const long y = year - 1;
  return days + y * 365 + y / 4 - y / 100 + y / 400;
}

// Splits a day count into whole days and milliseconds of the day, rounding to
// the nearest millisecond as the class library does.
void SplitDateTime(TDateTime dateTime, long& days, long& msecs) {
  const long long total = std::llround(std::fabs(dateTime) * MSecsPerDay);
  days = static_cast<long>(total / MSecsPerDay);
  if (dateTime < 0)
    days = -days;
  msecs = static_cast<long>(total % MSecsPerDay);
}

AnsiString Format2(const char* format, int a, int b, int c) {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, a, b, c);
  return buf;
}

} // namespace

bool IsLeapYear(Word year) {
  return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month))
    throw EConvertError("Invalid argument to date encode");
  return static_cast<TDateTime>(DayNumber(year, month, day) - DateDelta);
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000)
    throw EConvertError("Invalid argument to time encode");
  return (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
}

void DecodeDate(TDateTime dateTime, Word& year, Word& month, Word& day) {
  long days, msecs;
  SplitDateTime(dateTime, days, msecs);
  long n = days + DateDelta - 1; // days since 1 January 1
  if (n < 0 || n >= DayNumber(9999, 12, 31))
    throw EConvertError("Invalid date");
  const long n400 = n / 146097;
  n %= 146097;
  long n100 = n / 36524;
  n %= 36524;
  if (n100 == 4) { // last day of a 400-year cycle
    n100 = 3;
    n += 36524;
  }
  const long n4 = n / 1461;
  n %= 1461;
  long n1 = n / 365;
  n %= 365;
  if (n1 == 4) { // last day of a leap year
    n1 = 3;
    n += 365;
  }
  year = static_cast<Word>(n400 * 400 + n100 * 100 + n4 * 4 + n1 + 1);
  month = 1;
  while (n >= DaysInMonth(year, month))
    n -= DaysInMonth(year, month++);
  day = static_cast<Word>(n + 1);
}

void DecodeTime(TDateTime dateTime, Word& hour, Word& min, Word& sec, Word& msec) {
  long days, msecs;
  SplitDateTime(dateTime, days, msecs);
  hour = static_cast<Word>(msecs / 3600000);
  min = static_cast<Word>(msecs / 60000 % 60);
  sec = static_cast<Word>(msecs / 1000 % 60);
  msec = static_cast<Word>(msecs % 1000);
}

TDateTime Now() {
  timeval tv;
  gettimeofday(&tv, nullptr);
  const time_t seconds = tv.tv_sec;
  tm local;
  localtime_r(&seconds, &local);
  return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
         EncodeTime(local.tm_hour, local.tm_min, local.tm_sec, tv.tv_usec / 1000);
}

TDateTime Date() {
  return std::trunc(Now());
}

AnsiString DateToStr(TDateTime dateTime) {
  Word y, m, d;
  DecodeDate(dateTime, y, m, d);
  return Format2("%02d/%02d/%04d", d, m, y);
}

AnsiString TimeToStr(TDateTime dateTime) {
  Word h, n, s, ms;
  DecodeTime(dateTime, h, n, s, ms);
  return Format2("%02d:%02d:%02d", h, n, s);
}

AnsiString DateTimeToStr(TDateTime dateTime) {
  long days, msecs;
  SplitDateTime(dateTime, days, msecs);
  if (msecs == 0)
    return DateToStr(dateTime);
  return DateToStr(dateTime) + " " + TimeToStr(dateTime);
}
