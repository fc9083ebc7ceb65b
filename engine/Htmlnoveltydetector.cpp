#include "engine/Htmlnoveltydetector.h"

#include <algorithm>
#include <cstdio>

#include "engine/Htmltools.h"
#include "engine/Newstools.h"
#include "engine/Pcregexp.h"
#include "engine/Stdblockhash.h"
#include "platform/rtl/Fileutils.h"
#include "platform/rtl/Messages.h"

namespace {

const int MinDepth = 1;
const int MaxDepth = 1024;

struct TCacheState {
  AnsiString Folder = IncludeTrailingPathDelimiter(ExtractFilePath(ParamStr(0)) + "cache");
  bool KnownToExist = false;
};

TCacheState& Cache() {
  static TCacheState state;
  return state;
}

const TPCRegexp& DatePattern() {
  static const TPCRegexp pattern(
      "[0-9][0-9]?[0-9]?[0-9]?[/-][0-9][0-9]?[/-][0-9][0-9]?[0-9]?[0-9]?");
  return pattern;
}

const TPCRegexp& TimePattern() {
  static const TPCRegexp pattern("[0-9][0-9]?[h:-][0-9][0-9]?([m:-][0-9][0-9]?)?");
  return pattern;
}

const TPCRegexp& HexIdPattern() {
  static const TPCRegexp pattern("[0-9A-Fa-f]{5}");
  return pattern;
}

// The URL as a file name: letters and digits kept, all else '_', then ".htm".
AnsiString CacheFileName(const AnsiString& url) {
  AnsiString name = Trim(url);
  for (char& c : name) {
    bool alphanumeric = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!alphanumeric)
      c = '_';
  }
  return name + ".htm";
}

int DeleteMatchingFiles(const AnsiString& mask) {
  const AnsiString& folder = Cache().Folder;
  std::vector<AnsiString> found = FindFiles(folder, mask);
  for (const AnsiString& name : found) {
    AnsiString path = folder + name;
    if (FileExists(path))
      DeleteFile(path);
  }
  return static_cast<int>(found.size());
}

} // namespace

CNoveltyDetector::CNoveltyDetector(const AnsiString& url, bool keepCopies, bool htmlToText,
                                   bool stripDateTime, bool stripHexIds)
    : Url(url), FileName(CacheFileName(url)), KeepCopies(keepCopies), HtmlToTextOn(htmlToText),
      StripDateTime(stripDateTime), StripHexIds(stripHexIds) {
  EnsureCacheFolder();
}

void CNoveltyDetector::EnsureCacheFolder() {
  TCacheState& cache = Cache();
  if (!KeepCopies || cache.KnownToExist)
    return;
  if (DirectoryExists(cache.Folder) || ForceDirectories(cache.Folder)) {
    cache.KnownToExist = true;
    return;
  }
  AnsiString text =
      "Failed to create/access cache directory : '" + cache.Folder + "'\nCache track disabled ...";
  MessageBox(text.c_str(), "Error", MB_OK | MB_ICONERROR);
  KeepCopies = false;
}

AnsiString CNoveltyDetector::Fingerprint32(const AnsiString& page, bool htmlToText,
                                           bool stripDateTime, bool stripHexIds) {
  AnsiString work = Trim(page);
  if (htmlToText)
    work = HtmlToText(work);
  if (stripDateTime) {
    work = RemoveAllMatches(work, DatePattern());
    work = RemoveAllMatches(work, TimePattern());
  }
  if (stripHexIds)
    work = RemoveAllMatches(work, HexIdPattern());
  work = RemoveWhiteSpace(work);
  StdBlockHash hash(hmMD5, nullptr);
  unsigned char digest[16];
  hash.Compute(reinterpret_cast<const unsigned char*>(work.data()), static_cast<int>(work.size()),
               digest);
  StdBlockConvertor convertor;
  convertor.SetAlphabet("1234567890ABCDEF");
  return convertor.Encode(digest, hash.GetDigestSize()).get();
}

bool CNoveltyDetector::IsNew(const AnsiString& page) {
  if (std::all_of(page.begin(), page.end(), IsTrimmed))
    return false;
  Fingerprint = Fingerprint32(page, HtmlToTextOn, StripDateTime, StripHexIds);
  bool seen = std::any_of(History.begin(), History.end(),
                          [&](const auto& stamp) { return stamp->Fingerprint == Fingerprint; });
  if (seen)
    return false;
  if (KeepCopies)
    SaveCopy(page);
  // Not trimmed here: until the depth is set again, a page that returns to
  // any state seen since is not new.
  History.push_back(std::make_unique<CPageStamp>(Fingerprint, Now()));
  return true;
}

void CNoveltyDetector::SaveCopy(const AnsiString& page) {
  ++CopyCounter;
  // Written whole or not at all: a cut copy would be linked as the page.
  LastCopySaved = WriteFileSafely(CopyPath(CopyCounter), [&page](FILE* file) {
    std::fwrite(page.data(), 1, page.size(), file);
  });
  // The number of a copy that could not be written is used by the next one.
  if (!LastCopySaved)
    --CopyCounter;
}

void CNoveltyDetector::SetFlags(bool keepCopies, bool htmlToText, bool stripDateTime,
                                bool stripHexIds) {
  bool changed = keepCopies != KeepCopies || htmlToText != HtmlToTextOn ||
                 stripDateTime != StripDateTime || stripHexIds != StripHexIds;
  KeepCopies = keepCopies;
  HtmlToTextOn = htmlToText;
  StripDateTime = stripDateTime;
  StripHexIds = stripHexIds;
  if (changed)
    ClearHistory();
  TrimHistory();
}

void CNoveltyDetector::SetDepth(int depth) {
  Depth = std::clamp(depth, MinDepth, MaxDepth);
  TrimHistory();
}

void CNoveltyDetector::TrimHistory() {
  if (History.size() > static_cast<size_t>(Depth))
    History.erase(History.begin(), History.end() - Depth);
}

AnsiString CNoveltyDetector::CopyPath(int number) const {
  char suffix[32];
  std::snprintf(suffix, sizeof suffix, "%05ld.htm", static_cast<long>(number));
  return Cache().Folder + FileName + suffix;
}

AnsiString CNoveltyDetector::GetLastCopyPath() const {
  return KeepCopies && LastCopySaved ? CopyPath(CopyCounter) : AnsiString();
}

void CNoveltyDetector::DeleteCacheFiles() {
  DeleteMatchingFiles(FileName + "?????.htm");
}

int CNoveltyDetector::DeleteAllCacheFiles() {
  return DeleteMatchingFiles("*.htm");
}

AnsiString CNoveltyDetector::GetCacheFolder() {
  return Cache().Folder;
}

void CNoveltyDetector::SetCacheFolder(const AnsiString& folder) {
  Cache().Folder = IncludeTrailingPathDelimiter(folder);
  Cache().KnownToExist = false;
}
