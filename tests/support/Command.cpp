#include "tests/support/Command.h"

#include "tests/support/XServer.h"

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
  const std::string& display = OwnXDisplay();
  if (display.empty())
    return testing::AssertionFailure() << "Xvfb did not start (is it installed?)";
  setenv("DISPLAY", display.c_str(), 1);
  return testing::AssertionSuccess();
}
