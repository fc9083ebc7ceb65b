#pragma once
// The windows' texts in the current language, loaded from the program's
// string tables: the language value is the base added to each text's id.
#include "platform/rtl/Stringlist.h"

#include <cstdint>
#include <memory>

class CTextResources {
public:
  static constexpr int32_t StringCount = 128;

  // Sets the named defaults, then loads English.
  CTextResources();

  // Languages other than 0 (English), 1000 (French) and 2000 (German, which
  // has no table) load English. A missing text reads "Resource Not found !".
  // Always true.
  bool Load(int32_t language);
  // "Invalid resource" outside 0..127.
  AnsiString GetString(int32_t id) const;
  static AnsiString GetLanguageCode(int32_t language);
  // The languages offered to the user, in debug mode too.
  static int32_t GetLanguageCount(bool debug);

  std::unique_ptr<TStringList> strings;
  AnsiString KeywordsPrompt = "enter your keywords here";
  AnsiString WaitingKeywords = "Waiting keywords ...";
  AnsiString FilteringKeywords = "Filtering keywords";
  AnsiString DateTitle = "Date";
  AnsiString UrlTitle = "Url";
  AnsiString HeaderTitle = "Header";
  AnsiString SourceTitle = "Source";
  AnsiString ActiveTitle = "Active";
  AnsiString NameTitle = "Name";
  AnsiString SourcesLabel = "Sources :";
  AnsiString NewsLabel = "News    :";
  AnsiString UpdatesLabel = "Updates :";
};
