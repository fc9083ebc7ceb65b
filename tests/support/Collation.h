#pragma once
// The user's collation for the length of a test: LC_COLLATE set to a named
// locale and put back afterwards. A locale the machine lacks fails the test
// that asked for it, saying how to get it, rather than letting it pass.
#include <string>

class TCollationLocale {
public:
  explicit TCollationLocale(const char* name);
  ~TCollationLocale();
  TCollationLocale(const TCollationLocale&) = delete;
  TCollationLocale& operator=(const TCollationLocale&) = delete;

  bool Active() const { return active_; }

private:
  std::string previous_;
  bool active_ = false;
};

// The locales the sorting tests run in.
inline constexpr const char* kCollationLocales[] = {"en_US.UTF-8", "fr_FR.UTF-8"};
