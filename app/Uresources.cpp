#include "app/Uresources.h"

#include "platform/rtl/Resources.h"
#include "resources/Languagestrings.h"

namespace {

constexpr int32_t English = 0;
constexpr int32_t French = 1000;
constexpr int32_t German = 2000;
// A text loads into a buffer of this size, terminator included.
constexpr int TextBufferSize = 255;

} // namespace

CTextResources::CTextResources() : strings(std::make_unique<TStringList>()) {
  RegisterLanguageStrings();
  Load(English);
}

bool CTextResources::Load(int32_t language) {
  if (language != English && language != French && language != German)
    language = English;
  strings->Clear();
  char buffer[TextBufferSize];
  for (int32_t i = 0; i < StringCount; ++i) {
    const int length =
        LoadString(nullptr, static_cast<unsigned>(language + i), buffer, TextBufferSize);
    strings->Add(length > 0 ? AnsiString(buffer, length) : AnsiString("Resource Not found !"));
  }
  KeywordsPrompt = strings->Strings(42);
  WaitingKeywords = strings->Strings(43);
  FilteringKeywords = strings->Strings(44);
  DateTitle = strings->Strings(36);
  UrlTitle = strings->Strings(45);
  HeaderTitle = strings->Strings(38);
  SourceTitle = strings->Strings(37);
  ActiveTitle = strings->Strings(46);
  NameTitle = strings->Strings(47);
  SourcesLabel = strings->Strings(87);
  NewsLabel = strings->Strings(88);
  UpdatesLabel = strings->Strings(89);
  return true;
}

AnsiString CTextResources::GetString(int32_t id) const {
  if (id < 0 || id >= strings->Count())
    return "Invalid resource";
  return strings->Strings(id);
}

AnsiString CTextResources::GetLanguageCode(int32_t language) {
  switch (language) {
  case English:
    return "en";
  case French:
    return "fr";
  case German:
    return "de";
  default:
    return "XX";
  }
}

int32_t CTextResources::GetLanguageCount(bool) {
  return 2;
}
