#include "tests/support/SilentServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/Loopback.h"

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A non-blocking connect begun; true when it completed within waitMs.
bool Connects(int fd, int port, int waitMs) {
  const sockaddr_in address = Loopback(port);
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0)
    return true;
  if (errno != EINPROGRESS)
    return false;
  pollfd poller{fd, POLLOUT, 0};
  if (poll(&poller, 1, waitMs) != 1)
    return false;
  int error = 0;
  socklen_t length = sizeof error;
  getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
  return error == 0;
}

int NonBlockingSocket() {
  return socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
}

} // namespace

TSilentServer::TSilentServer() {
  listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 0) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    throw std::runtime_error("silent server: no listening socket");
  port = ntohs(address.sin_port);
  // Connections nobody accepts fill the queue; the first that stays
  // unanswered shows it is full.
  for (int i = 0; i < 64; ++i) {
    const int fd = NonBlockingSocket();
    fillers.push_back(fd);
    if (!Connects(fd, port, 200))
      return;
  }
  throw std::runtime_error("silent server: the queue never filled");
}

TSilentServer::~TSilentServer() {
  for (int fd : fillers)
    close(fd);
  close(listener);
}

std::string TSilentServer::Url(const std::string& path) const {
  return LoopbackUrl(port, path);
}

bool TSilentServer::ConnectStalls(int waitMs) const {
  const int fd = NonBlockingSocket();
  const bool stalls = !Connects(fd, port, waitMs);
  close(fd);
  return stalls;
}
