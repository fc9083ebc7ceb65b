// The shown news list's rules: the sort order of each key (the text keys in
// the user's collation), the age steps and the counter lines.
#include "app/Unewslist.h"

#include "engine/Newsdata.h"
#include "engine/Newssource.h"
#include "platform/rtl/Codepage.h"
#include "tests/support/Collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

TEST(ShownNews, SortOrderByEachKeyWithTheSerialTieBreak) {
  NewsSource alphaSource(nullptr), betaSource(nullptr);
  alphaSource.name = "alpha";
  betaSource.name = "beta";
  auto make = [](NewsSource* s, double received, const char* date, const char* headline) {
    NewsRecord r;
    r.received = received;
    r.dateText = date;
    r.headline = headline;
    return std::make_unique<NewsData>(s, r);
  };
  const auto first = make(&alphaSource, 100.5, "2026-12-01", "Same");
  const auto second = make(&betaSource, 100.5, "2026-12-01", "Same");
  const auto later = make(&alphaSource, 100.7, "2026-11-30", "Another");
  struct Case {
    int key;
    bool ascending;
    const NewsData* a;
    const NewsData* b;
    int sign;
  };
  const Case cases[] = {
      {0, true, first.get(), second.get(), -1}, // equal times: the earlier-made first
      {0, true, later.get(), first.get(), 1},   //
      {0, false, later.get(), first.get(), -1}, // descending: newest first
      {1, true, later.get(), first.get(), -1},  // as text
      {1, true, first.get(), second.get(), -1}, // equal dates: serials
      {2, true, second.get(), later.get(), 1},  // beta after alpha
      {2, true, first.get(), later.get(), -1},  // same source: serials
      {3, true, first.get(), second.get(), 0},  // equal headlines
      {3, false, later.get(), first.get(), 1},  //
      {7, true, first.get(), later.get(), 0},   // no such key
  };
  for (const Case& c : cases) {
    SortKey = c.key;
    SortAscending = c.ascending;
    const int result = CompareNewsItems(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign) << c.key << " " << c.a->headline;
  }
  SortKey = 0;
  SortAscending = false;
}

// Dates, source names and headlines sort as the user's locale orders what the
// grid shows, not by their bytes: "Zebra" after "apple", "École" before "zoo",
// a Cyrillic headline (kept as its UTF-8 bytes) after the Latin ones.
TEST(ShownNews, TextKeysSortInTheUsersCollation) {
  const char* texts[] = {"zoo",
                         "\xC9"
                         "cole",
                         "apple", "Zebra",
                         "\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8"};
  const std::vector<std::string> expected = {"apple", "École", "Zebra", "zoo", "Новости"};
  std::vector<std::unique_ptr<NewsSource>> sources;
  std::vector<std::unique_ptr<NewsData>> items;
  for (const char* text : texts) {
    sources.push_back(std::make_unique<NewsSource>(nullptr));
    sources.back()->name = text;
    NewsRecord r;
    r.received = 100.5;
    r.dateText = text;
    r.headline = text;
    items.push_back(std::make_unique<NewsData>(sources.back().get(), r));
  }
  auto shown = [](const NewsData* item, int key) {
    return Cp1252ToUtf8(key == 1 ? item->dateText
                                 : (key == 2 ? item->GetSourceName() : item->headline));
  };
  for (const char* name : kCollationLocales) {
    TCollationLocale locale(name);
    if (!locale.Active())
      continue;
    for (int key = 1; key <= 3; ++key) {
      SortKey = key;
      for (bool ascending : {true, false}) {
        SortAscending = ascending;
        std::vector<const NewsData*> order;
        for (const auto& item : items)
          order.push_back(item.get());
        std::sort(order.begin(), order.end(),
                  [](const NewsData* a, const NewsData* b) { return CompareNewsItems(a, b) < 0; });
        std::vector<std::string> got;
        for (const NewsData* item : order)
          got.push_back(shown(item, key));
        std::vector<std::string> want = expected;
        if (!ascending)
          std::reverse(want.begin(), want.end());
        EXPECT_EQ(got, want) << name << " key " << key;
      }
    }
  }
  SortKey = 0;
  SortAscending = false;
}

// A day-old item is settled: the age is the whole time since reception.
TEST(ShownNews, AgeBuckets) {
  const TDateTime now = 46000.5;
  const double second = 1.0 / 86400;
  struct Case {
    double ageSeconds;
    int bucket;
  };
  const Case cases[] = {
      {0, 0},   {3, 0},         {6, 1},
      {12, 2},  {19, 3},        {21, 4},
      {25, 4},  {86400 + 3, 4}, {2 * 86400 - 1, 4},
      {-30, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(AgeBucket(now - c.ageSeconds * second, now, 5), c.bucket) << c.ageSeconds;
}

TEST(ShownNews, CounterLines) {
  EXPECT_EQ(CounterLine("Sources :", 3, 5), "Sources :        3[   5]");
  EXPECT_EQ(CounterLine("News    :", 12345, 0), "News    :     12345[   0]");
}

} // namespace
