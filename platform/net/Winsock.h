#pragma once
// The socket calls of the platform's socket library, over POSIX sockets. The
// calls keep their names and their way of reporting: SOCKET_ERROR (or
// INVALID_SOCKET, or null) on failure, the reason in WSAGetLastError() as the
// library's own error codes (WSAEWOULDBLOCK 10035, WSAECONNRESET 10054, ...),
// kept per thread. They live in namespace Winsock, beside the POSIX calls of
// the same names; the system's address structures and option names
// (sockaddr_in, hostent, linger, AF_INET, SOL_SOCKET, SO_LINGER, FIONBIO...)
// are used as they are.
//
// Differences from the POSIX calls that callers rely on:
// - nothing works before WSAStartup: socket() fails with WSANOTINITIALISED;
// - the SO_RCVTIMEO and SO_SNDTIMEO options take a 32-bit millisecond count;
// - a blocking call that runs out of its time-out fails with WSAETIMEDOUT;
// - send never raises SIGPIPE;
// - gethostbyname keeps its answer per thread and gives IPv4 addresses only;
// - select takes sets of sockets (any socket numbers) and ignores nfds;
// - a blocking connect, send or recv of a thread that has a stop descriptor
//   (SetStopDescriptor) gives up with WSAEINTR as soon as that descriptor
//   becomes readable, so a thread told to stop never waits out a time-out.
#include <cstdint>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/time.h>

namespace Winsock {

using SOCKET = int;
using WORD = uint16_t;
using u_long = unsigned long;

constexpr SOCKET INVALID_SOCKET = -1;
constexpr int SOCKET_ERROR = -1;

constexpr WORD MAKEWORD(unsigned low, unsigned high) {
  return static_cast<WORD>((low & 0xFF) | ((high & 0xFF) << 8));
}
constexpr unsigned LOBYTE(WORD w) {
  return w & 0xFF;
}
constexpr unsigned HIBYTE(WORD w) {
  return (w >> 8) & 0xFF;
}

constexpr int WSADESCRIPTION_LEN = 256;
constexpr int WSASYS_STATUS_LEN = 128;

struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
};

// Error codes of the socket library.
enum : int {
  WSAEINTR = 10004,
  WSAEBADF = 10009,
  WSAEACCES = 10013,
  WSAEFAULT = 10014,
  WSAEINVAL = 10022,
  WSAEMFILE = 10024,
  WSAEWOULDBLOCK = 10035,
  WSAEINPROGRESS = 10036,
  WSAEALREADY = 10037,
  WSAENOTSOCK = 10038,
  WSAEDESTADDRREQ = 10039,
  WSAEMSGSIZE = 10040,
  WSAEPROTOTYPE = 10041,
  WSAENOPROTOOPT = 10042,
  WSAEPROTONOSUPPORT = 10043,
  WSAESOCKTNOSUPPORT = 10044,
  WSAEOPNOTSUPP = 10045,
  WSAEPFNOSUPPORT = 10046,
  WSAEAFNOSUPPORT = 10047,
  WSAEADDRINUSE = 10048,
  WSAEADDRNOTAVAIL = 10049,
  WSAENETDOWN = 10050,
  WSAENETUNREACH = 10051,
  WSAENETRESET = 10052,
  WSAECONNABORTED = 10053,
  WSAECONNRESET = 10054,
  WSAENOBUFS = 10055,
  WSAEISCONN = 10056,
  WSAENOTCONN = 10057,
  WSAESHUTDOWN = 10058,
  WSAETIMEDOUT = 10060,
  WSAECONNREFUSED = 10061,
  WSAENAMETOOLONG = 10063,
  WSAEHOSTDOWN = 10064,
  WSAEHOSTUNREACH = 10065,
  WSASYSNOTREADY = 10091,
  WSAVERNOTSUPPORTED = 10092,
  WSANOTINITIALISED = 10093,
  WSAHOST_NOT_FOUND = 11001,
  WSATRY_AGAIN = 11002,
  WSANO_RECOVERY = 11003,
  WSANO_DATA = 11004,
};

// Versions 1.0 to 2.2 are accepted; each successful start must be matched by
// one WSACleanup. Returns 0 or the error code (not through WSAGetLastError).
int WSAStartup(WORD versionRequested, WSADATA* data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);
// The socket library's code for a POSIX errno value.
int WSAErrorFromErrno(int error);

SOCKET socket(int af, int type, int protocol);
int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen);
int bind(SOCKET s, const sockaddr* name, int namelen);
hostent* gethostbyname(const char* name);
// The dotted IPv4 address in network order, or INADDR_NONE.
in_addr_t inet_addr(const char* cp);
int connect(SOCKET s, const sockaddr* name, int namelen);
int send(SOCKET s, const char* buf, int len, int flags);
int recv(SOCKET s, char* buf, int len, int flags);
// FIONBIO with *argp non-zero switches the socket to non-blocking mode.
int ioctlsocket(SOCKET s, long cmd, u_long* argp);
int closesocket(SOCKET s);
// The descriptor (an eventfd, a pipe's read end...) whose readability stops
// the blocking socket calls of the calling thread; -1 for none.
void SetStopDescriptor(int fd);

// A set of sockets for select. The library's FD_ZERO, FD_SET and FD_ISSET
// macros would clash with the system's, so they are functions here.
constexpr int SocketSetSize = 64;
struct fd_set {
  unsigned fd_count;
  SOCKET fd_array[SocketSetSize];
};
void FdZero(fd_set* set);
void FdSet(SOCKET s, fd_set* set);
bool FdIsSet(SOCKET s, const fd_set* set);
// Leaves in each set the sockets that are ready; returns their number, 0 on
// time-out. A null timeout waits for ever.
int select(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const timeval* timeout);

} // namespace Winsock
