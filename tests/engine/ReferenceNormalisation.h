#pragma once
// The change detector's fingerprint as the engine first computed it: a copy
// of the text for every step, and the date, time and hexadecimal patterns
// searched by their compiled regular expressions. The tests hold the
// engine's fingerprints against it, and the benchmarks time it beside them.
#include <memory>

#include "engine/Htmltools.h"
#include "engine/Newstools.h"
#include "engine/Pcregexp.h"
#include "engine/Stdblockhash.h"

enum TReferencePatternKind { rpDate, rpTime, rpHexId };

inline const TPCRegexp& ReferencePattern(TReferencePatternKind kind) {
  static const TPCRegexp patterns[] = {
      TPCRegexp("[0-9][0-9]?[0-9]?[0-9]?[/-][0-9][0-9]?[/-][0-9][0-9]?[0-9]?[0-9]?"),
      TPCRegexp("[0-9][0-9]?[h:-][0-9][0-9]?([m:-][0-9][0-9]?)?"),
      TPCRegexp("[0-9A-Fa-f]{5}"),
  };
  return patterns[kind];
}

inline AnsiString ReferenceFingerprint32(const AnsiString& page, bool htmlToText,
                                         bool stripDateTime, bool stripHexIds) {
  AnsiString work = Trim(page);
  if (htmlToText)
    work = HtmlToText(work);
  if (stripDateTime) {
    work = RemoveAllMatches(work, ReferencePattern(rpDate));
    work = RemoveAllMatches(work, ReferencePattern(rpTime));
  }
  if (stripHexIds)
    work = RemoveAllMatches(work, ReferencePattern(rpHexId));
  work = RemoveWhiteSpace(work);
  StdBlockHash hash(hmMD5, nullptr);
  unsigned char digest[16];
  hash.Compute(reinterpret_cast<const unsigned char*>(work.data()), static_cast<int>(work.size()),
               digest);
  StdBlockConvertor convertor;
  convertor.SetAlphabet("1234567890ABCDEF");
  return convertor.Encode(digest, hash.GetDigestSize()).get();
}
