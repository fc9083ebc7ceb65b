#include "platform/net/Winsock.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>

#include "tests/support/ScriptedServer.h"

using namespace Winsock;

namespace {

// Starts the library for one test and cleans it up again.
class WinsockTest : public testing::Test {
protected:
  void SetUp() override { ASSERT_EQ(WSAStartup(MAKEWORD(2, 0), &data), 0); }
  void TearDown() override { EXPECT_EQ(WSACleanup(), 0); }

  SOCKET Connected(const TScriptedServer& server) {
    const SOCKET s = Winsock::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    EXPECT_NE(s, INVALID_SOCKET);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = Winsock::inet_addr("127.0.0.1");
    addr.sin_port = htons(static_cast<uint16_t>(server.Port()));
    EXPECT_EQ(Winsock::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    return s;
  }

  WSADATA data{};
};

} // namespace

TEST(Winsock, NothingWorksBeforeStartupAndVersionsAreNegotiated) {
  WSASetLastError(0);
  EXPECT_EQ(Winsock::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP), INVALID_SOCKET);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);

  WSADATA data;
  EXPECT_EQ(WSAStartup(MAKEWORD(3, 0), &data), WSAVERNOTSUPPORTED);
  EXPECT_EQ(WSAStartup(MAKEWORD(0, 9), &data), WSAVERNOTSUPPORTED);
  for (WORD version : {MAKEWORD(2, 0), MAKEWORD(1, 1), MAKEWORD(1, 0)}) {
    ASSERT_EQ(WSAStartup(version, &data), 0);
    EXPECT_EQ(data.wVersion, version);
  }
  // Each start is matched by one clean-up; the library stays up until the last.
  EXPECT_EQ(WSACleanup(), 0);
  EXPECT_EQ(WSACleanup(), 0);
  const SOCKET s = Winsock::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  EXPECT_NE(s, INVALID_SOCKET);
  Winsock::closesocket(s);
  EXPECT_EQ(WSACleanup(), 0);
  EXPECT_EQ(Winsock::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP), INVALID_SOCKET);
}

TEST(Winsock, ErrnoMapsOntoTheLibraryCodes) {
  struct Case {
    int error, code;
  };
  const Case cases[] = {
      {EWOULDBLOCK, 10035},  {EAGAIN, 10035},     {EINPROGRESS, 10036},
      {ECONNRESET, 10054},   {EPIPE, 10054},      {ETIMEDOUT, 10060},
      {ECONNREFUSED, 10061}, {EINTR, 10004},      {EFAULT, 10014},
      {EINVAL, 10022},       {ENOTSOCK, 10038},   {EMSGSIZE, 10040},
      {EOPNOTSUPP, 10045},   {ENETDOWN, 10050},   {ENETRESET, 10052},
      {ECONNABORTED, 10053}, {ENOTCONN, 10057},   {ESHUTDOWN, 10058},
      {EHOSTUNREACH, 10065}, {EADDRINUSE, 10048}, {0, 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WSAErrorFromErrno(c.error), c.code) << std::strerror(c.error);
}

TEST_F(WinsockTest, NonBlockingReceiveWouldBlockThenData) {
  TScriptedServer server;
  server.Add({.Bytes = "", .DelayMs = 300, .HoldOpenMs = -1});
  const SOCKET s = Connected(server);
  Winsock::send(s, "GET / HTTP/1.0\r\n\r\n", 18, 0);
  u_long on = 1;
  ASSERT_EQ(Winsock::ioctlsocket(s, FIONBIO, &on), 0);
  char buf[16];
  EXPECT_EQ(Winsock::recv(s, buf, sizeof buf, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);
  EXPECT_EQ(Winsock::ioctlsocket(s, 12345, &on), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
  Winsock::closesocket(s);
}

TEST_F(WinsockTest, BlockingReceiveTimeOutAndReset) {
  TScriptedServer server;
  server.Add({.Bytes = "", .HoldOpenMs = -1});
  server.Add({.Bytes = "", .CloseAtOnce = true, .Reset = true});
  const SOCKET s = Connected(server);
  Winsock::send(s, "GET / HTTP/1.0\r\n\r\n", 18, 0);
  const uint32_t ms = 200;
  ASSERT_EQ(Winsock::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms),
                                sizeof ms),
            0);
  char buf[16];
  EXPECT_EQ(Winsock::recv(s, buf, sizeof buf, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
  Winsock::closesocket(s);

  const SOCKET reset = Connected(server);
  ASSERT_TRUE(server.WaitForConnections(2));
  Winsock::fd_set readable;
  FdZero(&readable);
  FdSet(reset, &readable);
  const timeval wait{2, 0};
  EXPECT_EQ(Winsock::select(0, &readable, nullptr, nullptr, &wait), 1);
  EXPECT_TRUE(FdIsSet(reset, &readable));
  EXPECT_EQ(Winsock::recv(reset, buf, sizeof buf, 0), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAECONNRESET);
  // Sending on the reset connection fails without a signal ending the test.
  EXPECT_EQ(Winsock::send(reset, "x", 1, 0), SOCKET_ERROR);
  Winsock::closesocket(reset);
}

TEST_F(WinsockTest, LookUpAndNumericAddresses) {
  const hostent* found = Winsock::gethostbyname("127.0.0.1");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->h_addrtype, AF_INET);
  in_addr first;
  std::memcpy(&first, found->h_addr_list[0], sizeof first);
  EXPECT_EQ(first.s_addr, htonl(INADDR_LOOPBACK));
  // A 64-character label is no valid DNS name: refused without a query.
  EXPECT_EQ(Winsock::gethostbyname(std::string(64, 'n').c_str()), nullptr);
  EXPECT_NE(WSAGetLastError(), 0);
  EXPECT_EQ(Winsock::inet_addr("10.1.2.3"), htonl(0x0A010203));
  EXPECT_EQ(Winsock::inet_addr("not.an.address"), INADDR_NONE);
  EXPECT_EQ(Winsock::inet_addr(nullptr), INADDR_NONE);
}

TEST_F(WinsockTest, SelectWithNothingReadyAndLingerOption) {
  TScriptedServer server;
  server.Add({.Bytes = "", .HoldOpenMs = -1});
  const SOCKET s = Connected(server);
  const uint16_t lingerFields[2] = {1, 0};
  EXPECT_EQ(Winsock::setsockopt(s, SOL_SOCKET, SO_LINGER,
                                reinterpret_cast<const char*>(lingerFields), sizeof lingerFields),
            0);
  ::linger applied{};
  socklen_t len = sizeof applied;
  ASSERT_EQ(::getsockopt(s, SOL_SOCKET, SO_LINGER, &applied, &len), 0);
  EXPECT_EQ(applied.l_onoff, 1);
  EXPECT_EQ(applied.l_linger, 0);
  Winsock::fd_set readable;
  FdZero(&readable);
  FdSet(s, &readable);
  const timeval noWait{0, 0};
  EXPECT_EQ(Winsock::select(0, &readable, nullptr, nullptr, &noWait), 0);
  EXPECT_FALSE(FdIsSet(s, &readable));
  Winsock::closesocket(s);
}
