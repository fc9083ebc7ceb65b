#include "tests/support/ScriptedServer.h"

#include <arpa/inet.h>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/Loopback.h"

namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
  return static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
}

// True when fd has data or an end of stream within ms.
bool Readable(int fd, int ms) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, ms) > 0;
}

// Reads the request head: until the blank line, the client's close, or a
// second without data.
std::string ReadRequest(int fd) {
  std::string request;
  char buf[4096];
  while (request.find("\r\n\r\n") == std::string::npos && Readable(fd, 1000)) {
    const ssize_t n = recv(fd, buf, sizeof buf, 0);
    if (n <= 0)
      break;
    request.append(buf, static_cast<size_t>(n));
  }
  return request;
}

bool SendAll(int fd, const char* bytes, size_t length) {
  size_t sent = 0;
  while (sent < length) {
    const ssize_t n = send(fd, bytes + sent, length - sent, MSG_NOSIGNAL);
    if (n <= 0)
      return false;
    sent += static_cast<size_t>(n);
  }
  return true;
}

void SendReply(int fd, const TScriptedReply& reply) {
  if (!SendAll(fd, reply.Bytes.data(), reply.Bytes.size()))
    return;
  const std::string chunk(64 * 1024, reply.FillByte);
  for (size_t left = reply.FillLength; left > 0;) {
    const size_t n = std::min(left, chunk.size());
    if (!SendAll(fd, chunk.data(), n))
      return;
    left -= n;
  }
}

void CloseConnection(int fd, bool reset) {
  if (reset) {
    linger l{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
  } else {
    shutdown(fd, SHUT_WR);
  }
  close(fd);
}

} // namespace

TScriptedServer::TScriptedServer() {
  listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(listenFd_, 64) != 0 ||
      getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
    throw std::runtime_error("scripted server: cannot listen on 127.0.0.1");
  port_ = ntohs(addr.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

TScriptedServer::~TScriptedServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  acceptor_.join();
  close(listenFd_);
  for (auto& worker : workers_)
    worker.join();
}

std::string TScriptedServer::Url(const std::string& path) const {
  return LoopbackUrl(port_, path);
}

std::string TScriptedServer::HostPort() const {
  return "127.0.0.1:" + std::to_string(port_);
}

void TScriptedServer::Add(TScriptedReply reply) {
  std::lock_guard lock(mutex_);
  replies_.push_back(std::move(reply));
}

int TScriptedServer::Connections() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(requests_.size());
}

bool TScriptedServer::WaitForConnections(int count, int timeoutMs) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [&] { return static_cast<int>(requests_.size()) >= count; });
}

std::string TScriptedServer::Request(int index) const {
  std::lock_guard lock(mutex_);
  return index >= 0 && index < static_cast<int>(requests_.size()) ? requests_[index] : "";
}

TScriptedReply TScriptedServer::ReplyFor(int index) const {
  std::lock_guard lock(mutex_);
  if (replies_.empty())
    return {};
  return replies_[std::min<size_t>(static_cast<size_t>(index), replies_.size() - 1)];
}

bool TScriptedServer::Stopping() const {
  std::lock_guard lock(mutex_);
  return stopping_;
}

void TScriptedServer::AcceptLoop() {
  while (!Stopping()) {
    if (!Readable(listenFd_, 20))
      continue;
    const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
      continue;
    std::lock_guard lock(mutex_);
    const int index = static_cast<int>(requests_.size());
    requests_.emplace_back();
    workers_.emplace_back([this, fd, index] { Serve(fd, index); });
    changed_.notify_all();
  }
}

bool TScriptedServer::Hold(int ms, int watchFd) const {
  const auto deadline =
      ms < 0 ? Clock::time_point::max() : Clock::now() + std::chrono::milliseconds(ms);
  while (ms < 0 || Remaining(deadline) > 0) {
    if (Stopping())
      return false;
    const int slice = ms < 0 ? 20 : std::min(20, std::max(1, Remaining(deadline)));
    if (watchFd < 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(slice));
      continue;
    }
    char probe;
    if (Readable(watchFd, slice) && recv(watchFd, &probe, 1, MSG_DONTWAIT) <= 0)
      return false; // the client closed or reset the connection
  }
  return true;
}

void TScriptedServer::Serve(int fd, int index) {
  const TScriptedReply reply = ReplyFor(index);
  if (reply.CloseAtOnce) {
    CloseConnection(fd, reply.Reset);
    return;
  }
  const std::string request = ReadRequest(fd);
  {
    std::lock_guard lock(mutex_);
    requests_[index] = request;
  }
  changed_.notify_all();
  if (reply.DelayMs > 0 && !Hold(reply.DelayMs, -1)) {
    CloseConnection(fd, reply.Reset);
    return;
  }
  SendReply(fd, reply);
  if (reply.HoldOpenMs != 0)
    Hold(reply.HoldOpenMs, fd);
  CloseConnection(fd, reply.Reset);
}
