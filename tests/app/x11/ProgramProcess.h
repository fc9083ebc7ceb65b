#pragma once
// The program as a process of its own on a real X server, and what the tests
// that drive it share: shell commands (xdotool, import) and the folder the
// screenshots stay in.
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

namespace program_process {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

inline const fs::path ScreenshotFolder = fs::path(WT_BINARY_DIR) / "screenshots";

// The output of a shell command, "" when it fails.
inline std::string Shell(const std::string& command) {
  TCommandRun run = RunCommandFully(command);
  return run.Status == 0 ? std::move(run.Output) : std::string();
}

// The visible window of exactly that name on the display, 0 when none
// shows within ten seconds.
inline unsigned long VisibleWindow(const std::string& display, const std::string& name) {
  for (int i = 0; i < 100; ++i) {
    const std::string id = Shell("DISPLAY=" + display + " xdotool search --onlyvisible --name '^" +
                                 name + "$' 2>/dev/null");
    if (!id.empty())
      return std::stoul(id);
    std::this_thread::sleep_for(100ms);
  }
  return 0;
}

// The window photographed into the screenshot folder; the file's path.
inline fs::path PhotographWindow(const std::string& display, unsigned long window,
                                 const std::string& name) {
  const fs::path file = ScreenshotFolder / name;
  Shell("DISPLAY=" + display + " import -window " + std::to_string(window) + " " + file.string());
  return file;
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

// The X server the tests run on, named by WT_X_DISPLAY (scripts/test.sh
// starts one); "" when none is named.
inline std::string XDisplay() {
  const char* x = std::getenv("WT_X_DISPLAY");
  return x != nullptr ? x : "";
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

} // namespace program_process
