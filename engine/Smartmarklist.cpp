#include "engine/Smartmarklist.h"

#include "engine/Pcregexp.h"

CSmartMarkList::CSmartMarkList(const AnsiString& markName, const AnsiString& markPattern,
                               int markCapacity)
    : regex(std::make_unique<TPCRegexp>(markPattern.c_str())), capacity(markCapacity),
      name(markName), pattern(markPattern) {
  if (capacity <= 0)
    return;
  starts = std::make_unique<int[]>(capacity);
  lengths = std::make_unique<int[]>(capacity);
}

CSmartMarkList::~CSmartMarkList() = default;

int CSmartMarkList::FindAll(const char* text, int startPos) {
  Reset();
  if (capacity <= 0 || text == nullptr)
    return 0;
  int found = regex->FindAll(text, starts.get(), lengths.get(), capacity, startPos);
  full = found == 0;
  count = full ? capacity : (found < 0 ? 0 : found);
  return count;
}

int CSmartMarkList::GetOccurrence(int index, int& start, int& length) const {
  if (index < 0 || index >= count)
    return -1;
  start = starts[index];
  length = lengths[index];
  return 0;
}

void CSmartMarkList::Reset() {
  full = false;
  count = 0;
}
