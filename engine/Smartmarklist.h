#pragma once
// One kind of tag that the tag parser looks for, and where it occurs in the
// last page searched. Occurrences beyond the capacity are not seen: the
// capacities bound every table that the detection passes build.
#include <vector>

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
  // Takes one more occurrence, found by the parser's own walk, unless the
  // table is full.
  void Add(int start, int length);
  // Reset, and the occurrence tables' memory goes back.
  void Release();

  // Compiled once for the process and shared by every mark of the same
  // pattern: a source costs no compilation until its page is parsed.
  const TPCRegexp* regex; // not owned
  int capacity;
  AnsiString name;
  AnsiString pattern;
  bool full = false;
  int count = 0;
  // As many entries as the last search found, up to the capacity.
  std::vector<int> starts;
  std::vector<int> lengths;
};
