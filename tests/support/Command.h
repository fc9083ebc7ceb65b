#pragma once
// Outside tools for tests that drive them: shell commands run to their end,
// and the X server (the test process's own) they drive.
#include <gtest/gtest.h>

#include <string>

// What a command printed on its standard output (bytes as they came), and
// its exit status as pclose gives it: 0 for success, -1 when it could not
// start.
struct TCommandRun {
  std::string Output;
  int Status = -1;
};
TCommandRun RunCommandFully(const std::string& command);

// What it printed on its standard output, however it ended.
std::string RunCommand(const std::string& command);

// Points DISPLAY at this test process's own X server (tests/support/XServer.h);
// a failure when it could not start: such a test fails rather than skips.
testing::AssertionResult UseXServer();
