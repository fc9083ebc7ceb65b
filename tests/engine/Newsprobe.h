#pragma once
// Runs the built newsprobe tool (or another command), as a user would, and
// keeps what it printed.
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

struct TProbeRun {
  std::string Out;
  // Out cut after each line break, the breaks kept.
  std::vector<std::string> Lines;
  int ExitCode = -1;
};

// A shell command line; onLine sees every output line as it arrives.
inline TProbeRun RunCommand(const std::string& command,
                            const std::function<void(const std::string&)>& onLine = {}) {
  TProbeRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe)
    return run;
  char* line = nullptr;
  size_t capacity = 0;
  for (ssize_t n; (n = getline(&line, &capacity, pipe)) > 0;) {
    run.Lines.emplace_back(line, static_cast<size_t>(n));
    run.Out += run.Lines.back();
    if (onLine)
      onLine(run.Lines.back());
  }
  std::free(line);
  const int status = pclose(pipe);
  run.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// args is the rest of the command line (quote paths, redirect as needed).
inline TProbeRun RunNewsprobe(const std::string& args,
                              const std::function<void(const std::string&)>& onLine = {}) {
  return RunCommand(std::string(WT_BINARY_DIR) + "/tools/newsprobe " + args, onLine);
}
