// How the program ends, whatever the network and the terminal do: a closed
// terminal saves as a close does; a close while every request, or the proxy
// script's download, waits for a connect that is never answered takes the
// window away and ends the process at once, so that a restart shows its
// window; a program killed while its proxy script loops leaves no evaluator
// behind. Times are printed; the deadlines are far above them and far below
// the minute a stuck connect used to hold the program.
#include "tests/app/x11/ProgramProcess.h"
#include "tests/engine/NewsPages.h"
#include "tests/support/Loopback.h"
#include "tests/support/NginxServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/SilentServer.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>

namespace {

using namespace program_process;

constexpr auto Deadline = 20s;

long long MsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

// The pids of the children of pid.
std::vector<pid_t> ChildrenOf(pid_t pid) {
  std::vector<pid_t> children;
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task")) {
    std::ifstream in(task.path() / "children");
    for (pid_t child; in >> child;)
      children.push_back(child);
  }
  return children;
}

class Ending : public testing::Test {
protected:
  void SetUp() override {
    display = XDisplay();
    ASSERT_FALSE(display.empty()) << "no X server could be started for the test";
    PlaceProgram(folder);
  }

  fs::path Exe() const { return folder.File("welkatidor"); }

  void WriteSources(const std::vector<std::string>& urls) const {
    folder.Write("welkatidor.NSC", NumberedSourcesFile(urls));
  }

  unsigned long WindowId() const { return VisibleWindow(display, "Welka Tidor"); }

  // True once no window of the program's name shows, within the deadline.
  bool WindowGone() const {
    const auto start = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() - start < Deadline) {
      if (Shell("DISPLAY=" + display + " xdotool search --onlyvisible --name '^Welka Tidor$' " +
                "2>/dev/null")
              .empty())
        return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }

  void CloseByWindowManager(unsigned long window) const {
    Shell("DISPLAY=" + display + " " +
          (fs::path(WT_BINARY_DIR) / "tests/app/x11/wm_close").string() + " " +
          std::to_string(window));
  }

  // Closes the program once it has that many connects waiting on the silent
  // server; the window goes and the process ends, then a new start shows its
  // window at once.
  void ExpectPromptEnd(const char* state, const TSilentServer& silent, int stuck) {
    TProgram program(Exe(), display);
    const unsigned long window = WindowId();
    ASSERT_NE(window, 0u) << ReadFileBytes(folder.File("program.log"));
    ASSERT_TRUE(WaitUntil([&] { return ConnectsWaiting(program.Pid(), silent.Port()) >= stuck; }))
        << "the program never connected to the silent server";
    const auto closing = std::chrono::steady_clock::now();
    CloseByWindowManager(window);
    EXPECT_TRUE(WindowGone());
    const long long windowMs = MsSince(closing);
    EXPECT_EQ(program.Wait(Deadline), 0);
    std::printf("%s: close to window gone %lld ms, to process end %lld ms\n", state, windowMs,
                MsSince(closing));
    TProgram again(Exe(), display);
    const unsigned long restarted = WindowId();
    EXPECT_NE(restarted, 0u) << "the restart shows no window";
    again.Signal(SIGTERM);
    EXPECT_EQ(again.Wait(Deadline), 0);
  }

  std::string display;
  TTempDir folder;
};

TEST_F(Ending, ClosesAtOnceWithEverySourceStuckInConnect) {
  TSilentServer silent;
  WriteSources({silent.Url("a.html"), silent.Url("b.html"), silent.Url("c.html")});
  WriteFirstRunSettings(folder, "");
  // Three requests at a time unless set otherwise.
  ExpectPromptEnd("sources stuck in connect", silent, 3);
}

TEST_F(Ending, ClosesAtOnceWithTheProxyScriptDownloadStuckInConnect) {
  TSilentServer silent;
  TScriptedServer site;
  WriteSources({site.Url("a.html")});
  WriteFirstRunSettings(
      folder, "[Connection]\nUseProxyScript=1\nProxyScript=" + silent.Url("proxy.pac") + "\n");
  ExpectPromptEnd("proxy script download stuck in connect", silent, 1);
}

// The program's own terminal closed under it: it saves and ends as a close
// does.
TEST_F(Ending, AClosedTerminalSavesAndEndsCleanly) {
  TTempDir pages;
  pages.Write("harbour.html", DatedTablePage("harbour", 6));
  TNginxOptions options;
  options.DocumentRoot = pages.Path();
  TNginxServer nginx(options);
  WriteSources({nginx.Url("harbour.html")});
  WriteFirstRunSettings(folder, "");
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string slave = ptsname(master);
  const pid_t pid = fork();
  if (pid == 0) {
    // A session of its own with the terminal as its controlling one, as a
    // shell in a terminal window starts it.
    close(master);
    setsid();
    const int tty = open(slave.c_str(), O_RDWR);
    if (tty < 0 || ioctl(tty, TIOCSCTTY, 0) != 0)
      _exit(126);
    for (int standard : {0, 1, 2})
      dup2(tty, standard);
    setenv("DISPLAY", display.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (chdir(folder.Path().c_str()) != 0)
      _exit(126);
    execl(Exe().c_str(), Exe().c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  const unsigned long window = WindowId();
  ASSERT_NE(window, 0u);
  // The page served, then its items in the grid.
  ASSERT_TRUE(
      WaitUntil([&] { return nginx.AccessLog().find("harbour.html") != std::string::npos; }));
  ASSERT_TRUE(WaitUntil([&] {
    return GridColours(PhotographWindow(display, window, "ending-terminal.png")) > 3;
  })) << "no items shown";
  const auto closing = std::chrono::steady_clock::now();
  close(master);
  int status = -1;
  pid_t ended = 0;
  while (MsSince(closing) < 20000 && (ended = waitpid(pid, &status, WNOHANG)) == 0)
    std::this_thread::sleep_for(20ms);
  if (ended != pid) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
  }
  std::printf("closed terminal to process end: %lld ms\n", MsSince(closing));
  ASSERT_EQ(ended, pid);
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
  const std::string news = ReadFileBytes(folder.File("welkatidor.NDT"));
  EXPECT_NE(news.find("Source 1"), std::string::npos) << "no news saved";
  EXPECT_NE(ReadFileBytes(folder.File("welkatidor.INI")).find("[Main.Window]"), std::string::npos);
}

// Killed while its proxy script loops, the program leaves no evaluator that
// would hold its data lock, and starts again.
TEST_F(Ending, AKilledProgramLeavesNoScriptEvaluator) {
  TScriptedServer scripts;
  for (int i = 0; i < 20; ++i)
    scripts.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\nfunction FindProxyForURL(u, h) { for (;;) {} }"});
  TScriptedServer site;
  WriteSources({site.Url("a.html"), site.Url("b.html"), site.Url("c.html")});
  WriteFirstRunSettings(
      folder, "[Connection]\nUseProxyScript=1\nProxyScript=" + scripts.Url("proxy.pac") + "\n");
  std::vector<pid_t> evaluators;
  {
    TProgram program(Exe(), display);
    ASSERT_NE(WindowId(), 0u) << ReadFileBytes(folder.File("program.log"));
    const pid_t pid = program.Pid();
    const auto start = std::chrono::steady_clock::now();
    while (evaluators.empty() && std::chrono::steady_clock::now() - start < Deadline) {
      evaluators = ChildrenOf(pid);
      std::this_thread::sleep_for(20ms);
    }
    ASSERT_FALSE(evaluators.empty()) << "no script was evaluated";
    program.Signal(SIGKILL);
    program.Wait(Deadline);
  }
  const auto killed = std::chrono::steady_clock::now();
  auto alive = [&] {
    for (pid_t evaluator : evaluators)
      if (kill(evaluator, 0) == 0 &&
          ReadFileBytes("/proc/" + std::to_string(evaluator) + "/stat").find(") Z") ==
              std::string::npos)
        return true;
    return false;
  };
  while (alive() && std::chrono::steady_clock::now() - killed < Deadline)
    std::this_thread::sleep_for(20ms);
  std::printf("evaluator gone %lld ms after the program was killed\n", MsSince(killed));
  EXPECT_FALSE(alive()) << "an evaluator outlived the program";
  for (pid_t evaluator : evaluators)
    if (alive())
      kill(evaluator, SIGKILL);
  TProgram again(Exe(), display);
  EXPECT_NE(WindowId(), 0u) << "the restart shows no window";
  again.Signal(SIGTERM);
  EXPECT_EQ(again.Wait(Deadline), 0);
}

} // namespace
