// The language texts: both tables whole, the telling rows of each, the named
// texts, and the fall-backs for missing tables and ids.
#include "app/Uresources.h"
#include "platform/rtl/Codepage.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* NotFound = "Resource Not found !";

TEST(TextResources, BothTablesHaveEveryTextWhole) {
  CTextResources texts;
  for (int32_t language : {0, 1000}) {
    SCOPED_TRACE(language);
    texts.Load(language);
    ASSERT_EQ(texts.strings->Count(), CTextResources::StringCount);
    for (int32_t id = 0; id < CTextResources::StringCount; ++id) {
      const AnsiString text = texts.GetString(id);
      EXPECT_NE(text, NotFound) << id;
      EXPECT_FALSE(text.empty()) << id;
      // The load buffer holds 254 characters: a longer text would be cut.
      EXPECT_LE(text.size(), 251u) << id;
    }
  }
}

// English text and French text (UTF-8 here) of the same id.
TEST(TextResources, TellingRowsOfEachLanguage) {
  struct Row {
    int32_t id;
    const char* english;
    const char* french;
  };
  const Row rows[] = {
      {13, " Disable news reception bip", "Couper le signal sonore de réception de news"},
      {18, "Timeout between requests (in seconds) :",
       " Vérifier l'arrivée de news toutes les (en secondes)"},
      {35, "Welka Tidor ", "Welka Tidor, toute l'info...       ... en un seul clic !"},
      {36, "Date", "Date"},
      {38, "Header", "Résumé"},
      {40, "News items found", "Evènement news !"},
      {48, "Interrogation in progress", "Interrogation"},
      {52, "Web response    :", nullptr},
      {90, "Disable requests", "Désactiver l'extraction"},
      {91, "Enable requests", "Activer l'extraction"},
      {104, "Expand  window ", nullptr},
      {109, "\r\n", "\r\n"},
      {127, "Script URL :", nullptr},
  };
  CTextResources english;
  CTextResources french;
  french.Load(1000);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.id);
    EXPECT_EQ(english.GetString(row.id), row.english);
    if (row.french != nullptr) {
      EXPECT_EQ(french.GetString(row.id), Utf8ToCp1252(row.french));
    }
  }
  // Accented letters are single Windows-1252 bytes.
  EXPECT_EQ(french.GetString(38), "R\xE9sum\xE9");

  const AnsiString end = "l'exploration de votre";
  const AnsiString first = french.GetString(21);
  ASSERT_GE(first.size(), end.size());
  EXPECT_EQ(first.substr(first.size() - end.size()), end);
  EXPECT_EQ(french.GetString(22).rfind(" URL. A la fin de cette recherche", 0), 0u);
}

TEST(TextResources, NamedTextsFollowTheLanguage) {
  CTextResources texts;
  EXPECT_EQ(texts.KeywordsPrompt, "Enter your keywords here");
  EXPECT_EQ(texts.WaitingKeywords, "Awaiting keywords ...");
  EXPECT_EQ(texts.FilteringKeywords, "Filtering in progress");
  EXPECT_EQ(texts.DateTitle, "Date");
  EXPECT_EQ(texts.UrlTitle, "Url");
  EXPECT_EQ(texts.HeaderTitle, "Header");
  EXPECT_EQ(texts.SourceTitle, "Source");
  EXPECT_EQ(texts.ActiveTitle, "Active");
  EXPECT_EQ(texts.NameTitle, "Name");
  EXPECT_EQ(texts.SourcesLabel, "Sources :");
  EXPECT_EQ(texts.NewsLabel, "News    :");
  EXPECT_EQ(texts.UpdatesLabel, "Updates :");

  texts.Load(1000);
  EXPECT_EQ(texts.DateTitle, "Date");
  EXPECT_EQ(texts.HeaderTitle, Utf8ToCp1252("Résumé"));
  EXPECT_EQ(texts.KeywordsPrompt, texts.GetString(42));
  EXPECT_EQ(texts.UpdatesLabel, texts.GetString(89));
  EXPECT_NE(texts.KeywordsPrompt, "Enter your keywords here");
}

TEST(TextResources, GermanHasNoTableAndUnknownLanguagesAreEnglish) {
  CTextResources texts;
  texts.Load(2000);
  ASSERT_EQ(texts.strings->Count(), CTextResources::StringCount);
  for (int32_t id = 0; id < CTextResources::StringCount; ++id)
    EXPECT_EQ(texts.GetString(id), NotFound) << id;
  for (const AnsiString* named :
       {&texts.KeywordsPrompt, &texts.WaitingKeywords, &texts.FilteringKeywords, &texts.DateTitle,
        &texts.UrlTitle, &texts.HeaderTitle, &texts.SourceTitle, &texts.ActiveTitle,
        &texts.NameTitle, &texts.SourcesLabel, &texts.NewsLabel, &texts.UpdatesLabel})
    EXPECT_EQ(*named, NotFound);

  EXPECT_TRUE(texts.Load(5));
  EXPECT_EQ(texts.GetString(40), "News items found");
  EXPECT_EQ(texts.HeaderTitle, "Header");
}

TEST(TextResources, IdsOutsideTheTableAreInvalid) {
  CTextResources texts;
  EXPECT_EQ(texts.GetString(128), "Invalid resource");
  EXPECT_EQ(texts.GetString(-1), "Invalid resource");
  EXPECT_EQ(texts.GetString(0), "More information :");
  EXPECT_EQ(texts.GetString(127), "Script URL :");
}

TEST(TextResources, LanguageCodesAndCount) {
  EXPECT_EQ(CTextResources::GetLanguageCode(0), "en");
  EXPECT_EQ(CTextResources::GetLanguageCode(1000), "fr");
  EXPECT_EQ(CTextResources::GetLanguageCode(2000), "de");
  EXPECT_EQ(CTextResources::GetLanguageCode(5), "XX");
  EXPECT_EQ(CTextResources::GetLanguageCount(false), 2);
  EXPECT_EQ(CTextResources::GetLanguageCount(true), 2);
}

} // namespace
