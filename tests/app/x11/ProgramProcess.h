#pragma once
// The program as a process of its own on a real X server, and what the tests
// that drive it share: shell commands (xdotool, import) and the folder the
// screenshots stay in. The server is the test process's own (XDisplay), so
// every window on it is one the test started.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "tests/support/Command.h"
#include "tests/support/TempDir.h"
#include "tests/support/XServer.h"

namespace program_process {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline const fs::path ScreenshotFolder = fs::path(WT_BINARY_DIR) / "screenshots";

// The output of a shell command, "" when it fails.
inline std::string Shell(const std::string& command) {
  TCommandRun run = RunCommandFully(command);
  return run.Status == 0 ? std::move(run.Output) : std::string();
}

// How long a test waits for what a user would see happen soon: a deadline for
// a loaded machine, which only ends a wait that will never end.
constexpr auto Patience = 30s;

// Polls until done holds or the patience runs out; whether it held.
template <class Done> bool WaitUntil(Done done, std::chrono::milliseconds patience = Patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(100ms);
  }
  return true;
}

// The visible windows of exactly that name on the display, as xdotool lists
// them.
inline std::string VisibleWindows(const std::string& display, const std::string& name) {
  return Shell("DISPLAY=" + display + " xdotool search --onlyvisible --name '^" + name +
               "$' 2>/dev/null");
}

// The visible window of exactly that name on the display, 0 when none shows.
inline unsigned long VisibleWindow(const std::string& display, const std::string& name) {
  std::string id;
  WaitUntil([&] { return !(id = VisibleWindows(display, name)).empty(); });
  return id.empty() ? 0 : std::stoul(id);
}

// Whether every window of that name is gone from the screen within the time.
inline bool NoVisibleWindow(const std::string& display, const std::string& name) {
  return WaitUntil([&] { return VisibleWindows(display, name).empty(); });
}

// The window photographed into the screenshot folder; the file's path.
inline fs::path PhotographWindow(const std::string& display, unsigned long window,
                                 const std::string& name) {
  const fs::path file = ScreenshotFolder / name;
  Shell("DISPLAY=" + display + " import -window " + std::to_string(window) + " " + file.string());
  return file;
}

// Where the first rows of the windows' grids are in their photographs.
inline const std::string MainGridRows = "400x120+12+56";
inline const std::string FullModeGridRows = "500x100+0+42";

// The number of colours the rows of a grid hold in a window's photograph (an
// empty grid is one colour, its items bring more).
inline int GridColours(const fs::path& photograph, const std::string& rows = MainGridRows) {
  const std::string colours =
      Shell("convert " + photograph.string() + " -crop " + rows + " +repage -format %k info:");
  return colours.empty() ? 0 : std::stoi(colours);
}

// The program as a process of its own, started in its folder.
class TProgram {
public:
  TProgram(const fs::path& exe, const std::string& display) {
    pid = fork();
    if (pid == 0) {
      setenv("DISPLAY", display.c_str(), 1);
      setenv("QT_QPA_PLATFORM", "xcb", 1);
      if (chdir(exe.parent_path().c_str()) != 0)
        _exit(126);
      std::freopen((exe.parent_path() / "program.log").c_str(), "a", stderr);
      execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TProgram() {
    if (pid > 0 && !ended) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
    }
  }
  // Its exit code once it has ended within the time; -1 otherwise.
  int Wait(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
      int status = 0;
      if (waitpid(pid, &status, WNOHANG) == pid) {
        ended = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(50ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return -1;
  }
  bool Alive() const { return !ended && kill(pid, 0) == 0; }
  pid_t Pid() const { return pid; }
  bool Ended() const { return ended; }
  void Signal(int number) const { kill(pid, number); }

private:
  pid_t pid = -1;
  bool ended = false;
};

// The X server the test's programs run on: the test process's own; "" when
// Xvfb could not start.
inline std::string XDisplay() {
  return OwnXDisplay();
}

// A copy of the program with its help pages in folder, to start there.
inline void PlaceProgram(const TTempDir& folder) {
  fs::copy_file(fs::path(WT_BINARY_DIR) / "app/welkatidor", folder.File("welkatidor"));
  fs::copy(fs::path(WT_SOURCE_DIR) / "resources/help", folder.File("help"),
           fs::copy_options::recursive);
  fs::create_directories(ScreenshotFolder);
}

// The first-run settings the build places, with more lines after them.
inline void WriteFirstRunSettings(const TTempDir& folder, const std::string& more) {
  std::ifstream in(fs::path(WT_SOURCE_DIR) / "resources/firstrun.INI");
  std::stringstream text;
  text << in.rdbuf();
  folder.Write("welkatidor.INI", text.str() + more);
}

// A sources file of enabled sources, (name, URL) each, that extract news and
// track changes.
inline std::string SourcesFile(const std::vector<std::pair<std::string, std::string>>& sources) {
  std::string text = "Source definition version 1.020b\r\n1.020b\r\n\r\n\r\n";
  for (const auto& [name, url] : sources)
    text += "----\r\n" + url + "\r\n" + name +
            "\r\n\r\ntrue\r\ntrue\r\nfalse\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n3\r\n0\r\n";
  return text;
}

// The same for URLs alone, named "Source 1", "Source 2" and so on.
inline std::string NumberedSourcesFile(const std::vector<std::string>& urls) {
  std::vector<std::pair<std::string, std::string>> named;
  for (const std::string& url : urls)
    named.emplace_back("Source " + std::to_string(named.size() + 1), url);
  return SourcesFile(named);
}

} // namespace program_process
