#pragma once
// One watched web page: its request cycle, the change gate that spares the
// detection passes an unchanged page, the passes that find dated news items
// in the page's tables, blocks and repeated fragments, and the items found.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>
#include <vector>

#include "engine/Chttpthread.h"
#include "engine/Htmlhrefextractor.h"
#include "engine/Htmlnoveltydetector.h"
#include "engine/Newsdata.h"
#include "engine/Smartparser.h"
#include "platform/rtl/Sysutils.h"

class CHttpProxyConfig;
class CSmartDataStructure;
class TPCRegexp;
class NewsSource;

// Receives a source's reports on the main thread: the number of items just
// committed (0 after a failure or when nothing new was found), or 1 for a
// page-change event.
class NewsUpdater {
public:
  virtual ~NewsUpdater() = default;
  virtual void OnNewsReceived(NewsSource* source, int32_t count) {
    (void)source;
    (void)count;
  }
};

// The source's listener of its HTTP transactions.
class NewsCallback : public CHttpCallback {
public:
  // Stores the owner and becomes the owner's listener.
  explicit NewsCallback(NewsSource* source);
  // A transaction still running for this listener is told to terminate, so
  // that its result never reaches a source that is gone.
  ~NewsCallback() override;
  void OnHttpEvent(int status, const char* body, unsigned bodyLength, const char* header,
                   unsigned headerLength) override;
  void OnHttpResponse(const THttpResponse& response) override;

  NewsSource* owner; // not owned
};

using TNewsList = std::vector<std::unique_ptr<NewsData>>;

class NewsSource {
public:
  static constexpr int RequestTimeOutMs = 60000;
  // The mode bits of DetectNews: below the top level, bit 1 lets tables and
  // bit 2 lets blocks qualify; any mode but 0 runs the top-level tests and
  // the stride scan. A fetched page is detected with every bit.
  static constexpr int32_t DetectTables = 1;
  static constexpr int32_t DetectBlocks = 2;
  static constexpr int32_t DetectAll = 7;

  explicit NewsSource(NewsUpdater* newsNotifier);
  ~NewsSource();
  NewsSource(const NewsSource&) = delete;
  NewsSource& operator=(const NewsSource&) = delete;

  // Request cycle.
  int StartRequest();
  bool IsBusy() const;
  void SetUrl(const AnsiString& newUrl);
  const AnsiString& GetUrl() const;
  bool HasUrl(const AnsiString& text) const;
  void SetOptions(bool novelty, bool keepTrack, bool ignoreTags, bool ignoreDateTimes,
                  bool ignoreHexaNumbers);
  void SetHistoryLength(int32_t length);
  bool IsDue(int32_t interval) const;
  void OnHttpEvent(int status, const char* body, unsigned bodyLength, const char* header,
                   unsigned headerLength);
  void OnHttpResponse(const THttpResponse& response);

  // Items.
  AnsiString MakeAbsoluteUrl(const AnsiString& href) const;
  int GetNewsCount() const;
  // Null when the index is out of range.
  NewsData* GetNews(int index) const;
  void AddNews(std::unique_ptr<NewsData> item);
  bool IsKnown(const NewsData* item) const;
  // False for a null list.
  bool IsInList(const NewsData* item, const TNewsList* list) const;
  void ExtractNews();
  bool TrackPageChange();
  // Moves the candidates into news, dropping known ones and, in a mostly
  // dated list, the undated ones; the number committed.
  int CommitCandidates();
  int SaveNews(FILE* file) const;
  int ClearNews();
  void DeleteCacheFiles();

  // Detection passes over the parsed page; each returns the number of
  // candidates it added.
  int DetectNews(int32_t mode);
  int ScanChildren(CSmartDataStructure* node, int32_t mode);
  bool IsDatedTable(CSmartDataStructure* node);
  int ExtractDatedTable(CSmartDataStructure* node);
  bool IsDatedBlock(CSmartDataStructure* node);
  int ExtractDatedBlock(CSmartDataStructure* node);
  int ScanDatedItems(CSmartDataStructure* root);

  std::unique_ptr<NewsCallback> listener;
  bool busy = false;
  NewsUpdater* notifier; // not owned
  CHtmlHrefExtractor hrefExtractor;
  CHTTPTransaction* transaction = nullptr; // not owned: it frees itself
  std::unique_ptr<CSmartParser> parser;
  std::unique_ptr<CNoveltyDetector> pageTracker;
  std::unique_ptr<CNoveltyDetector> changeGate;
  AnsiString url;
  bool newsExtraction = true;
  bool noveltyDetection = false;
  bool keepChangeTrack = true;
  bool ignoreHtmlTags = true;
  bool ignoreDates = true;
  bool ignoreBigHexaNumbers = true;
  int32_t historyLength = 3;
  AnsiString name;
  AnsiString note;
  TNewsList news;       // oldest first
  TNewsList candidates; // found by the running detection pass
  AnsiString pageText;
  bool enabled = false;
  TDateTime lastRequest = 0;

private:
  // The patterns of the dated-block test, shared by all live sources.
  static std::unique_ptr<TPCRegexp> liPattern;
  static std::unique_ptr<TPCRegexp> ulPattern;
  static std::unique_ptr<TPCRegexp> brPattern;
  static int liveSources;

  // Every match of the list patterns in the page, in page order, while
  // DetectNews runs. These patterns match where a '<' starts them and never
  // overlap, so the matches in a node's HTML are those of the page within
  // its span: the counts of every node, however deeply nested, take two
  // binary searches instead of a search of its HTML.
  static constexpr int ListPatternCount = 3;
  struct TListMatches {
    std::vector<int> starts[ListPatternCount];
    std::vector<int> ends[ListPatternCount];
    bool built = false;
  };
  TListMatches listTags;

  // The node's part of the page text.
  AnsiString NodeHtml(const CSmartDataStructure* node) const;
  AnsiString NodeText(const CSmartDataStructure* node) const;
  std::string_view NodeSpan(const CSmartDataStructure* node) const;
  // The node's text when it is shorter than limit characters; false for a
  // longer one, which is told without converting all of it.
  bool NodeShortText(const CSmartDataStructure* node, size_t limit, AnsiString& text) const;
  // The matches of a list pattern in the node's HTML, as CountMatches
  // counts them; the first outSize match starts, relative to the node, go to
  // out.
  int CountListMatches(const CSmartDataStructure* node, int pattern, int* out = nullptr,
                       int outSize = 0) const;
  // Appends the item unless a candidate is the same; true when appended.
  bool AddCandidate(std::unique_ptr<NewsData> item);
  // The li, ul and br counts of the node's HTML, cached in the node.
  void CountListTags(CSmartDataStructure* node, int& li, int& ul, int& br);
  // A candidate from an HTML fragment that looks like a dated entry; null
  // when it does not or the fragment analysis fails.
  std::unique_ptr<NewsData> FragmentItem(const AnsiString& html);
  static TPCRegexp* ListPattern(int kind);
};

// The page text of a fetched (and decoded) body: its zero bytes, which
// would end the text early, become blanks.
AnsiString PageFromBody(const char* body, size_t length);

// What a response gives whose coding is not known.
enum TPageRule {
  // A news source takes only a page it can read: an unknown coding gives
  // none.
  prWholePageOnly,
  // The wizard shows what it can: an unknown coding's body as it came.
  prWhatCanBeShown,
};

// The page text a response gives, its zero bytes blanked: the page the
// worker inflated from a compressed body, else a body without coding as it
// came. False, page untouched, for a failure, a compressed body without
// the worker's page, and what rule refuses.
bool PageOfResponse(const THttpResponse& response, TPageRule rule, AnsiString& page);

// The one proxy configuration of the process; null until created.
extern CHttpProxyConfig* ProxyConfig;
void CreateProxyConfig();
void DeleteProxyConfig();
// What a transaction asks on its worker for the proxy of its URL: the
// process-wide proxy configuration with the script path; null (direct)
// without a configuration.
CHTTPTransaction::TProxyLookup ProxyLookup();
