#include "app/Usdkthreadurllauncher.h"

#include "tests/support/FakeDesktop.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>

namespace {

using Args = TFakeDesktop::Args;

int ThreadCount() {
  int n = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
    ++n;
  return n;
}

class LauncherTest : public ::testing::Test, protected TFakeDesktop {
protected:
  // The default browser is the desktop entry web.desktop with this Exec line;
  // null registers none.
  void RegisterBrowser(const char* exec) {
    Tool("xdg-settings", 0, exec != nullptr ? "web.desktop\n" : "");
    Tool("xdg-mime", 0);
    dir.Write("data/applications/web.desktop",
              std::string("[Desktop Entry]\nExec=") + (exec != nullptr ? exec : "") + "\n");
  }

  // Starts a launcher and serves the main thread until it has reported and
  // its thread (and any that waits for a started tool) is gone: "success", "failure" or "" when it
  // never reported.
  std::string Launch(const char* url, uint16_t method) {
    const int threads = ThreadCount();
    std::string outcome;
    auto report = [&outcome](const char* what) {
      return [&outcome, what] {
        EXPECT_TRUE(IsMainThread());
        outcome = what;
      };
    };
    new USdkUrlLauncher(nullptr, url, method, report("success"), report("failure"));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while ((outcome.empty() || ThreadCount() > threads) &&
           std::chrono::steady_clock::now() < deadline)
      CheckSynchronize(10);
    EXPECT_LE(ThreadCount(), threads) << "the launcher thread did not end";
    return outcome;
  }
};

} // namespace

TEST(Launcher, UrlGoesInPlaceOfTheFirstPercentOneOrIsAppendedQuoted) {
  struct Case {
    const char* parameters;
    const char* expected;
  };
  const Case cases[] = {
      {"--new-window %1", "--new-window http://x/?a=1"},
      {"-url %1 -again %1", "-url http://x/?a=1 -again %1"},
      {"--url=%1", "--url=http://x/?a=1"},
      {"-nohome", "-nohome \"http://x/?a=1\""},
      {"", " \"http://x/?a=1\""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(InsertUrlInParameters(c.parameters, "http://x/?a=1"), c.expected) << c.parameters;
}

TEST_F(LauncherTest, DefaultBrowserIsCutToItsBuffers) {
  RegisterBrowser("/opt/web/browser --new-window %U");
  char program[257] = "stale", parameters[769] = "stale";
  ASSERT_TRUE(FindDefaultBrowser(program, sizeof program, parameters, sizeof parameters));
  EXPECT_STREQ(program, "/opt/web/browser");
  EXPECT_STREQ(parameters, "--new-window %1");

  char small[8], smaller[6];
  std::memset(small, 'x', sizeof small);
  std::memset(smaller, 'x', sizeof smaller);
  ASSERT_TRUE(FindDefaultBrowser(small, sizeof small, smaller, sizeof smaller));
  EXPECT_STREQ(small, "/opt/we");
  EXPECT_STREQ(smaller, "--new");

  RegisterBrowser(nullptr);
  EXPECT_FALSE(FindDefaultBrowser(program, sizeof program, parameters, sizeof parameters));
  EXPECT_STREQ(program, "");
  EXPECT_STREQ(parameters, "");
}

TEST_F(LauncherTest, EachMethodStartsTheBrowserWithTheLink) {
  Tool("xdg-open", 0);
  Tool("webbrowser", 0);
  Tool("my browser", 0);
  const std::string spaced = "\"" + dir.File("bin/my browser") + "\" --remote";
  struct Case {
    uint16_t method;
    const char* exec; // the default browser's Exec line
    const char* url;
    const char* tool; // the one tool that must have run
    Args args;
  };
  const Case cases[] = {
      {ulmShellOpen,
       "webbrowser %u",
       "http://example.com/news?id=1",
       "xdg-open",
       {"http://example.com/news?id=1"}},
      {ulmBrowserByShell,
       "webbrowser --new-window %u",
       "https://example.com/",
       "webbrowser",
       {"--new-window", "https://example.com/"}},
      {ulmBrowserProcess,
       spaced.c_str(),
       "http://example.com/",
       "my browser",
       {"--remote", "http://example.com/"}},
      // A blank cannot smuggle an option of its own into the browser's arguments.
      {7,
       "webbrowser %u",
       "http://x/a -remote-debugging",
       "webbrowser",
       {"http://x/a%20-remote-debugging"}},
      {ulmBrowserByShell,
       "webbrowser %u",
       "file:///home/u/page.htm",
       "webbrowser",
       {"file:///home/u/page.htm"}},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(dir.File("records"));
    RegisterBrowser(c.exec);
    EXPECT_EQ(Launch(c.url, c.method), "success") << c.method << " " << c.url;
    EXPECT_EQ(AwaitRecorded(c.tool), c.args) << c.method << " " << c.url;
    for (const char* other : {"xdg-open", "webbrowser", "my browser"})
      if (std::string(other) != c.tool) {
        EXPECT_FALSE(Recorded(other)) << other << " ran for method " << c.method;
      }
  }
}

TEST_F(LauncherTest, OtherSchemesAndAMissingBrowserStartNothing) {
  Tool("xdg-open", 0);
  Tool("webbrowser", 0);
  struct Case {
    uint16_t method;
    const char* exec;
    const char* url;
  };
  const Case cases[] = {
      {ulmShellOpen, "webbrowser %u", "javascript:alert(1)"},
      {ulmBrowserByShell, "webbrowser %u", "mailto:someone@example.com"},
      {ulmBrowserProcess, "webbrowser %u", "-new-tab"},
      {9, "webbrowser %u", "http://x/\" --flag \""},
      {ulmBrowserByShell, nullptr, "http://example.com/"},
  };
  for (const auto& c : cases) {
    RegisterBrowser(c.exec);
    EXPECT_EQ(Launch(c.url, c.method), "failure") << c.url;
  }
  // Without events a launcher still runs and frees itself.
  const int threads = ThreadCount();
  new USdkUrlLauncher(nullptr, "ftp://example.com/", ulmShellOpen);
  for (int i = 0; i < 500 && ThreadCount() > threads; ++i)
    CheckSynchronize(10);
  EXPECT_LE(ThreadCount(), threads);
  EXPECT_FALSE(Recorded("xdg-open"));
  EXPECT_FALSE(Recorded("webbrowser"));
}
