#include "tests/support/ChildProcess.h"

#include <chrono>
#include <csignal>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

TChildProcess::TChildProcess(const std::string& program, const std::vector<std::string>& args) {
  int in[2], out[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0)
    return;
  pid = ::fork();
  if (pid == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::close_range(3, ~0u, 0);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& a : args)
      argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  input = in[1];
  output = out[0];
}

TChildProcess::~TChildProcess() {
  Wait();
  ::close(output);
}

std::string TChildProcess::Line(int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (buffer.find('\n') == std::string::npos) {
    pollfd p{output, POLLIN, 0};
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    char chunk[256];
    ssize_t n = 0;
    if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0 ||
        (n = ::read(output, chunk, sizeof chunk)) <= 0)
      return "";
    buffer.append(chunk, static_cast<size_t>(n));
  }
  const size_t nl = buffer.find('\n');
  const std::string line = buffer.substr(0, nl);
  buffer.erase(0, nl + 1);
  return line;
}

void TChildProcess::Kill() {
  if (pid > 0)
    ::kill(pid, SIGKILL);
  Wait();
}

int TChildProcess::Wait() {
  if (input >= 0)
    ::close(input);
  input = -1;
  if (pid <= 0)
    return -1;
  int status = 0;
  const bool reaped = ::waitpid(pid, &status, 0) == pid;
  pid = -1;
  exitStatus = reaped && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return exitStatus;
}
