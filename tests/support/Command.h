#pragma once
// Outside tools for tests that drive them: shell commands run to their end,
// and the X server (the one scripts/test.sh starts) they drive.
#include <gtest/gtest.h>

#include <string>

// What it printed on its standard output; empty when it could not start.
std::string RunCommand(const std::string& command);

// Points DISPLAY at the X server named by WT_X_DISPLAY; a failure naming the
// missing server when there is none: such a test fails rather than skips.
testing::AssertionResult UseXServer();
