#include "tests/support/Privileges.h"

#include <cerrno>
#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int RunAsNobody(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child < 0)
    return -1;
  if (child == 0) {
    const bool dropped =
        ::setgroups(0, nullptr) == 0 && ::setgid(NobodyGid) == 0 && ::setuid(NobodyUid) == 0;
    ::_exit(dropped ? body() : 255);
  }
  int status = 0;
  while (::waitpid(child, &status, 0) < 0)
    if (errno != EINTR)
      return -1;
  if (!WIFEXITED(status) || WEXITSTATUS(status) == 255)
    return -1;
  return WEXITSTATUS(status);
}

TFileSizeLimit::TFileSizeLimit(off_t limit) {
  struct rlimit current;
  ::getrlimit(RLIMIT_FSIZE, &current);
  savedCurrent = current.rlim_cur;
  savedSignal = std::signal(SIGXFSZ, SIG_IGN);
  current.rlim_cur = static_cast<rlim_t>(limit);
  ::setrlimit(RLIMIT_FSIZE, &current);
}

TFileSizeLimit::~TFileSizeLimit() {
  struct rlimit current;
  ::getrlimit(RLIMIT_FSIZE, &current);
  current.rlim_cur = savedCurrent;
  ::setrlimit(RLIMIT_FSIZE, &current);
  std::signal(SIGXFSZ, savedSignal);
}
