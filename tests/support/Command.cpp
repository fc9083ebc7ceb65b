#include "tests/support/Command.h"

#include <cstdio>
#include <cstdlib>

std::string RunCommand(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr)
    return out;
  char buffer[256];
  while (fgets(buffer, sizeof buffer, p) != nullptr)
    out += buffer;
  pclose(p);
  return out;
}

testing::AssertionResult UseXServer() {
  const char* display = std::getenv("WT_X_DISPLAY");
  if (display == nullptr || *display == '\0')
    return testing::AssertionFailure()
           << "WT_X_DISPLAY names no X server (scripts/test.sh starts one)";
  setenv("DISPLAY", display, 1);
  return testing::AssertionSuccess();
}
