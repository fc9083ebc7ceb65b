#include "tests/support/Loopback.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <set>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

sockaddr_in LoopbackAddress(int port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  return addr;
}

bool IsExecutable(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

enum TTcpState : unsigned { tsSynSent = 0x02, tsListen = 0x0A };

// The inodes of the sockets in that state whose local end (or remote end) is
// 127.0.0.1:port, from /proc/net/tcp.
std::set<unsigned long> LoopbackSockets(int port, TTcpState state, bool remote) {
  std::set<unsigned long> inodes;
  FILE* table = std::fopen("/proc/net/tcp", "r");
  if (table == nullptr)
    return inodes;
  char line[512];
  std::fgets(line, sizeof line, table); // the heading
  while (std::fgets(line, sizeof line, table) != nullptr) {
    unsigned local = 0, localPort = 0, peer = 0, peerPort = 0, found = 0;
    unsigned long inode = 0;
    if (std::sscanf(line, " %*d: %x:%x %x:%x %x %*x:%*x %*x:%*x %*x %*u %*d %lu", &local,
                    &localPort, &peer, &peerPort, &found, &inode) != 6)
      continue;
    const unsigned address = remote ? peer : local;
    const unsigned endPort = remote ? peerPort : localPort;
    if (address == htonl(INADDR_LOOPBACK) && static_cast<int>(endPort) == port && found == state)
      inodes.insert(inode);
  }
  std::fclose(table);
  return inodes;
}

// How many of the sockets the process holds.
int HeldSockets(int pid, const std::set<unsigned long>& inodes) {
  const std::string folder = "/proc/" + std::to_string(pid) + "/fd";
  DIR* fds = opendir(folder.c_str());
  if (fds == nullptr)
    return 0;
  int held = 0;
  for (dirent* entry; (entry = readdir(fds)) != nullptr;) {
    char target[64];
    const ssize_t n = readlink((folder + "/" + entry->d_name).c_str(), target, sizeof target - 1);
    unsigned long inode = 0;
    if (n <= 0)
      continue;
    target[n] = '\0';
    if (std::sscanf(target, "socket:[%lu]", &inode) == 1 && inodes.count(inode) != 0)
      ++held;
  }
  closedir(fds);
  return held;
}

} // namespace

int FreeLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0)
    throw std::runtime_error("cannot create a socket");
  sockaddr_in addr = LoopbackAddress(0);
  socklen_t len = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    close(fd);
    throw std::runtime_error("cannot bind a loopback port");
  }
  close(fd);
  return ntohs(addr.sin_port);
}

bool WaitForLoopbackPort(int port, int timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr = LoopbackAddress(port);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    if (ok)
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

int ConnectsWaiting(int pid, int port) {
  return HeldSockets(pid, LoopbackSockets(port, tsSynSent, true));
}

std::string LoopbackUrl(int port, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(port) + "/" +
         (path.starts_with('/') ? path.substr(1) : path);
}

std::string FindProgram(const std::string& program) {
  std::string dirs = std::getenv("PATH") ? std::getenv("PATH") : "";
  dirs += ":/usr/sbin:/sbin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string candidate = dirs.substr(start, end - start) + "/" + program;
    if (end > start && IsExecutable(candidate))
      return candidate;
    start = end + 1;
  }
  return "";
}

void TServerProcess::Start(const std::string& program, const std::vector<std::string>& args,
                           const std::string& logFile) {
  Stop();
  const std::string path = FindProgram(program);
  if (path.empty())
    throw std::runtime_error(program + " is not installed (run scripts/install-deps.sh)");
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const auto& arg : args)
    argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  const int log = open(logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (log < 0)
    throw std::runtime_error("cannot open " + logFile);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(log, STDOUT_FILENO);
    dup2(log, STDERR_FILENO);
    const int null = open("/dev/null", O_RDONLY);
    dup2(null, STDIN_FILENO);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  close(log);
  if (pid < 0)
    throw std::runtime_error("cannot start " + path);
  pid_ = pid;
}

bool TServerProcess::Running() {
  if (pid_ <= 0)
    return false;
  int status;
  if (waitpid(pid_, &status, WNOHANG) == 0)
    return true;
  pid_ = -1;
  return false;
}

bool TServerProcess::WaitUntilListening(int port) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (Running()) {
    if (HeldSockets(pid_, LoopbackSockets(port, tsListen, false)) > 0)
      return true;
    if (std::chrono::steady_clock::now() >= deadline)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  Stop();
  return false;
}

void TServerProcess::Stop() {
  if (!Running())
    return;
  kill(pid_, SIGTERM);
  for (int i = 0; i < 300; ++i) {
    int status;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(pid_, SIGKILL);
  int status;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}
