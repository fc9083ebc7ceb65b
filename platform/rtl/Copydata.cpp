#include "platform/rtl/Copydata.h"

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

// Abstract socket names: they vanish with the process that holds them.
socklen_t AddressOf(DWORD handle, sockaddr_un& address) {
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  const std::string name =
      "wt-copydata-" + std::to_string(::getuid()) + "-" + std::to_string(handle);
  std::memcpy(address.sun_path + 1, name.data(), name.size());
  return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());
}

bool SameUser(int fd) {
  ucred cred{};
  socklen_t length = sizeof cred;
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0 && cred.uid == ::getuid();
}

bool ReadAll(int fd, void* buffer, size_t size) {
  auto* p = static_cast<char*>(buffer);
  while (size > 0) {
    const ssize_t n = ::recv(fd, p, size, 0);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const void* buffer, size_t size) {
  const auto* p = static_cast<const char*>(buffer);
  while (size > 0) {
    const ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// The wire form: sender handle, data word, byte count, then the bytes; the
// reply is one LRESULT.
struct THeader {
  uint32_t sender;
  uint64_t data;
  uint32_t bytes;
};

constexpr uint32_t kMaxBytes = 64u << 20;

// The message being handled on this thread, for ReplyMessage.
struct TDelivery {
  int fd;
  bool replied;
};
thread_local TDelivery* currentDelivery = nullptr;

} // namespace

class TCopyDataListener : public TThread {
public:
  TCopyDataListener(int socket, TCopyDataWindow::THandler handler)
      : socket(socket), handler(std::move(handler)) {
    if (::pipe2(wake, O_CLOEXEC) != 0)
      wake[0] = wake[1] = -1;
  }
  ~TCopyDataListener() override {
    ::close(socket);
    ::close(wake[0]);
    ::close(wake[1]);
  }

  // Called on the main thread: serves the deliveries that are under way
  // until the thread has left its loop, so that none waits forever.
  void Stop() {
    stopping = true;
    Terminate();
    const char c = 0;
    [[maybe_unused]] const ssize_t n = ::write(wake[1], &c, 1);
    while (!Finished())
      CheckSynchronize(10);
    WaitFor();
  }

protected:
  void Execute() override {
    while (!Terminated()) {
      pollfd fds[2] = {{socket, POLLIN, 0}, {wake[0], POLLIN, 0}};
      if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN) != 0)
        continue;
      const int client = ::accept4(socket, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0)
        continue;
      // A sender that stops half-way does not hold the others up for long.
      const timeval timeout{5, 0};
      ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
      Serve(client);
      ::close(client);
    }
  }

private:
  void Serve(int client) {
    THeader header{};
    if (!SameUser(client) || !ReadAll(client, &header, sizeof header) || header.bytes > kMaxBytes)
      return;
    std::vector<char> bytes(header.bytes);
    if (!ReadAll(client, bytes.data(), bytes.size()))
      return;
    TDelivery delivery{client, false};
    LRESULT result = 0;
    try {
      Synchronize([&] {
        if (stopping)
          return;
        COPYDATASTRUCT data{static_cast<uintptr_t>(header.data), header.bytes,
                            bytes.empty() ? nullptr : bytes.data()};
        struct TCurrent {
          explicit TCurrent(TDelivery* d) { currentDelivery = d; }
          ~TCurrent() { currentDelivery = nullptr; }
        } current(&delivery);
        result = handler(header.sender, data);
      });
    } catch (...) {
      // A failing handler answers 0; the window goes on receiving.
      result = 0;
    }
    if (!delivery.replied)
      WriteAll(client, &result, sizeof result);
  }

  int socket;
  int wake[2];
  TCopyDataWindow::THandler handler;
  std::atomic<bool> stopping{false};
};

TCopyDataWindow::TCopyDataWindow(THandler handler) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0)
    return;
  std::random_device random;
  for (int attempt = 0; attempt < 16 && handle == 0; ++attempt) {
    const DWORD candidate = random() | 1u;
    sockaddr_un address;
    const socklen_t length = AddressOf(candidate, address);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0)
      handle = candidate;
  }
  if (handle == 0 || ::listen(fd, 8) != 0) {
    handle = 0;
    ::close(fd);
    return;
  }
  listener = std::make_unique<TCopyDataListener>(fd, std::move(handler));
  listener->Start();
}

TCopyDataWindow::~TCopyDataWindow() {
  if (listener)
    listener->Stop();
}

LRESULT SendCopyData(DWORD target, DWORD sender, const COPYDATASTRUCT& data) {
  if (data.cbData > kMaxBytes || (data.cbData > 0 && data.lpData == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address;
  const socklen_t length = AddressOf(target, address);
  LRESULT result = 0;
  const THeader header{sender, data.dwData, data.cbData};
  const bool sent = fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                    SameUser(fd) && WriteAll(fd, &header, sizeof header) &&
                    WriteAll(fd, data.lpData, data.cbData) && ReadAll(fd, &result, sizeof result);
  if (fd >= 0)
    ::close(fd);
  if (!sent) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return result;
}

BOOL ReplyMessage(LRESULT result) {
  if (currentDelivery == nullptr || currentDelivery->replied)
    return 0;
  currentDelivery->replied = true;
  if (WriteAll(currentDelivery->fd, &result, sizeof result))
    return 1;
  SetLastError(ERROR_INVALID_HANDLE); // the sender has gone
  return 0;
}
