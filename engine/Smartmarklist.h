#pragma once
// One kind of tag that the tag parser looks for, and where it occurs in the
// last page searched. Occurrences beyond the capacity are not seen: the
// capacities bound every table that the detection passes build.
#include <memory>

#include "platform/rtl/Sysutils.h"

class TPCRegexp;

class CSmartMarkList {
public:
  CSmartMarkList(const AnsiString& markName, const AnsiString& markPattern, int markCapacity);
  ~CSmartMarkList();
  CSmartMarkList(const CSmartMarkList&) = delete;
  CSmartMarkList& operator=(const CSmartMarkList&) = delete;

  // Finds the occurrences in text from startPos; returns count (the capacity
  // when the table filled, 0 when nothing was found).
  int FindAll(const char* text, int startPos);
  // 0 with the occurrence's start and length, or -1 for an index outside
  // 0..count-1.
  int GetOccurrence(int index, int& start, int& length) const;
  void Reset();

  std::unique_ptr<TPCRegexp> regex;
  int capacity;
  AnsiString name;
  AnsiString pattern;
  bool full = false;
  int count = 0;
  std::unique_ptr<int[]> starts;
  std::unique_ptr<int[]> lengths;
};
