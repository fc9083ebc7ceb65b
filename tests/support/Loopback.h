#pragma once
// Loopback helpers shared by the test servers: every server of the tests
// listens on 127.0.0.1 only, on a port the system picks.
#include <string>
#include <vector>

// A port on 127.0.0.1 that was free a moment ago (the system's choice). A
// server started on it may still lose a race with another test: the harnesses
// retry with a new port when the start fails.
int FreeLoopbackPort();
// True once a TCP connection to 127.0.0.1:port succeeds within timeoutMs.
bool WaitForLoopbackPort(int port, int timeoutMs);
// How many connects the process has begun to 127.0.0.1:port that are still
// waiting for an answer.
int ConnectsWaiting(int pid, int port);
// "http://127.0.0.1:port/" followed by path (without its leading '/').
std::string LoopbackUrl(int port, const std::string& path);

// A server program of the system run as a child process with its output (standard
// output and error) in a log file; stopped with SIGTERM (then SIGKILL) by Stop
// or the destructor.
class TServerProcess {
public:
  TServerProcess() = default;
  ~TServerProcess() { Stop(); }
  TServerProcess(const TServerProcess&) = delete;
  TServerProcess& operator=(const TServerProcess&) = delete;

  // Runs program (found on PATH or in /usr/sbin) with args; throws
  // std::runtime_error when it cannot be found or started.
  void Start(const std::string& program, const std::vector<std::string>& args,
             const std::string& logFile);
  bool Running();
  void Stop();
  // Waits until the process itself listens on 127.0.0.1:port: true then,
  // false once it has ended (most likely it lost the port to another test's
  // server, which may answer there all the same) or after a deadline long
  // enough for a loaded machine.
  bool WaitUntilListening(int port);

private:
  int pid_ = -1;
};

// The full path of a program of the system, searching PATH, /usr/sbin and
// /sbin; "" when missing.
std::string FindProgram(const std::string& program);
