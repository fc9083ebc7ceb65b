#pragma once
// A program started as a process of its own, that a test talks to through its
// standard input and output, as another instance of the program or a peer.
// It holds no open file of the test's but the standard three. Closing its
// input is the usual way to tell it to end; the destructor does that and
// waits for it.
#include <string>
#include <sys/types.h>
#include <vector>

class TChildProcess {
public:
  TChildProcess(const std::string& program, const std::vector<std::string>& args);
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  // The next line it prints, "" when none comes within timeoutMs or it ended.
  std::string Line(int timeoutMs = 2000);
  // Ends it at once, as a crash would.
  void Kill();
  pid_t Pid() const { return pid; }
  // Waits for its end; its exit status, or -1 when it did not exit normally.
  int Wait();

private:
  pid_t pid = -1;
  int exitStatus = -1;
  int input = -1, output = -1;
  std::string buffer;
};
