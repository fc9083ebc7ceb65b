#include "engine/Newssource.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/Htmltools.h"
#include "engine/Newstools.h"
#include "engine/Pcregexp.h"
#include "engine/Usdkthreadurllauncher.h"

std::unique_ptr<TPCRegexp> NewsSource::liPattern;
std::unique_ptr<TPCRegexp> NewsSource::ulPattern;
std::unique_ptr<TPCRegexp> NewsSource::brPattern;
int NewsSource::liveSources = 0;

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

namespace {

// The memory of the last page fetched, for the next.
thread_local TTextSpare sparePage;

void BlankZeros(AnsiString& page) {
  char* end = page.data() + page.size();
  for (char* zero = page.data(); (zero = static_cast<char*>(std::memchr(zero, '\0', end - zero)));)
    *zero++ = ' ';
}

// PageFromBody into pageText, in the memory of an earlier page.
void SetPageFromBody(AnsiString& page, const char* body, size_t length) {
  sparePage.Lend(page, body, body == nullptr ? 0 : length);
  BlankZeros(page);
}

} // namespace

AnsiString PageFromBody(const char* body, size_t length) {
  if (body == nullptr)
    return AnsiString();
  AnsiString page(body, length);
  BlankZeros(page);
  return page;
}

bool PageOfResponse(const THttpResponse& response, TPageRule rule, AnsiString& page) {
  if (response.Status != 0 || (rule == prWhatCanBeShown && response.Body == nullptr))
    return false;
  if (response.Decoded != nullptr) {
    SetPageFromBody(page, response.Decoded, response.DecodedLength);
    return true;
  }
  // The worker inflates every compressed body it hands over whole: one
  // without its page is no page.
  const int coding = GetContentEncoding(response.Header, static_cast<int>(response.HeaderLength));
  if (coding != ccIdentity && (coding != ccUnknown || rule == prWholePageOnly))
    return false;
  SetPageFromBody(page, response.Body, response.BodyLength);
  return true;
}

CHttpProxyConfig* ProxyConfig = nullptr;

namespace {
// Shared with the lookups handed to transactions: a worker still asking
// keeps the configuration alive after DeleteProxyConfig.
std::shared_ptr<CHttpProxyConfig> SharedProxyConfig;
} // namespace

void CreateProxyConfig() {
  if (SharedProxyConfig)
    return;
  SharedProxyConfig = std::make_shared<CHttpProxyConfig>();
  ProxyConfig = SharedProxyConfig.get();
}

CHTTPTransaction::TProxyLookup ProxyLookup() {
  if (!SharedProxyConfig)
    return nullptr;
  return [config = SharedProxyConfig](const char* url, AnsiString& host, AnsiString& port,
                                      AnsiString& problem, const std::function<bool()>& cancelled) {
    const int kind = config->GetProxyForUrl(url, host, port, cancelled, &problem);
    if (kind == pkDirect)
      host = port = "";
    return kind != pkUnusable;
  };
}

void DeleteProxyConfig() {
  ProxyConfig = nullptr;
  SharedProxyConfig.reset();
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

void NewsCallback::OnHttpResponse(const THttpResponse& response) {
  if (owner)
    owner->OnHttpResponse(response);
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
  transaction->SetProxyLookup(ProxyLookup());
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
  OnHttpResponse({status, body, bodyLength, header, headerLength, nullptr, 0});
}

void NewsSource::OnHttpResponse(const THttpResponse& response) {
  const bool ok = PageOfResponse(response, prWholePageOnly, pageText);
  busy = false;
  if (!ok) {
    if (notifier)
      notifier->OnNewsReceived(this, 0);
    return;
  }
  if (!changeGate || changeGate->IsNew(pageText))
    ExtractNews();
  TrackPageChange();
  // Between two fetches a source holds nothing of the page's size: the
  // detectors keep fingerprints only.
  sparePage.Keep(pageText);
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
    parser->Release();
  }
  if (notifier)
    notifier->OnNewsReceived(this, found);
}

bool NewsSource::TrackPageChange() {
  if (!noveltyDetection || !pageTracker || !pageTracker->IsNew(pageText))
    return false;
  // No link to a copy that could not be written.
  const AnsiString copy = keepChangeTrack ? pageTracker->GetLastCopyPath() : "";
  const AnsiString link = copy.empty() ? "" : "file://" + copy;
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
    dated += Trim(item->dateText).size() > 4 ? 1 : 0;
  int undated = total - dated;
  // In a mostly dated list the undated rows, and rows without a usable link,
  // are noise.
  bool pruning = total > 5 && undated > 0 && undated <= 0.15 * total;
  int committed = 0;
  for (auto& item : candidates) {
    if (IsKnown(item.get()))
      continue;
    if (pruning && (Trim(item->dateText).size() <= 4 || Trim(item->link).size() <= 5))
      continue;
    news.push_back(std::move(item));
    ++committed;
  }
  candidates.clear();
  return committed;
}
