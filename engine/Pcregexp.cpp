#include "engine/Pcregexp.h"

#include <pcre.h>

#include <cstring>

namespace {

// The whole match and nine capturing groups; only the whole match is read.
constexpr int kOffsetVectorSize = 30;

int TextLength(const char* text) {
  return text == nullptr ? 0 : static_cast<int>(std::strlen(text));
}

} // namespace

void TPCRegexp::TPcreFree::operator()(real_pcre* p) const {
  pcre_free(p);
}

void TPCRegexp::TStudyFree::operator()(pcre_extra* p) const {
  pcre_free_study(p);
}

TPCRegexp::TPCRegexp(const char* pattern) {
  if (pattern == nullptr)
    return;
  pattern_ = pattern;
  compiled_.reset(pcre_compile(pattern, 0, &errorText_, &errorOffset_, nullptr));
  if (!compiled_)
    return;
  // Studying only speeds up the search (first-byte tables and machine code);
  // results are unchanged. The detection passes search every page with
  // dozens of patterns, several times over in nested tables: compiled to
  // machine code they run several times faster.
  const char* studyError = nullptr;
  study_.reset(pcre_study(compiled_.get(), PCRE_STUDY_JIT_COMPILE, &studyError));
}

TPCRegexp::~TPCRegexp() = default;

bool TPCRegexp::Exec(const char* text, int textLength, int start, int& matchStart,
                     int& matchEnd) const {
  if (!compiled_ || text == nullptr)
    return false;
  int offsets[kOffsetVectorSize];
  // Zero means the vector was too small for every group: the whole match is still there.
  int rc = pcre_exec(compiled_.get(), study_.get(), text, textLength, start, 0, offsets,
                     kOffsetVectorSize);
  if (rc == PCRE_ERROR_JIT_STACKLIMIT) {
    // The machine code's stack is small; the interpreter has no such limit,
    // so a search it can do never fails for the machine code's sake.
    pcre_extra interpreted = *study_;
    interpreted.flags &= ~PCRE_EXTRA_EXECUTABLE_JIT;
    rc = pcre_exec(compiled_.get(), &interpreted, text, textLength, start, 0, offsets,
                   kOffsetVectorSize);
  }
  if (rc < 0)
    return false;
  matchStart = offsets[0];
  matchEnd = offsets[1];
  return true;
}

int TPCRegexp::FindIn(const char* text, int textLength, int* matchLength, int start) const {
  int matchStart = 0;
  int matchEnd = 0;
  if (!Exec(text, textLength, start, matchStart, matchEnd))
    return -1;
  if (matchLength != nullptr)
    *matchLength = matchEnd - matchStart;
  return matchStart;
}

int TPCRegexp::Find(const char* text, int* matchLength, int start) const {
  return FindIn(text, TextLength(text), matchLength, start);
}

int TPCRegexp::FindAll(const char* text, int* starts, int* lengths, int maxCount, int start) const {
  const int length = TextLength(text);
  int count = 0;
  int offset = start;
  for (;;) {
    int matchStart = 0;
    int matchEnd = 0;
    if (!Exec(text, length, offset, matchStart, matchEnd))
      return count == 0 ? -1 : count;
    starts[count] = matchStart;
    lengths[count] = matchEnd - matchStart;
    ++count;
    // An empty match at the offset would be found again: step past it.
    offset = matchEnd == offset ? offset + 1 : matchEnd;
    if (count == maxCount)
      return 0;
  }
}
