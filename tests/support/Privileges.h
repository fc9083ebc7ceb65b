#pragma once
// Running part of a test as a user who is not the tests' own. The tests run as
// root, who reads every file whatever its mode: a file only becomes unreadable
// to a process that has given up root.
#include <functional>
#include <sys/types.h>

// The unprivileged account the child becomes.
constexpr uid_t NobodyUid = 65534;
constexpr gid_t NobodyGid = 65534;

// Runs body in a forked child that has become nobody (no supplementary
// groups); the child's exit code is body's result. -1 when the child could not
// drop its privileges or did not exit normally.
int RunAsNobody(const std::function<int()>& body);

// While it lives, no file of the process may grow past limit bytes, as on a
// full disk: a write beyond it fails (the signal it would raise is ignored).
class TFileSizeLimit {
public:
  explicit TFileSizeLimit(off_t limit);
  ~TFileSizeLimit();
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
  unsigned long long savedCurrent;
  void (*savedSignal)(int);
};
