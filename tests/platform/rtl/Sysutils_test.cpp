#include "platform/rtl/Sysutils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

TEST(DateTime, EncodeAndDecodeKnownDays) {
  struct Case {
    Word y, m, d;
    double days;
  };
  const Case cases[] = {
      {1899, 12, 30, 0},       {1899, 12, 31, 1},   {1900, 1, 1, 2},       {1900, 3, 1, 61},
      {2000, 2, 29, 36585},    {2000, 3, 1, 36586}, {2026, 12, 10, 46366}, {1, 1, 1, -693593},
      {9999, 12, 31, 2958465}, {1899, 12, 29, -1},  {2100, 3, 1, 73110},   {2024, 12, 31, 45657},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.days) << c.y << "-" << c.m << "-" << c.d;
    Word y, m, d;
    DecodeDate(c.days, y, m, d);
    EXPECT_EQ((std::tuple{y, m, d}), (std::tuple{c.y, c.m, c.d})) << c.days;
  }
}

TEST(DateTime, InvalidDatesAndTimesRaise) {
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
  EXPECT_NO_THROW(EncodeDate(2024, 2, 29));
}

TEST(DateTime, TimeOfDayRoundTripsToTheMillisecond) {
  const Word times[][4] = {{0, 0, 0, 0}, {12, 0, 0, 0}, {23, 59, 59, 999}, {6, 7, 8, 9}};
  for (const auto& t : times) {
    const TDateTime v = EncodeDate(2026, 12, 10) + EncodeTime(t[0], t[1], t[2], t[3]);
    Word h, n, s, ms, y, m, d;
    DecodeTime(v, h, n, s, ms);
    DecodeDate(v, y, m, d);
    EXPECT_EQ((std::tuple{h, n, s, ms}), (std::tuple{t[0], t[1], t[2], t[3]}));
    EXPECT_EQ((std::tuple{y, m, d}), (std::tuple<Word, Word, Word>{2026, 12, 10}));
  }
  EXPECT_DOUBLE_EQ(EncodeTime(18, 0, 0, 0), 0.75);
}

TEST(DateTime, DefaultTexts) {
  const TDateTime day = EncodeDate(2026, 3, 4);
  EXPECT_EQ(DateTimeToStr(day + EncodeTime(9, 5, 7, 400)), "04/03/2026 09:05:07");
  EXPECT_EQ(DateTimeToStr(day), "04/03/2026");
  EXPECT_EQ(DateToStr(day + 0.5), "04/03/2026");
  EXPECT_EQ(TimeToStr(day + 0.5), "12:00:00");
}

TEST(DateTime, NowIsTheLocalClock) {
  const time_t t = std::time(nullptr);
  tm local;
  localtime_r(&t, &local);
  const TDateTime expected = EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
                             EncodeTime(local.tm_hour, local.tm_min, local.tm_sec, 0);
  EXPECT_NEAR(Now(), expected, 2.0 / SecsPerDay);
  EXPECT_EQ(Date(), std::trunc(Now()));
}
