// The running program on an X server of the test's own: switching to the
// full-mode window and back with the buttons, dragging and resizing it with
// the pointer, its three size modes, and closing the program while it shows.
// Screenshots stay in <build>/screenshots for review.
#include "tests/support/Command.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

void Sleep(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool WaitFor(const std::function<bool()>& Done, int ms = 30000) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!Done() && std::chrono::steady_clock::now() < until)
    Sleep(100);
  return Done();
}

struct TGeometry {
  int x = 0, y = 0, width = 0, height = 0;
  bool operator==(const TGeometry&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TGeometry& g) {
  return os << g.width << "x" << g.height << "+" << g.x << "+" << g.y;
}

// The program's windows that show: both are named after it, and the two
// windows take turns.
std::vector<long> ShownWindows() {
  std::istringstream windows(RunCommand("xdotool search --onlyvisible --name '' 2>/dev/null"));
  std::vector<long> shown;
  for (long window = 0; windows >> window;)
    if (RunCommand("xdotool getwindowname " + std::to_string(window) + " 2>/dev/null") ==
        "Welka Tidor\n")
      shown.push_back(window);
  return shown;
}

// The shown window of the program other than `other`; 0 when there is none.
long ShownWindowBut(long other) {
  for (long window : ShownWindows())
    if (window != other)
      return window;
  return 0;
}

bool Shown(long window) {
  const std::vector<long> shown = ShownWindows();
  return std::find(shown.begin(), shown.end(), window) != shown.end();
}

TGeometry GeometryOf(long window) {
  TGeometry g;
  const std::string out = RunCommand("xdotool getwindowgeometry --shell " + std::to_string(window));
  std::sscanf(out.c_str(), "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &g.x, &g.y, &g.width,
              &g.height);
  return g;
}

void Xdotool(const std::string& args) {
  ASSERT_EQ(std::system(("xdotool " + args).c_str()), 0) << args;
}

// The pointer comes onto the spot before it presses, as a hand does.
void Click(int x, int y) {
  Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
  Sleep(150);
  Xdotool("mousedown 1");
  Sleep(60);
  Xdotool("mouseup 1");
  Sleep(200);
}

// Presses at (x, y), moves by (dx, dy) in a few steps and lets go.
void Drag(int x, int y, int dx, int dy) {
  Xdotool("mousemove " + std::to_string(x) + " " + std::to_string(y));
  Sleep(150);
  Xdotool("mousedown 1");
  constexpr int steps = 5;
  for (int i = 1; i <= steps; ++i) {
    Xdotool("mousemove " + std::to_string(x + dx * i / steps) + " " +
            std::to_string(y + dy * i / steps));
    Sleep(60);
  }
  Xdotool("mouseup 1");
  Sleep(300);
}

std::string Screenshot(const std::string& name, const TGeometry& g) {
  const std::filesystem::path dir = std::filesystem::path(WT_BINARY_DIR) / "screenshots";
  std::filesystem::create_directories(dir);
  const std::string file = (dir / name).string();
  std::filesystem::remove(file);
  RunCommand("import -window root -crop " + std::to_string(g.width) + "x" +
             std::to_string(g.height) + "+" + std::to_string(g.x) + "+" + std::to_string(g.y) +
             " +repage '" + file + "' 2>&1");
  return file;
}

// Six items received a few seconds apart, the newest a moment ago.
std::string NewsFile() {
  const char* const headlines[] = {
      "Rates go up again",        "Storm warning for the coast", "New bridge opens",
      "Elections: first results", "Concert tonight in the park", "Market closes higher"};
  const double now = static_cast<double>(std::time(nullptr)) / 86400.0 + 25569.0;
  std::string text;
  for (int i = 0; i < 6; ++i) {
    char received[64];
    std::snprintf(received, sizeof received, "%lf", now - (2 + i * 6) / 86400.0);
    text += std::string("alpha\r\n") + received + "\r\n" + headlines[i] + "\r\n/n" +
            std::to_string(i) + ".html\r\n0\r\n10/12/2026\r\n";
  }
  return text;
}

constexpr const char* kSources =
    "Source definition version 1.020b\r\n1.020b\r\n\r\n\r\n"
    "----\r\nhttp://127.0.0.1:9/a.html\r\nalpha\r\n\r\n"
    "true\r\ntrue\r\nfalse\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n3\r\n0\r\n";

// The full-mode window's command buttons, from the right end of the window.
constexpr int kCmdWidth = 178;
constexpr int kSmaller = 62, kBigger = 86, kNormalMode = 110;
constexpr int kFullModeButtonX = 533 + 11, kFullModeButtonY = 4 + 11;

// The program in a folder of its own, with its settings, sources and news.
class RunningProgram : public testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(UseXServer());
    program = dir.File("welkatidor");
    std::filesystem::copy_file(WT_PROGRAM, program);
    dir.Write("welkatidor.INI", "[ColWidth.NewsFull]\nDate=80\nSource=114\nHeader=329\n"
                                "[Main.Window]\nLeft=25\nTop=25\n" +
                                    MoreSettings());
    dir.Write("welkatidor.NSC", kSources);
    dir.Write("welkatidor.NDT", NewsFile());
    Start();
  }
  virtual std::string MoreSettings() const { return ""; }
  void TearDown() override {
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }

  void Start() {
    // The program inherits the rest: the sanitizers' options among it.
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    char* argv[] = {program.data(), nullptr};
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ), 0);
    ASSERT_TRUE(WaitFor([&] { return (mainWindow = ShownWindowBut(0)) != 0; }))
        << "the main window never showed";
  }
  // SIGTERM closes the program through its main window; its exit status.
  int Stop() {
    kill(pid, SIGTERM);
    int status = -1;
    waitpid(pid, &status, 0);
    pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Presses the main window's full-mode button; the full-mode window.
  long SwitchToFullMode() {
    const TGeometry main = GeometryOf(mainWindow);
    Click(main.x + kFullModeButtonX, main.y + kFullModeButtonY);
    long full = 0;
    EXPECT_TRUE(WaitFor([&] { return (full = ShownWindowBut(mainWindow)) != 0; }));
    EXPECT_TRUE(WaitFor([&] { return !Shown(mainWindow); }));
    Sleep(300);
    return full;
  }
  void ClickCommand(long window, int left) {
    const TGeometry g = GeometryOf(window);
    Click(g.x + g.width - kCmdWidth + left + 11, g.y + 13);
  }

  TTempDir dir;
  std::string program;
  pid_t pid = -1;
  long mainWindow = 0;
};

TEST_F(RunningProgram, FullModeSwitchesDragsResizesAndChangesSizeMode) {
  const long full = SwitchToFullMode();
  ASSERT_NE(full, 0);
  const TGeometry start = GeometryOf(full);
  EXPECT_EQ(start.width, 760);
  EXPECT_EQ(start.height, 420);
  Screenshot("fullmode-normal.png", start);

  // Dragged by the bottom bar left of the filter's caption.
  Drag(start.x + 3, start.y + start.height - 13, 100, 50);
  const TGeometry moved = GeometryOf(full);
  EXPECT_EQ(moved, (TGeometry{start.x + 100, start.y + 50, start.width, start.height}));

  // Resized by the grip in the bottom-right corner.
  Drag(moved.x + moved.width - 5, moved.y + moved.height - 5, 80, 60);
  const TGeometry resized = GeometryOf(full);
  EXPECT_EQ(resized, (TGeometry{moved.x, moved.y, moved.width + 80, moved.height + 60}));

  ClickCommand(full, kBigger);
  EXPECT_TRUE(WaitFor([&] {
    return GeometryOf(full) == TGeometry{0, 0, 1280, 1024};
  })) << GeometryOf(full);
  Sleep(300);
  Screenshot("fullmode-enlarged.png", GeometryOf(full));

  ClickCommand(full, kSmaller);
  EXPECT_TRUE(WaitFor([&] { return GeometryOf(full) == resized; })) << GeometryOf(full);
  ClickCommand(full, kSmaller);
  const TGeometry reduced{resized.x, resized.y, resized.width, 26};
  EXPECT_TRUE(WaitFor([&] { return GeometryOf(full) == reduced; })) << GeometryOf(full);
  Sleep(300);
  Screenshot("fullmode-reduced.png", reduced);
  ClickCommand(full, kBigger);
  EXPECT_TRUE(WaitFor([&] { return GeometryOf(full) == resized; })) << GeometryOf(full);

  ClickCommand(full, kNormalMode);
  EXPECT_TRUE(WaitFor([&] { return Shown(mainWindow); }));
  EXPECT_TRUE(WaitFor([&] { return !Shown(full); }));
  EXPECT_EQ(Stop(), 0);
}

TEST_F(RunningProgram, ClosingInFullModeKeepsItsColumnWidths) {
  const long full = SwitchToFullMode();
  ASSERT_NE(full, 0);
  const TGeometry g = GeometryOf(full);
  // The border between the first two column titles, from 80 to 130.
  Drag(g.x + 80, g.y + 26 + 6, 50, 0);
  EXPECT_EQ(Stop(), 0);
  const std::string ini = ReadFileBytes(dir.File("welkatidor.INI"));
  const auto section = ini.find("[ColWidth.NewsFull]");
  ASSERT_NE(section, std::string::npos) << ini;
  EXPECT_EQ(ini.substr(section, ini.find('[', section + 1) - section),
            "[ColWidth.NewsFull]\r\nDate=130\r\nSource=114\r\nHeader=329\r\n")
      << ini;
}

class RunningProgramInFrench : public RunningProgram {
protected:
  std::string MoreSettings() const override { return "[Misc]\nLanguage=1000\n"; }
};

TEST_F(RunningProgramInFrench, FullModeShowsItsFrenchTexts) {
  const long full = SwitchToFullMode();
  ASSERT_NE(full, 0);
  const std::string shot = Screenshot("fullmode-fr.png", GeometryOf(full));
  EXPECT_TRUE(std::filesystem::exists(shot));
  EXPECT_EQ(Stop(), 0);
}

} // namespace
