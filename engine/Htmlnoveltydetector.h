#pragma once
// Tells a fetched page from the pages seen before by the fingerprint of its
// normalised text, and keeps copies of new pages in the page cache.
#include <memory>
#include <vector>

#include "platform/rtl/Sysutils.h"

class TMatchSearch;

// The patterns removed from a page before its fingerprint is taken, each
// searched by a scanner written for it.
enum TNormalisationPatternKind { npDate, npTime, npHexId };
const TMatchSearch& NormalisationSearch(TNormalisationPatternKind kind);

class CPageStamp {
public:
  CPageStamp(AnsiString fingerprint, TDateTime time)
      : Fingerprint(std::move(fingerprint)), Time(time) {}
  AnsiString Fingerprint;
  TDateTime Time; // when the page was found new
};

class CNoveltyDetector {
public:
  CNoveltyDetector(const AnsiString& url, bool keepCopies, bool htmlToText, bool stripDateTime,
                   bool stripHexIds);

  bool IsNew(const AnsiString& page);
  // A changed flag clears the history; the history is then cut to the depth.
  void SetFlags(bool keepCopies, bool htmlToText, bool stripDateTime, bool stripHexIds);
  // The history length, 1 to 1024; the oldest fingerprints beyond it go.
  void SetDepth(int depth);
  void ClearHistory() { History.clear(); }
  int GetHistoryCount() const { return static_cast<int>(History.size()); }
  int GetDepth() const { return Depth; }
  bool GetKeepCopies() const { return KeepCopies; }
  // The number of the last saved copy; the sources file keeps it so that the
  // numbering continues across runs.
  int GetCopyCounter() const { return CopyCounter; }
  void SetCopyCounter(int counter) { CopyCounter = counter; }
  // The copy of the current number, or "" when no copies are kept or the
  // copy of the last new page could not be written.
  AnsiString GetLastCopyPath() const;
  // The fingerprint of the last page given to IsNew.
  const AnsiString& GetFingerprint() const { return Fingerprint; }
  const AnsiString& GetFileName() const { return FileName; }

  void DeleteCacheFiles();
  // Deletes every "*.htm" file of the cache folder; returns how many were found.
  static int DeleteAllCacheFiles();
  // The folder of the page cache, ending in the path delimiter: "cache/"
  // beside the executable unless set otherwise.
  static AnsiString GetCacheFolder();
  static void SetCacheFolder(const AnsiString& folder);

  // The fingerprint of a page normalised with the given flags: 32 symbols of
  // the alphabet "1234567890ABCDEF".
  static AnsiString Fingerprint32(const AnsiString& page, bool htmlToText, bool stripDateTime,
                                  bool stripHexIds);

private:
  void EnsureCacheFolder();
  void TrimHistory();
  AnsiString CopyPath(int number) const;
  void SaveCopy(const AnsiString& page);

  AnsiString Url;
  AnsiString FileName;
  bool KeepCopies;
  bool HtmlToTextOn;
  bool StripDateTime;
  bool StripHexIds;
  int Depth = 3;
  std::vector<std::unique_ptr<CPageStamp>> History; // oldest first
  int CopyCounter = 0;
  bool LastCopySaved = true;
  AnsiString Fingerprint;
};
