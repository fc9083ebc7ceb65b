// The change detector's normalisation against the one it replaced: the
// scanners of the date, time and hexadecimal patterns find what the compiled
// patterns find, and every corpus page keeps its fingerprint under every
// combination of flags.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "engine/Htmlnoveltydetector.h"
#include "engine/Newstools.h"
#include "tests/engine/ReferenceNormalisation.h"
#include "tests/support/TempDir.h"

namespace {

const TNormalisationPatternKind Kinds[] = {npDate, npTime, npHexId};

TReferencePatternKind ReferenceOf(TNormalisationPatternKind kind) {
  return kind == npDate ? rpDate : kind == npTime ? rpTime : rpHexId;
}

std::string RandomText(std::mt19937& random, const std::string& letters, size_t length) {
  std::uniform_int_distribution<size_t> pick(0, letters.size() - 1);
  std::string text(length, ' ');
  for (char& c : text)
    c = letters[pick(random)];
  return text;
}

// The characters of the three patterns and their near misses (capitals of h
// and m, letters beyond f), dense enough to make every partial match.
const char* const Alphabets[] = {"0123456789/-h:m x", "0123456789/-", "01:-hmHM ",
                                 "0123456789abcdefABCDEFgG-/ ", "1-/:"};

} // namespace

TEST(NormalisationSearch, FindsWhatTheCompiledPatternFinds) {
  std::mt19937 random(11);
  for (TNormalisationPatternKind kind : Kinds) {
    const TMatchSearch& search = NormalisationSearch(kind);
    const TPCRegexp& pattern = ReferencePattern(ReferenceOf(kind));
    for (const char* alphabet : Alphabets) {
      for (int trial = 0; trial < 200; ++trial) {
        const std::string text = RandomText(random, alphabet, 1 + trial % 40);
        const int length = static_cast<int>(text.size());
        for (int from = 0; from <= length; ++from) {
          int expectedLength = -1;
          const int expected = pattern.FindIn(text.c_str(), length, &expectedLength, from);
          int foundLength = -1;
          const int found = search.Find(text.c_str(), length, from, foundLength);
          ASSERT_EQ(found, expected) << pattern.Pattern() << " in \"" << text << "\" from " << from;
          if (found >= 0) {
            ASSERT_EQ(foundLength, expectedLength)
                << pattern.Pattern() << " in \"" << text << "\" from " << from;
          }
        }
      }
    }
  }
}

TEST(NormalisationSearch, SearchesOnlyTheGivenLength) {
  // A match that would need the characters beyond the length is cut short
  // or not found, as the compiled pattern does on the shorter text.
  const std::string text = "12/05/2003 10h45m30 beef0";
  for (TNormalisationPatternKind kind : Kinds) {
    const TPCRegexp& pattern = ReferencePattern(ReferenceOf(kind));
    for (int length = 0; length <= static_cast<int>(text.size()); ++length) {
      int expectedLength = -1;
      const int expected = pattern.FindIn(text.c_str(), length, &expectedLength, 0);
      int foundLength = -1;
      EXPECT_EQ(NormalisationSearch(kind).Find(text.c_str(), length, 0, foundLength), expected)
          << pattern.Pattern() << " length " << length;
      if (expected >= 0) {
        EXPECT_EQ(foundLength, expectedLength) << pattern.Pattern() << " length " << length;
      }
    }
  }
}

TEST(NormalisationSearch, RemovesWhatTheCompiledPatternRemoves) {
  // Long texts dense with matches take many rounds, and removals join the
  // text around them into new matches.
  std::mt19937 random(5);
  for (TNormalisationPatternKind kind : Kinds) {
    const TPCRegexp& pattern = ReferencePattern(ReferenceOf(kind));
    for (const char* alphabet : Alphabets) {
      for (size_t length : {50, 3000, 20000}) {
        std::string text = RandomText(random, alphabet, length);
        const std::string expected = RemoveAllMatches(text, pattern);
        text.resize(RemoveAllMatches(text.data(), text.size(), NormalisationSearch(kind)));
        ASSERT_EQ(text, expected) << pattern.Pattern() << " alphabet " << alphabet;
      }
    }
  }
}

TEST(NormalisationSearch, StopsAtANulByteAndKeepsWhatFollows) {
  std::string text("12/05/2003 x\0"
                   "10h45 beef0",
                   23);
  text.resize(RemoveAllMatches(text.data(), text.size(), NormalisationSearch(npDate)));
  EXPECT_EQ(text, std::string(" x\0"
                              "10h45 beef0",
                              13));
}

TEST(Fingerprint32, EqualsTheFirstNormalisationOnEveryCorpusPage) {
  int pages = 0;
  for (const auto& entry : std::filesystem::directory_iterator(WT_CORPUS_DIR)) {
    if (entry.path().extension() != ".html")
      continue;
    const AnsiString page = ReadFileBytes(entry.path().string());
    for (int flags = 0; flags < 8; ++flags) {
      const bool text = flags & 1, dates = flags & 2, hex = flags & 4;
      ASSERT_EQ(CNoveltyDetector::Fingerprint32(page, text, dates, hex),
                ReferenceFingerprint32(page, text, dates, hex))
          << entry.path().filename() << " flags " << flags;
    }
    ++pages;
  }
  EXPECT_GT(pages, 100);
}

TEST(Fingerprint32, EqualsTheFirstNormalisationOnEdgeTexts) {
  const AnsiString texts[] = {
      "",
      " \t\r\n",
      "x",
      AnsiString("<b>a\0b</b> 12/05/2003", 21),
      AnsiString("12\0/05/2003 beef0", 17),
      " <p>10h45 &amp; 1-2-3 abcde</p>\r\n",
      "<unclosed 12/05/2003",
      "1/1/1/1/1/1/1/1 1:1:1:1:1 fffffffff",
  };
  for (const AnsiString& text : texts) {
    for (int flags = 0; flags < 8; ++flags) {
      const bool html = flags & 1, dates = flags & 2, hex = flags & 4;
      EXPECT_EQ(CNoveltyDetector::Fingerprint32(text, html, dates, hex),
                ReferenceFingerprint32(text, html, dates, hex))
          << "\"" << text << "\" flags " << flags;
    }
  }
}
