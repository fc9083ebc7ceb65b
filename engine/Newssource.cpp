#include "engine/Newssource.h"

#include <algorithm>
#include <cmath>

#include "engine/Htmltools.h"
#include "engine/Newsextractor.h"
#include "engine/Newstools.h"
#include "engine/Pcregexp.h"
#include "engine/Smartstructure.h"
#include "engine/Usdkthreadurllauncher.h"

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

// Request cycle.

CHttpProxyConfig* ProxyConfig = nullptr;
AnsiString ProxyScriptPath;

void CreateProxyConfig() {
  if (!ProxyConfig)
    ProxyConfig = new CHttpProxyConfig();
}

void DeleteProxyConfig() {
  delete ProxyConfig;
  ProxyConfig = nullptr;
}

NewsCallback::NewsCallback(NewsSource* source) : owner(source) {
  owner->listener.reset(this);
}

NewsCallback::~NewsCallback() {
  DetachCallback(this);
}

void NewsCallback::OnHttpEvent(int status, const char* body, unsigned bodyLength,
                               const char* header, unsigned headerLength) {
  if (owner)
    owner->OnHttpEvent(status, body, bodyLength, header, headerLength);
}

int NewsSource::StartRequest() {
  if (!listener)
    new NewsCallback(this); // becomes the listener, owned by this source
  transaction = AcquireTransaction();
  // With the pool exhausted the source stays idle and due, so the scheduler
  // offers it again on a later tick.
  if (!transaction)
    return 0;
  transaction->SetUrl(url.c_str());
  AnsiString proxyHost, proxyPort;
  if (!ProxyConfig ||
      ProxyConfig->GetProxyForUrl(url, proxyHost, proxyPort, ProxyScriptPath) == pkDirect)
    proxyHost = proxyPort = "";
  transaction->SetProxy(proxyHost.c_str(), proxyPort.c_str());
  transaction->SetCallback(listener.get());
  busy = true;
  lastRequest = Now();
  transaction->SetTimeOut(RequestTimeOutMs);
  transaction->Start();
  // The transaction frees itself when its thread ends.
  transaction = nullptr;
  return 0;
}

bool NewsSource::IsBusy() const {
  return busy;
}

void NewsSource::SetOptions(bool novelty, bool keepTrack, bool ignoreTags, bool ignoreDateTimes,
                            bool ignoreHexaNumbers) {
  noveltyDetection = novelty;
  keepChangeTrack = keepTrack;
  ignoreHtmlTags = ignoreTags;
  ignoreDates = ignoreDateTimes;
  ignoreBigHexaNumbers = ignoreHexaNumbers;
  if (pageTracker)
    pageTracker->SetFlags(keepChangeTrack, ignoreHtmlTags, ignoreDates, ignoreBigHexaNumbers);
}

void NewsSource::SetHistoryLength(int32_t length) {
  historyLength = std::clamp(length, 1, 1024);
  if (pageTracker)
    pageTracker->SetDepth(historyLength);
}

bool NewsSource::IsDue(int32_t interval) const {
  if (lastRequest == 0)
    return true;
  // Only the part of the elapsed time within one day counts; a clock set back
  // gives the rest of a day rather than a negative time.
  const double elapsed = Now() - lastRequest;
  return interval < (elapsed - std::floor(elapsed)) * SecsPerDay;
}

void NewsSource::OnHttpEvent(int status, const char* body, unsigned bodyLength, const char* header,
                             unsigned headerLength) {
  bool ok = false;
  if (status == 0) {
    const int coding = GetContentEncoding(header, static_cast<int>(headerLength));
    if (coding == ccDeflate || coding == ccGzip) {
      std::unique_ptr<char[]> decoded;
      int decodedLength = 0;
      CHttpDecompressor().DecodeContent(coding, body, static_cast<int>(bodyLength), decoded,
                                        decodedLength);
      pageText = decoded ? AnsiString(decoded.get()) : AnsiString();
      ok = true;
    } else if (coding == ccIdentity) {
      pageText = body ? AnsiString(body) : AnsiString();
      ok = true;
    }
  }
  busy = false;
  if (!ok) {
    if (notifier)
      notifier->OnNewsReceived(this, 0);
    return;
  }
  if (!changeGate || changeGate->IsNew(pageText))
    ExtractNews();
  TrackPageChange();
}

void NewsSource::ExtractNews() {
  if (!newsExtraction)
    return;
  int found = 0;
  if (!pageText.empty()) {
    parser->Parse(pageText);
    found = DetectNews(DetectAll);
    if (found > 0)
      found = CommitCandidates();
  }
  if (notifier)
    notifier->OnNewsReceived(this, found);
}

bool NewsSource::TrackPageChange() {
  if (!noveltyDetection || !pageTracker || !pageTracker->IsNew(pageText))
    return false;
  const AnsiString link = keepChangeTrack ? "file://" + pageTracker->GetLastCopyPath() : "";
  const AnsiString timeText = DateTimeToStr(Now());
  const char* headline = pageTracker->GetHistoryCount() > 1 ? "Page update detected at "
                                                            : "Page tracker initialized at ";
  NewsRecord record;
  record.dateText = timeText;
  record.headline = headline + timeText;
  record.link = link;
  record.received = Now();
  record.kind = 1;
  news.push_back(std::make_unique<NewsData>(this, std::move(record)));
  if (notifier)
    notifier->OnNewsReceived(this, 1);
  return true;
}

int NewsSource::SaveNews(FILE* file) const {
  for (const auto& item : news)
    std::fprintf(file, "%s\r\n%s\r\n%s\r\n%s\r\n%d\r\n%s\r\n", AsFileLine(name).c_str(),
                 FormatDayCount(item->received).c_str(), AsFileLine(item->headline).c_str(),
                 AsFileLine(item->link).c_str(), item->kind, AsFileLine(item->dateText).c_str());
  return static_cast<int>(news.size());
}

int NewsSource::ClearNews() {
  news.clear();
  return 0;
}

void NewsSource::DeleteCacheFiles() {
  if (pageTracker)
    pageTracker->DeleteCacheFiles();
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
