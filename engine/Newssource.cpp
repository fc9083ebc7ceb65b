#include "engine/Newssource.h"

#include "engine/Htmltools.h"
#include "engine/Newstools.h"
#include "engine/Pcregexp.h"
#include "engine/Smartstructure.h"

std::unique_ptr<TPCRegexp> NewsSource::liPattern;
std::unique_ptr<TPCRegexp> NewsSource::ulPattern;
std::unique_ptr<TPCRegexp> NewsSource::brPattern;
int NewsSource::liveSources = 0;

namespace {

// The length of the text without the blanks and control characters at its
// ends, as the class library's Trim leaves it.
size_t TrimmedLength(const AnsiString& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= ' ')
    ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= ' ')
    --end;
  return end - begin;
}

} // namespace

NewsSource::NewsSource(NewsUpdater* newsNotifier)
    : notifier(newsNotifier), parser(std::make_unique<CSmartParser>()) {
  if (liveSources++ > 0)
    return;
  liPattern = std::make_unique<TPCRegexp>("(?i)<li");
  ulPattern = std::make_unique<TPCRegexp>("(?i)<ul");
  brPattern = std::make_unique<TPCRegexp>("(?i)<br[/]*>");
}

NewsSource::~NewsSource() {
  if (--liveSources > 0)
    return;
  liPattern.reset();
  ulPattern.reset();
  brPattern.reset();
}

void NewsSource::SetUrl(const AnsiString& newUrl) {
  if (newUrl != url && !newUrl.empty()) {
    pageTracker = std::make_unique<CNoveltyDetector>(newUrl, keepChangeTrack, ignoreHtmlTags,
                                                     ignoreDates, ignoreBigHexaNumbers);
    pageTracker->SetDepth(historyLength);
    changeGate = std::make_unique<CNoveltyDetector>(newUrl, false, true, true, true);
    changeGate->SetDepth(10);
  }
  url = newUrl;
}

const AnsiString& NewsSource::GetUrl() const {
  return url;
}

bool NewsSource::HasUrl(const AnsiString& text) const {
  return url == text;
}

AnsiString NewsSource::MakeAbsoluteUrl(const AnsiString& href) const {
  return ResolveHref(url, href);
}

int NewsSource::GetNewsCount() const {
  return static_cast<int>(news.size());
}

NewsData* NewsSource::GetNews(int index) const {
  if (index < 0 || index >= GetNewsCount())
    return nullptr;
  return news[index].get();
}

void NewsSource::AddNews(std::unique_ptr<NewsData> item) {
  news.push_back(std::move(item));
}

bool NewsSource::IsKnown(const NewsData* item) const {
  return IsInList(item, &news);
}

bool NewsSource::IsInList(const NewsData* item, const TNewsList* list) const {
  if (list == nullptr)
    return false;
  for (const auto& entry : *list) {
    if (entry->IsSameAs(item))
      return true;
  }
  return false;
}

int NewsSource::CommitCandidates() {
  int total = static_cast<int>(candidates.size());
  int dated = 0;
  for (const auto& item : candidates)
    dated += TrimmedLength(item->dateText) > 4 ? 1 : 0;
  int undated = total - dated;
  bool pruning = total > 5 && undated > 0 && undated <= 0.15 * total;
  int committed = 0;
  for (auto& item : candidates) {
    bool known = IsKnown(item.get());
    if (pruning && (known || TrimmedLength(item->dateText) <= 4 || TrimmedLength(item->link) <= 5))
      continue;
    if (!pruning && known)
      continue;
    news.push_back(std::move(item));
    ++committed;
  }
  candidates.clear();
  return committed;
}

// Detection passes.

int NewsSource::DetectNews(int32_t mode) {
  (void)mode;
  CSmartStructure* structure = parser->structure.get();
  if (structure == nullptr)
    return 0;
  parser->structure = structure->WithoutComments();
  structure = parser->structure.get();
  if (!structure->BuildTree())
    return 0;
  int added = 0;
  structure->FreeTree();
  return added;
}
