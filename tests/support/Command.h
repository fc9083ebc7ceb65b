#pragma once
// Outside tools for tests that drive them: shell commands run to their end,
// and the X server (the one scripts/test.sh starts) they drive.
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

// Points DISPLAY at the X server named by WT_X_DISPLAY; a failure naming the
// missing server when there is none: such a test fails rather than skips.
testing::AssertionResult UseXServer();
