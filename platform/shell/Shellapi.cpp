#include "platform/shell/Shellapi.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

// How long a browser starter may take to fail before it counts as started.
constexpr int kStartJudgeMs = 3000;
constexpr int kCaptureMs = 3000;

bool StartsWithNoCase(const AnsiString& s, const char* prefix) {
  const size_t n = std::strlen(prefix);
  if (s.size() < n)
    return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(s[i])) != prefix[i])
      return false;
  return true;
}

AnsiString Trim(const AnsiString& s) {
  const size_t b = s.find_first_not_of(" \t\r\n");
  if (b == AnsiString::npos)
    return "";
  return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// A started child; waits on it and keeps its exit status.
class TProcessHandle : public THandleObject {
public:
  explicit TProcessHandle(pid_t pid) : pid(pid) {}
  ~TProcessHandle() override {
    if (!Reaped())
      std::thread([p = pid] { ::waitpid(p, nullptr, 0); }).detach();
  }

  DWORD Wait(DWORD milliseconds) override {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::lock_guard<std::mutex> guard(lock);
    while (!reaped) {
      if (milliseconds == INFINITE) {
        Reap(0);
        continue;
      }
      if (Reap(WNOHANG))
        break;
      if (std::chrono::steady_clock::now() >= deadline)
        return WAIT_TIMEOUT;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return WAIT_OBJECT_0;
  }

  bool Reaped() {
    Wait(0);
    std::lock_guard<std::mutex> guard(lock);
    return reaped;
  }
  DWORD ExitCode() const { return exitCode; }
  pid_t Pid() const { return pid; }

private:
  bool Reap(int flags) {
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, flags);
    if (r == pid || (r < 0 && errno != EINTR)) {
      reaped = true;
      exitCode = r == pid && WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    }
    return reaped;
  }

  pid_t pid;
  std::mutex lock;
  bool reaped = false;
  DWORD exitCode = STILL_ACTIVE;
};

// Starts argv[0] (searched in PATH) with no inherited file but the standard
// three, stdout optionally into a pipe. 0 on success, else errno.
int Spawn(const std::vector<AnsiString>& argv, const char* directory, int stdoutFd, pid_t& pid) {
  if (argv.empty() || argv[0].empty())
    return ENOENT;
  std::vector<char*> args;
  for (const auto& a : argv)
    args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (stdoutFd >= 0)
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  if (directory != nullptr && *directory != '\0')
    posix_spawn_file_actions_addchdir_np(&actions, directory);
  const int r = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return r;
}

// Starts a browser starter and judges it: a start failure or a quick
// non-zero exit is a failure; still running after the judging time is a
// success (it may be the browser itself).
bool StartAndJudge(const std::vector<AnsiString>& argv) {
  pid_t pid = 0;
  if (Spawn(argv, nullptr, -1, pid) != 0)
    return false;
  TProcessHandle process(pid);
  if (process.Wait(kStartJudgeMs) == WAIT_TIMEOUT)
    return true;
  return process.ExitCode() == 0;
}

// The standard output of a short helper, empty on any failure.
AnsiString Capture(const std::vector<AnsiString>& argv) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0)
    return "";
  pid_t pid = 0;
  const int r = Spawn(argv, nullptr, fds[1], pid);
  ::close(fds[1]);
  AnsiString out;
  if (r == 0) {
    TProcessHandle process(pid);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kCaptureMs);
    char buffer[4096];
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      pollfd p{fds[0], POLLIN, 0};
      if (left <= 0 || ::poll(&p, 1, static_cast<int>(left)) <= 0)
        break;
      const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
      if (n <= 0)
        break;
      out.append(buffer, static_cast<size_t>(n));
    }
    if (process.Wait(0) == WAIT_TIMEOUT)
      ::kill(pid, SIGKILL);
  }
  ::close(fds[0]);
  return out;
}

// The argument vectors that may open target, in the order they are tried.
std::vector<std::vector<AnsiString>> Openers(const AnsiString& target) {
  std::vector<std::vector<AnsiString>> openers{{"xdg-open", target}};
  const char* browser = std::getenv("BROWSER");
  AnsiString list = browser != nullptr ? browser : "";
  size_t start = 0;
  while (start <= list.size()) {
    const size_t colon = std::min(list.find(':', start), list.size());
    std::vector<AnsiString> argv = CommandLineToArgv(list.substr(start, colon - start));
    start = colon + 1;
    if (argv.empty())
      continue;
    bool placed = false;
    for (auto& a : argv)
      for (size_t at = a.find("%s"); at != AnsiString::npos;
           at = a.find("%s", at + target.size())) {
        a.replace(at, 2, target);
        placed = true;
      }
    if (!placed)
      argv.push_back(target);
    openers.push_back(argv);
  }
  openers.push_back({"sensible-browser", target});
  return openers;
}

bool HasScheme(const AnsiString& s) {
  const size_t colon = s.find(':');
  if (colon == AnsiString::npos || colon < 2) // one letter is a drive, not a scheme
    return false;
  for (size_t i = 0; i < colon; ++i)
    if (!std::isalnum(static_cast<unsigned char>(s[i])) && s[i] != '+' && s[i] != '-' &&
        s[i] != '.')
      return false;
  return true;
}

bool IsExecutableFile(const AnsiString& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// A path to a program, or a bare name that the search path finds, as the
// platform's shell starts "notepad" by its name.
bool IsProgram(const AnsiString& target) {
  if (target.find('/') != AnsiString::npos)
    return IsExecutableFile(target);
  const char* path = std::getenv("PATH");
  const AnsiString list = path != nullptr ? path : "";
  for (size_t start = 0; start <= list.size();) {
    const size_t colon = std::min(list.find(':', start), list.size());
    if (colon > start && IsExecutableFile(list.substr(start, colon - start) + "/" + target))
      return true;
    start = colon + 1;
  }
  return false;
}

int OpenDocument(const AnsiString& target) {
  if (HasScheme(target) && !IsLaunchableUrl(target))
    return SE_ERR_ACCESSDENIED;
  if (!HasScheme(target) && target.find_first_of("\"\r\n") != AnsiString::npos)
    return SE_ERR_ACCESSDENIED;
  // The openers would take a leading dash for an option of their own.
  if (!target.empty() && target[0] == '-')
    return SE_ERR_ACCESSDENIED;
  for (const auto& argv : Openers(target))
    if (StartAndJudge(argv))
      return 42;
  return SE_ERR_NOASSOC;
}

// Splits a desktop entry's Exec value: double quotes group, and inside them a
// backslash takes the next character literally.
std::vector<AnsiString> SplitExec(const AnsiString& exec) {
  std::vector<AnsiString> argv;
  AnsiString current;
  bool inQuotes = false, any = false;
  for (size_t i = 0; i < exec.size(); ++i) {
    const char c = exec[i];
    if (inQuotes && c == '\\' && i + 1 < exec.size()) {
      current += exec[++i];
    } else if (c == '"') {
      inQuotes = !inQuotes;
      any = true;
    } else if (!inQuotes && (c == ' ' || c == '\t')) {
      if (any || !current.empty())
        argv.push_back(current);
      current.clear();
      any = false;
    } else {
      current += c;
    }
  }
  if (any || !current.empty())
    argv.push_back(current);
  return argv;
}

// The field codes of an Exec argument: the first link or file code becomes
// the "%1" of a parameter line, further ones and the icon, name and location
// codes go, "%%" is a percent sign.
AnsiString ExpandFieldCodes(const AnsiString& arg, bool& placed) {
  AnsiString out;
  for (size_t i = 0; i < arg.size(); ++i) {
    if (arg[i] != '%' || i + 1 == arg.size()) {
      out += arg[i];
      continue;
    }
    const char code = arg[++i];
    if (code == '%') {
      out += '%';
    } else if (std::strchr("uUfF", code) != nullptr && !placed) {
      out += "%1";
      placed = true;
    }
  }
  return out;
}

AnsiString ExecOfDesktopEntry(const AnsiString& path) {
  std::ifstream in(path);
  std::string line;
  bool inEntry = false;
  while (std::getline(in, line)) {
    line = Trim(line);
    if (!line.empty() && line[0] == '[') {
      inEntry = line == "[Desktop Entry]";
      continue;
    }
    if (inEntry && line.rfind("Exec", 0) == 0) {
      const size_t eq = line.find('=');
      if (eq != std::string::npos && Trim(line.substr(4, eq - 4)).empty())
        return Trim(line.substr(eq + 1));
    }
  }
  return "";
}

AnsiString FindDesktopEntry(const AnsiString& id) {
  if (id.empty() || id.find('/') != AnsiString::npos)
    return "";
  std::vector<AnsiString> dirs;
  const char* home = std::getenv("HOME");
  const char* dataHome = std::getenv("XDG_DATA_HOME");
  if (dataHome != nullptr && *dataHome != '\0')
    dirs.push_back(dataHome);
  else if (home != nullptr)
    dirs.push_back(AnsiString(home) + "/.local/share");
  const char* dataDirs = std::getenv("XDG_DATA_DIRS");
  AnsiString rest =
      dataDirs != nullptr && *dataDirs != '\0' ? dataDirs : "/usr/local/share:/usr/share";
  for (size_t start = 0; start <= rest.size();) {
    const size_t colon = std::min(rest.find(':', start), rest.size());
    if (colon > start)
      dirs.push_back(rest.substr(start, colon - start));
    start = colon + 1;
  }
  for (const auto& d : dirs) {
    const AnsiString path = d + "/applications/" + id;
    if (::access(path.c_str(), R_OK) == 0)
      return path;
  }
  return "";
}

AnsiString QuotedIfNeeded(const AnsiString& arg) {
  return arg.find_first_of(" \t") == AnsiString::npos ? arg : "\"" + arg + "\"";
}

} // namespace

bool IsLaunchableUrl(const AnsiString& url) {
  if (!StartsWithNoCase(url, "http://") && !StartsWithNoCase(url, "https://") &&
      !StartsWithNoCase(url, "file:"))
    return false;
  for (char c : url)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '"')
      return false;
  return true;
}

std::vector<AnsiString> CommandLineToArgv(const AnsiString& commandLine) {
  std::vector<AnsiString> argv;
  AnsiString current;
  bool inQuotes = false, inArg = false;
  size_t i = 0;
  while (i < commandLine.size()) {
    const char c = commandLine[i];
    if (!inQuotes && (c == ' ' || c == '\t')) {
      if (inArg)
        argv.push_back(current);
      current.clear();
      inArg = false;
      ++i;
      continue;
    }
    inArg = true;
    if (c == '\\') {
      size_t n = 0;
      while (i < commandLine.size() && commandLine[i] == '\\') {
        ++n;
        ++i;
      }
      if (i < commandLine.size() && commandLine[i] == '"') {
        current.append(n / 2, '\\');
        if (n % 2 == 1) {
          current += '"';
          ++i;
        }
      } else {
        current.append(n, '\\');
      }
      continue;
    }
    if (c == '"') {
      if (inQuotes && i + 1 < commandLine.size() && commandLine[i + 1] == '"') {
        current += '"';
        i += 2;
        continue;
      }
      inQuotes = !inQuotes;
      ++i;
      continue;
    }
    current += c;
    ++i;
  }
  if (inArg)
    argv.push_back(current);
  return argv;
}

int ShellExecuteA(void*, const char* verb, const char* file, const char* parameters,
                  const char* directory, int) {
  if (file == nullptr || *file == '\0')
    return SE_ERR_FNF;
  if (verb != nullptr && *verb != '\0' && std::strcmp(verb, "open") != 0)
    return SE_ERR_NOASSOC;
  const AnsiString target = file;
  if (HasScheme(target) || !IsProgram(target))
    return OpenDocument(target);
  std::vector<AnsiString> argv{target};
  for (auto& a : CommandLineToArgv(parameters != nullptr ? parameters : ""))
    argv.push_back(a);
  pid_t pid = 0;
  if (Spawn(argv, directory, -1, pid) != 0)
    return SE_ERR_FNF;
  TProcessHandle reaper(pid); // reaps the child in the background when it ends
  return 42;
}

unsigned WinExec(const char* commandLine, unsigned) {
  const auto argv = CommandLineToArgv(commandLine != nullptr ? commandLine : "");
  if (argv.empty())
    return 0;
  pid_t pid = 0;
  if (Spawn(argv, nullptr, -1, pid) != 0)
    return ERROR_FILE_NOT_FOUND;
  TProcessHandle reaper(pid);
  return 33;
}

BOOL CreateProcessA(const char* applicationName, char* commandLine, void*, void*, BOOL, DWORD,
                    void*, const char* currentDirectory, STARTUPINFOA*,
                    PROCESS_INFORMATION* processInformation) {
  std::vector<AnsiString> argv = CommandLineToArgv(commandLine != nullptr ? commandLine : "");
  if (applicationName != nullptr && *applicationName != '\0') {
    if (argv.empty())
      argv.push_back(applicationName);
    else
      argv[0] = applicationName;
  }
  pid_t pid = 0;
  const int r = Spawn(argv, currentDirectory, -1, pid);
  if (r != 0) {
    SetLastError(r == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_FILE_NOT_FOUND);
    return 0;
  }
  if (processInformation != nullptr) {
    processInformation->hProcess = new TProcessHandle(pid);
    processInformation->hThread = new THandleObject;
    processInformation->dwProcessId = static_cast<DWORD>(pid);
    processInformation->dwThreadId = static_cast<DWORD>(pid);
  } else {
    TProcessHandle reaper(pid);
  }
  return 1;
}

BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode) {
  auto* p = dynamic_cast<TProcessHandle*>(process);
  if (p == nullptr || exitCode == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  *exitCode = p->Reaped() ? p->ExitCode() : STILL_ACTIVE;
  return 1;
}

bool FindDesktopBrowser(AnsiString& program, AnsiString& parameters) {
  program.clear();
  parameters.clear();
  const std::vector<std::vector<AnsiString>> queries{
      {"xdg-settings", "get", "default-web-browser"},
      {"xdg-mime", "query", "default", "x-scheme-handler/http"},
      {"xdg-mime", "query", "default", "text/html"},
  };
  for (const auto& query : queries) {
    const AnsiString entry = FindDesktopEntry(Trim(Capture(query)));
    const auto argv = SplitExec(entry.empty() ? "" : ExecOfDesktopEntry(entry));
    if (argv.empty())
      continue;
    bool placed = false;
    program = argv[0];
    for (size_t i = 1; i < argv.size(); ++i) {
      const AnsiString arg = ExpandFieldCodes(argv[i], placed);
      if (arg.empty())
        continue;
      if (!parameters.empty())
        parameters += ' ';
      parameters += QuotedIfNeeded(arg);
    }
    return true;
  }
  return false;
}
