#pragma once
// The list of watched sources: creating, finding and deleting sources, the
// round-robin scheduler that picks the next source to request, the news of
// all sources, and the sources file and the news file.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/rtl/Sysutils.h"

class CDataMatcher;
class NewsData;
class NewsSource;
class NewsUpdater;

// The record from which the list creates a source.
struct SourceDefinition {
  AnsiString name;
  AnsiString url;
  bool enabled = false;
  bool newsExtraction = true;
  bool noveltyDetection = false;
  bool keepChangeTrack = true;
  bool ignoreHtmlTags = true;
  bool ignoreDates = true;
  bool ignoreBigHexaNumbers = true;
  int32_t historyLength = 3;
  int32_t trackerCounter = 0; // page copies stored so far; numbering goes on from it
};

using TSourceList = std::vector<std::unique_ptr<NewsSource>>;

class NewsExtractor {
public:
  static constexpr const char* SourcesFileVersion = "1.020b";

  explicit NewsExtractor(NewsUpdater* newsNotifier);
  // Deleting a source stops its running request first, so no result reaches
  // a source that is gone.
  ~NewsExtractor();
  NewsExtractor(const NewsExtractor&) = delete;
  NewsExtractor& operator=(const NewsExtractor&) = delete;

  int GetSourceCount() const;
  int GetEnabledCount() const;
  // Null when the index is out of range.
  NewsSource* GetSource(int index) const;
  // Parks the source: it stays alive, with its items, until the list goes.
  void DeleteSource(int index);
  NewsSource* FindSourceByUrl(const AnsiString& url) const;
  NewsSource* FindSourceByName(const AnsiString& name) const;
  void AddSource(SourceDefinition definition);
  int GetBusyCount() const;
  // The next idle, enabled source due for a request after interval seconds,
  // round robin after the one returned last; null when none is, or when
  // maxRequest sources are busy.
  NewsSource* GetNextSource(int32_t interval);
  // No source, parked ones included, reports any more.
  void DetachNotifiers();

  // A file that was not loaded whole (unreadable, refused, with a damaged
  // block or items of no source) is never overwritten by what was not
  // loaded from it: the first save over it sets it aside beside itself and
  // says where in a message box. A failed save is reported in a message box
  // and leaves the file there before whole.

  // False when the file could not be written whole.
  bool SaveSources(const AnsiString& fileName);
  // False when the file cannot be opened; a wrong version line is shown in a
  // message box and loads nothing. Each block begins with a "----" line: a
  // block with a line missing or too many costs only that block.
  bool LoadSources(const AnsiString& fileName);
  // 0, or -1 when the file could not be written whole.
  int SaveNews(const AnsiString& fileName);
  // Items of unknown sources and items the matcher finds too old are dropped.
  int LoadNews(const AnsiString& fileName, const CDataMatcher* matcher);

  // Appends every item of every source; the number appended.
  int GetAllNews(std::vector<NewsData*>& list) const;
  int ClearAllNews();

  static void SetMaxRequest(int32_t count);

  // The scheduler's rotating position and the limit of busy sources, shared
  // by every list of the process.
  static int32_t nextIndex;
  static int32_t maxRequest;

  int32_t maxSources = 100;
  TSourceList sources;
  TSourceList removedSources; // parked
  NewsUpdater* notifier;      // not owned
  // The files last loaded that were not read whole, until set aside.
  AnsiString unreadSourcesFile;
  AnsiString unreadNewsFile;
};

// Pieces of the two file formats, shared with NewsSource::SaveNews.

// The text as one line of a file: CR and LF become blanks.
AnsiString AsFileLine(const AnsiString& text);
// A day count as "%lf" writes it in the C locale, whatever the user's locale:
// fixed notation with six decimals.
AnsiString FormatDayCount(TDateTime value);
// The leading decimal number of the text in the C locale; 0 without one, or
// when it is no day of the years 1900 to 9999 (a damaged line).
TDateTime ParseDayCount(const AnsiString& text);
