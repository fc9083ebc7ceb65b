#include "tests/support/XServer.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A loaded machine starts Xvfb slowly; this only ends a wait for one that
// will never answer.
constexpr auto StartDeadline = std::chrono::seconds(60);

// The display number Xvfb writes to its -displayfd once it listens, "" when
// it ends or says nothing before the deadline.
std::string ReadDisplayNumber(int fd) {
  const auto deadline = std::chrono::steady_clock::now() + StartDeadline;
  std::string number;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
      return "";
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR)
      continue;
    if (ready <= 0)
      return "";
    char c;
    const ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return "";
    if (c == '\n')
      return number;
    number += c;
  }
}

} // namespace

TXvfb::TXvfb(const std::string& screen) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0)
    return;
  // Everything the child needs is made before the fork: the write end goes
  // to a number of its own there, which drops its close-on-exec.
  const int target = fds[1] + 1;
  const std::string fd = std::to_string(target);
  const pid_t parent = getpid();
  pid = fork();
  if (pid == 0) {
    // SIGTERM lets it take its lock file and socket away.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent)
      _exit(1);
    if (dup2(fds[1], target) < 0)
      _exit(126);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    // Without -noreset the server starts afresh whenever its last client
    // leaves, as each xdotool call does, and a program connecting just then
    // is refused.
    execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten",
           "tcp", "-noreset", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  if (pid > 0) {
    const std::string number = ReadDisplayNumber(fds[0]);
    if (!number.empty())
      display = ":" + number;
  }
  close(fds[0]);
}

TXvfb::~TXvfb() {
  if (pid <= 0)
    return;
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
}

const std::string& OwnXDisplay() {
  // Never destroyed: the toolkit may still be connected while the process
  // ends, and a server gone under it turns a passing test's exit into a
  // failure. The server ends once the process has (its parent-death signal).
  static const TXvfb* server = new TXvfb;
  return server->Display();
}
