#include "engine/Htmlnoveltydetector.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "engine/Htmltools.h"
#include "engine/Newstools.h"
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

// The classes of the characters the three patterns are made of, one table
// lookup each.
enum : unsigned char { ccDigit = 1, ccHex = 2, ccMinuteSeparator = 4, ccWhiteSpace = 8 };

constexpr std::array<unsigned char, 256> MakeCharClasses() {
  std::array<unsigned char, 256> classes{};
  for (int c = '0'; c <= '9'; ++c)
    classes[c] = ccDigit | ccHex;
  for (int c = 'a'; c <= 'f'; ++c)
    classes[c] = classes[c - 'a' + 'A'] = ccHex;
  classes['-'] |= ccMinuteSeparator;
  classes[':'] |= ccMinuteSeparator;
  classes['m'] |= ccMinuteSeparator;
  for (int c : {' ', '\n', '\r', '\t'})
    classes[c] = ccWhiteSpace;
  return classes;
}

constexpr std::array<unsigned char, 256> CharClasses = MakeCharClasses();

bool IsOf(char c, unsigned char classes) {
  return (CharClasses[static_cast<unsigned char>(c)] & classes) != 0;
}

// The digits at text[at, length), counted up to most.
int DigitsAfter(const char* text, int length, int at, int most) {
  int count = 0;
  while (count < most && at + count < length && IsOf(text[at + count], ccDigit))
    ++count;
  return count;
}

// The digits right before text[at], not before from, counted up to most.
int DigitsBefore(const char* text, int from, int at, int most) {
  int count = 0;
  while (count < most && at - count - 1 >= from && IsOf(text[at - count - 1], ccDigit))
    ++count;
  return count;
}

// Sixteen bytes at a time, by the compiler's vector extension.
using TBytes = unsigned char __attribute__((vector_size(16)));

TBytes Load(const char* text) {
  TBytes bytes;
  std::memcpy(&bytes, text, sizeof bytes);
  return bytes;
}

template <typename TVector> bool AnyOf(TVector flags) {
  uint64_t halves[2];
  std::memcpy(halves, &flags, sizeof halves);
  return (halves[0] | halves[1]) != 0;
}

// The next position at or after at (at least 1) whose character is one of the
// separators and follows a digit, or length: where a date or a time can have
// its first separator. Both are rare in most text, so sixteen places are
// tested at once until one of them is such a place.
template <unsigned char... Separators>
int NextSeparatorAfterDigit(const char* text, int length, int at) {
  for (; at + 16 <= length; at += 16) {
    const TBytes here = Load(text + at);
    const TBytes before = Load(text + at - 1);
    if (AnyOf(((here == Separators) | ...) & (before >= '0') & (before <= '9')))
      break;
  }
  for (; at < length; ++at) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (((c == Separators) || ...) && IsOf(text[at - 1], ccDigit))
      break;
  }
  return at;
}

// Each scanner below finds what its pattern finds. A pattern begins with a
// run of one to n digits that must end at a separator: the separator comes
// first, and the match starts at most n digits before it. Separators are no
// digits, so the starts of later separators lie further on, and the first
// separator that completes a match gives the leftmost match. Repeats of a
// digit are greedy and a following separator can never be a digit, so each
// run is either taken whole up to its limit or the match fails.

// [0-9][0-9]?[0-9]?[0-9]?[/-][0-9][0-9]?[/-][0-9][0-9]?[0-9]?[0-9]?
class TDateSearch : public TMatchSearch {
public:
  int Find(const char* text, int length, int from, int& matchLength) const override {
    for (int at = NextSeparatorAfterDigit<'/', '-'>(text, length, from + 1); at < length;
         at = NextSeparatorAfterDigit<'/', '-'>(text, length, at + 1)) {
      const int lead = DigitsBefore(text, from, at, 4);
      const int middle = DigitsAfter(text, length, at + 1, 3);
      const int second = at + 1 + middle;
      if (middle == 0 || middle > 2 || second >= length ||
          (text[second] != '/' && text[second] != '-'))
        continue;
      const int tail = DigitsAfter(text, length, second + 1, 4);
      if (tail == 0)
        continue;
      matchLength = lead + 1 + middle + 1 + tail;
      return at - lead;
    }
    return -1;
  }
  long LongestMatch() const override { return 12; }
};

// [0-9][0-9]?[h:-][0-9][0-9]?([m:-][0-9][0-9]?)?
class TTimeSearch : public TMatchSearch {
public:
  int Find(const char* text, int length, int from, int& matchLength) const override {
    for (int at = NextSeparatorAfterDigit<'h', ':', '-'>(text, length, from + 1); at < length;
         at = NextSeparatorAfterDigit<'h', ':', '-'>(text, length, at + 1)) {
      const int hours = DigitsBefore(text, from, at, 2);
      const int minutes = DigitsAfter(text, length, at + 1, 2);
      if (minutes == 0)
        continue;
      int end = at + 1 + minutes;
      // The seconds are optional: without a digit after their separator the
      // match ends with the minutes.
      if (end + 1 < length && IsOf(text[end], ccMinuteSeparator) && IsOf(text[end + 1], ccDigit))
        end += 1 + DigitsAfter(text, length, end + 1, 2);
      matchLength = end - (at - hours);
      return at - hours;
    }
    return -1;
  }
  long LongestMatch() const override { return 8; }
};

// [0-9A-Fa-f]{5}
class THexIdSearch : public TMatchSearch {
public:
  // A character that is no hexadecimal digit rules out every match that
  // would hold it, so the search tests the last character of the first
  // place left and moves past it when it is none.
  int Find(const char* text, int length, int from, int& matchLength) const override {
    int at = from;
    while (at + IdLength <= length) {
      int last = at + IdLength - 1;
      if (!IsOf(text[last], ccHex)) {
        at = last + 1;
        continue;
      }
      while (last > at && IsOf(text[last - 1], ccHex))
        --last;
      if (last == at) {
        matchLength = IdLength;
        return at;
      }
      at = last;
    }
    return -1;
  }
  long LongestMatch() const override { return IdLength; }

private:
  static constexpr int IdLength = 5;
};

const TDateSearch DateSearch;
const TTimeSearch TimeSearch;
const THexIdSearch HexIdSearch;

// In the order of TNormalisationPatternKind.
const TMatchSearch* const NormalisationSearches[] = {&DateSearch, &TimeSearch, &HexIdSearch};

// Removes blanks, LF, CR and TAB in place; the new length. Every character
// is written and the output moves on past the ones kept, without a branch
// per character.
size_t RemoveWhiteSpace(char* text, size_t length) {
  size_t kept = 0;
  for (size_t i = 0; i < length; ++i) {
    const char c = text[i];
    text[kept] = c;
    kept += (CharClasses[static_cast<unsigned char>(c)] & ccWhiteSpace) == 0 ? 1 : 0;
  }
  return kept;
}

// The URL as a file name: letters and digits kept, every other character
// '_', then ".htm". A '_' of the URL is written "-5F" first, so that
// "a_b" and "a-b" do not share their copies; no character becomes '-'
// otherwise, and a name without '_' in its URL is the one it always was.
AnsiString CacheFileName(const AnsiString& url) {
  AnsiString name;
  for (const char c : Trim(url)) {
    const bool alphanumeric =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (c == '_')
      name += "-5F";
    else
      name += alphanumeric ? c : '_';
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

const TMatchSearch& NormalisationSearch(TNormalisationPatternKind kind) {
  return *NormalisationSearches[kind];
}

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

// The page is normalised in one buffer, each step in place.
AnsiString CNoveltyDetector::Fingerprint32(const AnsiString& page, bool htmlToText,
                                           bool stripDateTime, bool stripHexIds) {
  const std::string_view trimmed = TrimmedView(page);
  static thread_local TTextSpare spare;
  AnsiString work;
  spare.Lend(work, trimmed.data(), trimmed.size());
  char* text = work.data();
  size_t length = work.size();
  if (htmlToText)
    length = HtmlToText(text);
  if (stripDateTime) {
    length = RemoveAllMatches(text, length, NormalisationSearch(npDate));
    length = RemoveAllMatches(text, length, NormalisationSearch(npTime));
  }
  if (stripHexIds)
    length = RemoveAllMatches(text, length, NormalisationSearch(npHexId));
  length = RemoveWhiteSpace(text, length);
  StdBlockHash hash(hmMD5, nullptr);
  unsigned char digest[16];
  hash.Compute(reinterpret_cast<const unsigned char*>(text), static_cast<int>(length), digest);
  spare.Keep(work);
  // Setting the alphabet costs more than encoding a digest: done once.
  static thread_local StdBlockConvertor convertor = [] {
    StdBlockConvertor made;
    made.SetAlphabet("1234567890ABCDEF");
    return made;
  }();
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
