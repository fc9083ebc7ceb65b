#pragma once
// A pattern compiled once and searched many times. Options travel inside the
// pattern ("(?i)..."); a pattern that does not compile never matches.
#include <memory>
#include <string>

struct real_pcre;
struct pcre_extra;

class TPCRegexp {
public:
  explicit TPCRegexp(const char* pattern);
  ~TPCRegexp();
  TPCRegexp(const TPCRegexp&) = delete;
  TPCRegexp& operator=(const TPCRegexp&) = delete;

  // Offset of the first match at or after start, or -1. The length of the
  // whole match goes to matchLength when it is not null.
  int Find(const char* text, int* matchLength = nullptr, int start = 0) const;
  // Find on the first textLength bytes of text, for callers that already know
  // the length and search one text many times.
  int FindIn(const char* text, int textLength, int* matchLength, int start) const;
  // Number of matches from start, -1 when there is none, and 0 when the two
  // tables were filled up to maxCount.
  int FindAll(const char* text, int* starts, int* lengths, int maxCount, int start = 0) const;

  bool IsCompiled() const { return compiled_ != nullptr; }
  const std::string& Pattern() const { return pattern_; }
  // The compile error and where in the pattern it happened; null and 0 when none.
  const char* ErrorText() const { return errorText_; }
  int ErrorOffset() const { return errorOffset_; }

private:
  struct TPcreFree {
    void operator()(real_pcre* p) const;
  };
  struct TStudyFree {
    void operator()(pcre_extra* p) const;
  };
  // Runs one search; the whole match's bounds go to matchStart/matchEnd.
  bool Exec(const char* text, int textLength, int start, int& matchStart, int& matchEnd) const;

  std::string pattern_;
  std::unique_ptr<real_pcre, TPcreFree> compiled_;
  std::unique_ptr<pcre_extra, TStudyFree> study_;
  const char* errorText_ = nullptr;
  int errorOffset_ = 0;
};
