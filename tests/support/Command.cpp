#include "tests/support/Command.h"

#include <cstdio>
#include <cstdlib>

TCommandRun RunCommandFully(const std::string& command) {
  TCommandRun run;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr)
    return run;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;)
    run.Output.append(buffer, n);
  run.Status = pclose(p);
  return run;
}

std::string RunCommand(const std::string& command) {
  return RunCommandFully(command).Output;
}

testing::AssertionResult UseXServer() {
  const char* display = std::getenv("WT_X_DISPLAY");
  if (display == nullptr || *display == '\0')
    return testing::AssertionFailure()
           << "WT_X_DISPLAY names no X server (scripts/test.sh starts one)";
  setenv("DISPLAY", display, 1);
  return testing::AssertionSuccess();
}
