// The HTTP response handling of a transaction: a server on loopback answers
// every request with the input, and the transaction goes through it as its
// proxy, so that redirects to any host come back to it too.
#include "engine/Chttpthread.h"

#include <arpa/inet.h>
#include <atomic>
#include <cstring>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

int listener = -1;
std::string port;
std::string answer;
std::atomic<bool> answering{false};

void Serve() {
  while (true) {
    const int client = ::accept(listener, nullptr, nullptr);
    if (client < 0)
      continue;
    char request[4096];
    std::string seen;
    while (seen.find("\r\n\r\n") == std::string::npos) {
      const ssize_t n = ::recv(client, request, sizeof request, 0);
      if (n <= 0)
        break;
      seen.append(request, static_cast<size_t>(n));
    }
    if (answering)
      ::send(client, answer.data(), answer.size(), MSG_NOSIGNAL);
    ::close(client);
  }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  listener = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  ::listen(listener, 16);
  socklen_t length = sizeof address;
  ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
  port = std::to_string(ntohs(address.sin_port));
  std::thread(Serve).detach();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The server thread reads the answer only between transactions.
  answer.assign(reinterpret_cast<const char*>(data), size);
  answering = true;
  CHTTPTransaction transaction;
  transaction.SetProxy("127.0.0.1", port.c_str());
  transaction.SetTimeOut(2000);
  transaction.RunTransaction("http://news.example/page.html");
  answering = false;
  return 0;
}
