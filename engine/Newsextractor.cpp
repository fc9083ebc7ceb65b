#include "engine/Newsextractor.h"

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "engine/Htmltools.h"
#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "platform/rtl/Fileutils.h"
#include "platform/rtl/Messages.h"

int32_t NewsExtractor::nextIndex = 0;
int32_t NewsExtractor::maxRequest = 4;

namespace {

constexpr int SourceBlockLines = 13;
constexpr int NewsItemLines = 6;

// Reads whole lines of any length; a line ends with CR LF, LF or CR, and the
// last line of a file needs no line break.
class TLineReader {
public:
  explicit TLineReader(FILE* file) : file_(file) {}

  // The next line without its terminator; false at the end of the file.
  bool ReadLine(AnsiString& line) {
    line.clear();
    for (int c = std::getc(file_); c != EOF; c = std::getc(file_)) {
      if (c == '\n')
        return true;
      if (c == '\r') {
        const int next = std::getc(file_);
        if (next != '\n' && next != EOF)
          std::ungetc(next, file_);
        return true;
      }
      line.push_back(static_cast<char>(c));
    }
    return !line.empty();
  }

  // The number of lines read, below count when the file ends first.
  int ReadLines(AnsiString* lines, int count) {
    for (int i = 0; i < count; ++i)
      if (!ReadLine(lines[i]))
        return i;
    return count;
  }

private:
  FILE* file_;
};

class TFileCloser {
public:
  explicit TFileCloser(FILE* file) : file_(file) {}
  ~TFileCloser() { std::fclose(file_); }
  TFileCloser(const TFileCloser&) = delete;
  TFileCloser& operator=(const TFileCloser&) = delete;

private:
  FILE* file_;
};

AnsiString WithoutBlanksAndTabs(AnsiString text) {
  std::erase_if(text, [](char c) { return c == ' ' || c == '\t'; });
  return text;
}

// Leading white space, an optional sign, then digits, as the C library reads
// them; 0 without digits.
int32_t ParseInteger(const AnsiString& text) {
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return static_cast<int32_t>(std::clamp<long>(value, INT32_MIN, INT32_MAX));
}

const char* BooleanText(bool value) {
  return value ? "true" : "false";
}

SourceDefinition DefinitionFromBlock(const AnsiString* block) {
  SourceDefinition definition;
  definition.url = Trim(block[1]);
  definition.name = Trim(block[2]);
  bool* flags[] = {&definition.enabled,
                   &definition.newsExtraction,
                   &definition.noveltyDetection,
                   &definition.keepChangeTrack,
                   &definition.ignoreHtmlTags,
                   &definition.ignoreDates,
                   &definition.ignoreBigHexaNumbers};
  for (int i = 0; i < 7; ++i)
    *flags[i] = WithoutBlanksAndTabs(block[4 + i]) == "true";
  definition.historyLength = ParseInteger(WithoutBlanksAndTabs(block[11]));
  definition.trackerCounter = ParseInteger(WithoutBlanksAndTabs(block[12]));
  return definition;
}

void WriteSourceBlock(FILE* file, const NewsSource& source) {
  std::fprintf(file, "----\r\n%s\r\n%s\r\n%s\r\n", AsFileLine(source.url).c_str(),
               AsFileLine(source.name).c_str(), AsFileLine(source.note).c_str());
  for (bool flag :
       {source.enabled, source.newsExtraction, source.noveltyDetection, source.keepChangeTrack,
        source.ignoreHtmlTags, source.ignoreDates, source.ignoreBigHexaNumbers})
    std::fprintf(file, "%s\r\n", BooleanText(flag));
  const long counter = source.pageTracker ? source.pageTracker->GetCopyCounter() : 0;
  std::fprintf(file, "%d\r\n%ld\r\n", source.historyLength, counter);
}

// The version line holds six characters once blanks and tabs are gone, and
// only its last two are compared: every version from "0b" upward is read.
bool AcceptVersionLine(const AnsiString& line) {
  const AnsiString version = WithoutBlanksAndTabs(line);
  if (version.size() != 6) {
    MessageBox("Incorrect source file", "Error", MB_OK);
    return false;
  }
  if (version.compare(4, 2, "0b") < 0) {
    MessageBox("Unsupported source file version", "Error", MB_OK);
    return false;
  }
  return true;
}

bool IsBlockStart(const AnsiString& line) {
  return Trim(line) == "----";
}

// Anything at the path, also a file that cannot be read or a link that leads
// nowhere.
bool PathTaken(const AnsiString& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path.c_str(), error));
}

// Moves a file that was not loaded whole out of the way of the one about to be
// written, beside itself, and says where; false when it cannot be moved, and
// then it must not be overwritten either.
bool SetFileAside(const AnsiString& fileName, const AnsiString& what) {
  if (!PathTaken(fileName))
    return true;
  AnsiString aside = fileName + ".unread";
  for (int n = 2; PathTaken(aside) && n <= 99; ++n)
    aside = fileName + ".unread" + std::to_string(n);
  if (PathTaken(aside) || !RenameFile(fileName, aside)) {
    const AnsiString text = "The " + what + " file '" + fileName +
                            "' could not be read whole and cannot be set aside: it is left as it "
                            "is and nothing was saved over it.";
    MessageBox(text.c_str(), "Error", MB_OK | MB_ICONERROR);
    return false;
  }
  const AnsiString text = "The " + what + " file '" + fileName +
                          "' could not be read whole; it is kept as '" + aside + "'.";
  MessageBox(text.c_str(), "Warning", MB_OK | MB_ICONWARNING);
  return true;
}

// Saves a file safely in place of fileName, setting aside first the file
// there when it was not loaded whole; every failure is reported.
bool SaveFile(const AnsiString& fileName, AnsiString& unreadFile, const AnsiString& what,
              const std::function<void(FILE*)>& write) {
  if (!unreadFile.empty() && unreadFile == fileName) {
    if (!SetFileAside(fileName, what))
      return false;
    unreadFile.clear();
  }
  if (WriteFileSafely(fileName, write))
    return true;
  const AnsiString text = "Failed to save the " + what + " file '" + fileName +
                          "'; the file there before is unchanged.";
  MessageBox(text.c_str(), "Error", MB_OK | MB_ICONERROR);
  return false;
}

} // namespace

AnsiString AsFileLine(const AnsiString& text) {
  AnsiString line = text;
  std::replace(line.begin(), line.end(), '\r', ' ');
  std::replace(line.begin(), line.end(), '\n', ' ');
  return line;
}

AnsiString FormatDayCount(TDateTime value) {
  // Room for the largest value in fixed notation: sign, 309 digits, point
  // and six decimals.
  char buffer[DBL_MAX_10_EXP + 16];
  const auto result =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  return AnsiString(buffer, result.ptr);
}

TDateTime ParseDayCount(const AnsiString& text) {
  const char* first = text.c_str();
  while (*first == ' ' || *first == '\t')
    ++first;
  if (*first == '+')
    ++first;
  double value = 0;
  if (std::from_chars(first, text.c_str() + text.size(), value).ec != std::errc())
    return 0;
  // "nan", "inf" and days outside the calendar (1 January 1900 to 31 December
  // 9999) are no reception time; as 0 they are old, not new for ever.
  constexpr TDateTime FirstDay = 2, EndDay = 2958466;
  return value >= FirstDay && value < EndDay ? value : 0;
}

NewsExtractor::NewsExtractor(NewsUpdater* newsNotifier) : notifier(newsNotifier) {}

NewsExtractor::~NewsExtractor() {
  sources.clear();
  removedSources.clear();
}

int NewsExtractor::GetSourceCount() const {
  return static_cast<int>(sources.size());
}

int NewsExtractor::GetEnabledCount() const {
  return static_cast<int>(
      std::count_if(sources.begin(), sources.end(), [](const auto& s) { return s->enabled; }));
}

NewsSource* NewsExtractor::GetSource(int index) const {
  if (index < 0 || index >= GetSourceCount())
    return nullptr;
  return sources[index].get();
}

void NewsExtractor::DeleteSource(int index) {
  if (!GetSource(index))
    return;
  removedSources.push_back(std::move(sources[index]));
  sources.erase(sources.begin() + index);
}

NewsSource* NewsExtractor::FindSourceByUrl(const AnsiString& url) const {
  for (const auto& source : sources)
    if (source->url == url)
      return source.get();
  return nullptr;
}

NewsSource* NewsExtractor::FindSourceByName(const AnsiString& name) const {
  for (const auto& source : sources)
    if (source->name == name)
      return source.get();
  return nullptr;
}

void NewsExtractor::AddSource(SourceDefinition definition) {
  auto source = std::make_unique<NewsSource>(notifier);
  source->SetUrl(definition.url);
  source->newsExtraction = definition.newsExtraction;
  source->SetOptions(definition.noveltyDetection, definition.keepChangeTrack,
                     definition.ignoreHtmlTags, definition.ignoreDates,
                     definition.ignoreBigHexaNumbers);
  source->name = std::move(definition.name);
  source->enabled = definition.enabled;
  source->SetHistoryLength(definition.historyLength);
  if (source->pageTracker)
    source->pageTracker->SetCopyCounter(definition.trackerCounter);
  sources.push_back(std::move(source));
}

int NewsExtractor::GetBusyCount() const {
  return static_cast<int>(
      std::count_if(sources.begin(), sources.end(), [](const auto& s) { return s->IsBusy(); }));
}

NewsSource* NewsExtractor::GetNextSource(int32_t interval) {
  if (GetBusyCount() >= maxRequest)
    return nullptr;
  const int count = GetSourceCount();
  for (int attempts = 1;; ++attempts) {
    if (++nextIndex >= count)
      nextIndex = 0;
    if (attempts > count)
      return nullptr;
    NewsSource* source = sources[nextIndex].get();
    if (!source->IsBusy() && source->IsDue(interval) && source->enabled)
      return source;
  }
}

void NewsExtractor::DetachNotifiers() {
  for (const auto& source : sources)
    source->notifier = nullptr;
  // A parked source's request may still be running and would report too.
  for (const auto& source : removedSources)
    source->notifier = nullptr;
}

bool NewsExtractor::SaveSources(const AnsiString& fileName) {
  return SaveFile(fileName, unreadSourcesFile, "sources", [this](FILE* file) {
    std::fprintf(file, "Source definition version %s\r\n%s\r\n\r\n\r\n", SourcesFileVersion,
                 SourcesFileVersion);
    for (const auto& source : sources)
      WriteSourceBlock(file, *source);
  });
}

bool NewsExtractor::LoadSources(const AnsiString& fileName) {
  unreadSourcesFile.clear();
  FILE* file = std::fopen(fileName.c_str(), "rb");
  if (!file) {
    if (errno != ENOENT)
      unreadSourcesFile = fileName;
    return false;
  }
  TFileCloser closer(file);
  TLineReader reader(file);
  AnsiString lines[SourceBlockLines];
  reader.ReadLines(lines, 2); // the first line is not examined
  if (!AcceptVersionLine(lines[1])) {
    unreadSourcesFile = fileName;
    return true;
  }
  // The two empty lines that end the header are passed over as any empty
  // line between blocks is.
  bool whole = true;
  bool more = reader.ReadLine(lines[0]);
  while (more) {
    if (!IsBlockStart(lines[0])) {
      whole = whole && Trim(lines[0]).empty();
      more = reader.ReadLine(lines[0]);
      continue;
    }
    int count = 1;
    while (count < SourceBlockLines && (more = reader.ReadLine(lines[count])) &&
           !IsBlockStart(lines[count]))
      ++count;
    if (count == SourceBlockLines) {
      AddSource(DefinitionFromBlock(lines));
      more = reader.ReadLine(lines[0]);
      continue;
    }
    // A line missing: the block goes, and the next block begins at the
    // "----" line that cut it short.
    whole = false;
    lines[0] = lines[count];
  }
  if (!whole)
    unreadSourcesFile = fileName;
  return true;
}

// One source's items in the news file's blocks, as LoadNews reads them.
int NewsSource::SaveNews(FILE* file) const {
  for (const auto& item : news)
    std::fprintf(file, "%s\r\n%s\r\n%s\r\n%s\r\n%d\r\n%s\r\n", AsFileLine(name).c_str(),
                 FormatDayCount(item->received).c_str(), AsFileLine(item->headline).c_str(),
                 AsFileLine(item->link).c_str(), item->kind, AsFileLine(item->dateText).c_str());
  return static_cast<int>(news.size());
}

int NewsExtractor::SaveNews(const AnsiString& fileName) {
  const bool saved = SaveFile(fileName, unreadNewsFile, "news", [this](FILE* file) {
    for (const auto& source : sources)
      source->SaveNews(file);
  });
  return saved ? 0 : -1;
}

namespace {

// A clock that was set wrong stamps items ahead of time; kept so, an item
// would stay at the top and never grow old. More than a day ahead is now.
TDateTime NotFarAhead(TDateTime received, TDateTime now) {
  return received > now + 1 ? now : received;
}

} // namespace

int NewsExtractor::LoadNews(const AnsiString& fileName, const CDataMatcher* matcher) {
  unreadNewsFile.clear();
  FILE* file = std::fopen(fileName.c_str(), "rb");
  if (!file) {
    if (errno != ENOENT)
      unreadNewsFile = fileName;
    return 0;
  }
  TFileCloser closer(file);
  TLineReader reader(file);
  AnsiString lines[NewsItemLines];
  int read = 0;
  const TDateTime now = Now();
  while ((read = reader.ReadLines(lines, NewsItemLines)) == NewsItemLines) {
    NewsSource* source = FindSourceByName(lines[0]);
    if (!source) {
      unreadNewsFile = fileName;
      continue;
    }
    NewsRecord record;
    record.dateText = lines[5];
    record.headline = lines[2];
    record.link = lines[3];
    record.received = NotFarAhead(ParseDayCount(lines[1]), now);
    record.kind = ParseInteger(lines[4]);
    auto item = std::make_unique<NewsData>(source, std::move(record));
    if (matcher && matcher->IsTooOld(item.get()))
      continue;
    source->AddNews(std::move(item));
  }
  if (read > 0)
    unreadNewsFile = fileName;
  return 0;
}

int NewsExtractor::GetAllNews(std::vector<NewsData*>& list) const {
  const size_t before = list.size();
  for (const auto& source : sources)
    for (const auto& item : source->news)
      list.push_back(item.get());
  return static_cast<int>(list.size() - before);
}

int NewsExtractor::ClearAllNews() {
  for (const auto& source : sources)
    source->ClearNews();
  return 0;
}

void NewsExtractor::SetMaxRequest(int32_t count) {
  maxRequest = std::clamp(count, 1, 10);
}
