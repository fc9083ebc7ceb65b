#include "engine/Smartmarklist.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "engine/Pcregexp.h"

namespace {

// The patterns of every mark made so far; they live as long as the process.
const TPCRegexp* SharedPattern(const AnsiString& pattern) {
  static std::mutex lock;
  static std::map<AnsiString, std::unique_ptr<TPCRegexp>> patterns;
  std::lock_guard<std::mutex> guard(lock);
  std::unique_ptr<TPCRegexp>& compiled = patterns[pattern];
  if (!compiled)
    compiled = std::make_unique<TPCRegexp>(pattern.c_str());
  return compiled.get();
}

} // namespace

CSmartMarkList::CSmartMarkList(const AnsiString& markName, const AnsiString& markPattern,
                               int markCapacity)
    : regex(SharedPattern(markPattern)), capacity(markCapacity), name(markName),
      pattern(markPattern) {}

CSmartMarkList::~CSmartMarkList() = default;

// As TPCRegexp::FindAll with tables of the capacity, but the tables grow
// with what is found.
int CSmartMarkList::FindAll(const char* text, int startPos) {
  Reset();
  if (capacity <= 0 || text == nullptr)
    return 0;
  const int length = static_cast<int>(std::strlen(text));
  for (int offset = startPos; count < capacity;) {
    int matchLength = 0;
    const int at = regex->FindIn(text, length, &matchLength, offset);
    if (at < 0)
      break;
    starts.push_back(at);
    lengths.push_back(matchLength);
    ++count;
    // An empty match at the offset would be found again: step past it.
    offset = at + matchLength == offset ? offset + 1 : at + matchLength;
  }
  full = count == capacity;
  return count;
}

int CSmartMarkList::GetOccurrence(int index, int& start, int& length) const {
  if (index < 0 || index >= count)
    return -1;
  start = starts[index];
  length = lengths[index];
  return 0;
}

void CSmartMarkList::Add(int start, int length) {
  if (count >= capacity)
    return;
  starts.push_back(start);
  lengths.push_back(length);
  ++count;
  full = count == capacity;
}

void CSmartMarkList::Reset() {
  full = false;
  count = 0;
  starts.clear();
  lengths.clear();
}

void CSmartMarkList::Release() {
  Reset();
  starts.shrink_to_fit();
  lengths.shrink_to_fit();
}
