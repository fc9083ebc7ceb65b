#include "platform/shell/Shellapi.h"

#include "tests/support/FakeDesktop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Args = std::vector<AnsiString>;

class ShellTest : public ::testing::Test, protected TFakeDesktop {};

} // namespace

TEST(Shell, CommandLineSplitsLikeThePlatform) {
  struct Case {
    const char* line;
    Args argv;
  };
  const Case cases[] = {
      {"", {}},
      {"   ", {}},
      {"prog a  b", {"prog", "a", "b"}},
      {"\"/opt/my browser/run\" -new \"http://x/?a=1&b=2\"",
       {"/opt/my browser/run", "-new", "http://x/?a=1&b=2"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\"\"", {""}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"a\\\\b \\\"q\\\" c\\\\\\\\\"d e\"", {"a\\\\b", "\"q\"", "c\\\\d e"}},
      {"tail\\", {"tail\\"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CommandLineToArgv(c.line), c.argv) << c.line;
}

TEST(Shell, OnlyWebAndFileLinksAreLaunchable) {
  struct Case {
    const char* url;
    bool ok;
  };
  const Case cases[] = {
      {"http://example.com/news", true},
      {"HTTPS://example.com/", true},
      {"file:///home/u/cache/page00001.htm", true},
      {"javascript:alert(1)", false},
      {"mailto:someone@example.com", false},
      {"ftp://example.com/", false},
      {"/etc/passwd", false},
      {"--help", false},
      {"httpx://example.com", false},
      {"http://x/\" --flag \"", false},
      {"http://x/\nsecond", false},
      {"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsLaunchableUrl(c.url), c.ok) << c.url;
}

TEST_F(ShellTest, OpenTriesXdgOpenThenBrowserThenSensibleBrowser) {
  const AnsiString url = "http://example.com/a b?x=1";
  struct Case {
    int xdgExit;         // -1: no xdg-open at all
    const char* browser; // the BROWSER variable, null for none
    int browserExit;
    int sensibleExit;     // -1: no sensible-browser
    const char* expected; // the tool that must have received the link
    int result;
  };
  const Case cases[] = {
      {0, "fakebrowser", 0, 0, "xdg-open", 42},
      {3, "fakebrowser --new %s:other", 0, 0, "fakebrowser", 42},
      {-1, "missing:fakebrowser", 0, 0, "fakebrowser", 42},
      {4, "fakebrowser", 1, 0, "sensible-browser", 42},
      {-1, nullptr, 0, 0, "sensible-browser", 42},
      {-1, nullptr, 0, -1, nullptr, SE_ERR_NOASSOC},
  };
  for (const auto& c : cases) {
    std::filesystem::remove_all(dir.File("bin"));
    std::filesystem::remove_all(dir.File("records"));
    std::filesystem::create_directories(dir.File("bin"));
    if (c.xdgExit >= 0)
      Tool("xdg-open", c.xdgExit);
    Tool("fakebrowser", c.browserExit);
    Tool("other", 0);
    if (c.sensibleExit >= 0)
      Tool("sensible-browser", c.sensibleExit);
    c.browser ? ::setenv("BROWSER", c.browser, 1) : ::unsetenv("BROWSER");

    EXPECT_EQ(ShellExecuteA(nullptr, "open", url.c_str(), nullptr, nullptr, SW_SHOWNORMAL),
              c.result)
        << c.expected;
    if (c.expected == nullptr)
      continue;
    const AnsiString expected = c.expected;
    const Args args =
        expected == "fakebrowser" && std::string(c.browser).find("--new") != std::string::npos
            ? Args{"--new", url}
            : Args{url};
    EXPECT_EQ(Recorded(expected), args) << expected;
    if (expected != "sensible-browser") {
      EXPECT_FALSE(Recorded("sensible-browser")) << "kept trying after " << expected;
    }
    EXPECT_FALSE(Recorded("other")) << "a later BROWSER command ran";
  }
}

TEST_F(ShellTest, RefusedLinksStartNothing) {
  Tool("xdg-open", 0);
  ::setenv("BROWSER", "fakebrowser", 1);
  Tool("fakebrowser", 0);
  const char* refused[] = {"javascript:alert(1)", "mailto:a@b.c", "ftp://x/",
                           "http://x/\" --flag \"", "--new-instance"};
  for (const char* url : refused) {
    EXPECT_EQ(ShellExecuteA(nullptr, "open", url, nullptr, nullptr, SW_SHOWNORMAL),
              SE_ERR_ACCESSDENIED)
        << url;
    EXPECT_EQ(ShellExecuteA(nullptr, "print", "http://x/", nullptr, nullptr, SW_SHOWNORMAL),
              SE_ERR_NOASSOC);
  }
  EXPECT_FALSE(Recorded("xdg-open"));
  EXPECT_FALSE(Recorded("fakebrowser"));
}

TEST_F(ShellTest, ProcessesStartWithArgumentsAndAreWaitedFor) {
  const std::string tool = Tool("browser", 7);
  // An open file that a child must not inherit: a leaked rendezvous lock would
  // outlive the program.
  // (A high number, since the listing tool opens low ones of its own.)
  const int opened = ::open(dir.File("leak").c_str(), O_CREAT | O_WRONLY, 0600);
  const int leaky = ::dup2(opened, 57);
  ::close(opened);
  ASSERT_EQ(leaky, 57);
  std::string line = "\"" + tool + "\" --new-window \"http://x/?q=a b\"";
  STARTUPINFOA startup{};
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, 0, 0, nullptr, nullptr,
                             &startup, &info));
  EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(CloseHandle(info.hProcess));
  EXPECT_TRUE(CloseHandle(info.hThread));
  EXPECT_EQ(Recorded("browser"), (Args{"--new-window", "http://x/?q=a b"}));

  const std::string fds = dir.Write("bin/fds", "#!/bin/sh\n/bin/ls /proc/self/fd > '" +
                                                   dir.File("records/fds") + "'\n");
  ::chmod(fds.c_str(), 0755);
  std::string fdsLine = "fds";
  ASSERT_TRUE(CreateProcessA(nullptr, fdsLine.data(), nullptr, nullptr, 0, 0, nullptr, nullptr,
                             &startup, &info));
  WaitForSingleObject(info.hProcess, INFINITE);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  EXPECT_EQ(ReadFileBytes(dir.File("records/fds")).find("\n57\n"), std::string::npos);
  ::close(leaky);

  std::string missing = "no-such-program http://x/";
  SetLastError(0);
  EXPECT_FALSE(CreateProcessA(nullptr, missing.data(), nullptr, nullptr, 0, 0, nullptr, nullptr,
                              &startup, &info));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(WinExec("no-such-program x", SW_SHOWNORMAL), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(WinExec("", SW_SHOWNORMAL), 0u);
}

TEST_F(ShellTest, WaitTimesOutOnARunningProcess) {
  const std::string slow = dir.Write("bin/slow", "#!/bin/sh\nread line\n");
  ::chmod(slow.c_str(), 0755);
  // Reads from a pipe whose writer the test holds, so it ends when told.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const int savedIn = ::dup(0);
  ::dup2(fds[0], 0);
  std::string line = "slow";
  STARTUPINFOA startup{};
  PROCESS_INFORMATION info{};
  ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, 0, 0, nullptr, nullptr,
                             &startup, &info));
  ::dup2(savedIn, 0);
  ::close(savedIn);
  ::close(fds[0]);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 30), WAIT_TIMEOUT);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
  EXPECT_EQ(code, STILL_ACTIVE);
  ::close(fds[1]);
  EXPECT_EQ(WaitForSingleObject(info.hProcess, 5000), WAIT_OBJECT_0);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
}

TEST_F(ShellTest, ProgramsStartWithTheirParameters) {
  const std::string tool = Tool("browser", 0);
  EXPECT_EQ(ShellExecuteA(nullptr, nullptr, tool.c_str(), "-remote \"http://x/a b\"", nullptr,
                          SW_SHOWNORMAL),
            42);
  // The program runs on its own.
  EXPECT_EQ(AwaitRecorded("browser"), (Args{"-remote", "http://x/a b"}));
  // By its bare name the search path finds the program; it is not a document.
  Tool("xdg-open", 0);
  std::filesystem::remove(dir.File("records/browser"));
  EXPECT_EQ(ShellExecuteA(nullptr, nullptr, "browser", "--by-name", nullptr, SW_SHOWNORMAL), 42);
  EXPECT_EQ(AwaitRecorded("browser"), (Args{"--by-name"}));
  EXPECT_FALSE(Recorded("xdg-open"));
  EXPECT_EQ(WinExec(("\"" + tool + "\" one").c_str(), SW_SHOWNORMAL), 33u);
}

TEST_F(ShellTest, DefaultBrowserComesFromTheDesktopEntry) {
  struct Case {
    const char* settings; // what xdg-settings prints
    const char* mime;     // what xdg-mime prints
    const char* exec;     // the entry's Exec line
    bool found;
    const char* program;
    const char* parameters;
  };
  const Case cases[] = {
      {"web.desktop\n", "", "/opt/web/browser --new-window %U", true, "/opt/web/browser",
       "--new-window %1"},
      {"", "web.desktop\n", "\"/opt/my browser/run\" %%x %u %f --class=%c", true,
       "/opt/my browser/run", "%x %1 --class="},
      {"", "web.desktop", "plain", true, "plain", ""},
      {"missing.desktop", "", "/opt/web/browser", false, "", ""},
      {"", "", "/opt/web/browser", false, "", ""},
  };
  for (const auto& c : cases) {
    Tool("xdg-settings", 0, c.settings);
    Tool("xdg-mime", 0, c.mime);
    dir.Write("data/applications/web.desktop", std::string("[Desktop Entry]\nName=Web\n") +
                                                   "Exec=" + c.exec +
                                                   "\n[Desktop Action new]\nExec=wrong\n");
    AnsiString program = "stale", parameters = "stale";
    EXPECT_EQ(FindDesktopBrowser(program, parameters), c.found) << c.exec;
    EXPECT_EQ(program, c.program);
    EXPECT_EQ(parameters, c.parameters);
  }
  EXPECT_EQ(Recorded("xdg-mime"), (Args{"query", "default", "text/html"}));
}
