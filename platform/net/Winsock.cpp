#include "platform/net/Winsock.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <vector>

namespace Winsock {

namespace {

std::atomic<int> StartCount{0};
thread_local int LastError = 0;
thread_local int StopDescriptor = -1;
// A connect whose peer reset the connection before the connect looked at it
// succeeded all the same; the reset, which reading the connect's outcome
// took off the socket, is the next transfer's to report.
thread_local SOCKET ResetSocket = INVALID_SOCKET;

bool TakeReset(SOCKET s) {
  if (s != ResetSocket)
    return false;
  ResetSocket = INVALID_SOCKET;
  return true;
}

int Fail(int error) {
  LastError = error;
  return SOCKET_ERROR;
}

int FailErrno() {
  return Fail(WSAErrorFromErrno(errno));
}

bool IsBlocking(SOCKET s) {
  const int flags = fcntl(s, F_GETFL);
  return flags >= 0 && !(flags & O_NONBLOCK);
}

// The time-out option of a socket in milliseconds; -1 for none.
int OptionTimeOutMs(SOCKET s, int optname) {
  timeval tv{};
  socklen_t length = sizeof tv;
  if (::getsockopt(s, SOL_SOCKET, optname, &tv, &length) != 0 ||
      (tv.tv_sec == 0 && tv.tv_usec == 0))
    return -1;
  return static_cast<int>(tv.tv_sec * 1000 + tv.tv_usec / 1000);
}

enum TWait { wtReady, wtTimedOut, wtStopped, wtFailed };

// Waits until the socket is ready for events, its time-out option runs out
// or the thread's stop descriptor turns readable. A blocking call never
// blocks in the system: it waits here, then makes the call without waiting.
TWait WaitReady(SOCKET s, short events, int optname) {
  const int timeOutMs = OptionTimeOutMs(s, optname);
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    int left = -1;
    if (timeOutMs >= 0) {
      const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
      left = std::max(0, timeOutMs - static_cast<int>(spent));
    }
    pollfd polls[2] = {{s, events, 0}, {StopDescriptor, POLLIN, 0}};
    const int n = ::poll(polls, StopDescriptor >= 0 ? 2 : 1, left);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return wtFailed;
    if (n == 0)
      return wtTimedOut;
    if (StopDescriptor >= 0 && polls[1].revents)
      return wtStopped;
    return wtReady;
  }
}

int FailWait(TWait wait) {
  switch (wait) {
  case wtTimedOut:
    return Fail(WSAETIMEDOUT);
  case wtStopped:
    return Fail(WSAEINTR);
  default:
    return FailErrno();
  }
}

// Per-thread answer of gethostbyname, as the socket library keeps it.
struct THostAnswer {
  hostent Entry{};
  std::vector<in_addr> Addresses;
  std::vector<char*> AddressList;
  std::vector<char> Name;
  char* NoAliases[1] = {nullptr};
};
thread_local THostAnswer HostAnswer;

int LookupError(int gaiError) {
  switch (gaiError) {
  case EAI_NONAME:
    return WSAHOST_NOT_FOUND;
  case EAI_AGAIN:
    return WSATRY_AGAIN;
  case EAI_NODATA:
    return WSANO_DATA;
  case EAI_MEMORY:
    return WSAENOBUFS;
  case EAI_SYSTEM:
    return WSAErrorFromErrno(errno);
  default:
    return WSANO_RECOVERY;
  }
}

} // namespace

int WSAErrorFromErrno(int error) {
  switch (error) {
  case 0:
    return 0;
  case EINTR:
    return WSAEINTR;
  case EBADF:
    return WSAENOTSOCK;
  case EACCES:
  case EPERM:
    return WSAEACCES;
  case EFAULT:
    return WSAEFAULT;
  case EINVAL:
    return WSAEINVAL;
  case EMFILE:
  case ENFILE:
    return WSAEMFILE;
#if EAGAIN != EWOULDBLOCK
  case EWOULDBLOCK:
#endif
  case EAGAIN:
    return WSAEWOULDBLOCK;
  case EINPROGRESS:
    return WSAEINPROGRESS;
  case EALREADY:
    return WSAEALREADY;
  case ENOTSOCK:
    return WSAENOTSOCK;
  case EDESTADDRREQ:
    return WSAEDESTADDRREQ;
  case EMSGSIZE:
    return WSAEMSGSIZE;
  case EPROTOTYPE:
    return WSAEPROTOTYPE;
  case ENOPROTOOPT:
    return WSAENOPROTOOPT;
  case EPROTONOSUPPORT:
    return WSAEPROTONOSUPPORT;
  case ESOCKTNOSUPPORT:
    return WSAESOCKTNOSUPPORT;
  case EOPNOTSUPP:
    return WSAEOPNOTSUPP;
  case EPFNOSUPPORT:
    return WSAEPFNOSUPPORT;
  case EAFNOSUPPORT:
    return WSAEAFNOSUPPORT;
  case EADDRINUSE:
    return WSAEADDRINUSE;
  case EADDRNOTAVAIL:
    return WSAEADDRNOTAVAIL;
  case ENETDOWN:
    return WSAENETDOWN;
  case ENETUNREACH:
    return WSAENETUNREACH;
  case ENETRESET:
    return WSAENETRESET;
  case ECONNABORTED:
    return WSAECONNABORTED;
  case ECONNRESET:
  case EPIPE:
    return WSAECONNRESET;
  case ENOBUFS:
  case ENOMEM:
    return WSAENOBUFS;
  case EISCONN:
    return WSAEISCONN;
  case ENOTCONN:
    return WSAENOTCONN;
  case ESHUTDOWN:
    return WSAESHUTDOWN;
  case ETIMEDOUT:
    return WSAETIMEDOUT;
  case ECONNREFUSED:
    return WSAECONNREFUSED;
  case ENAMETOOLONG:
    return WSAENAMETOOLONG;
  case EHOSTDOWN:
    return WSAEHOSTDOWN;
  case EHOSTUNREACH:
    return WSAEHOSTUNREACH;
  default:
    return WSAEINVAL;
  }
}

int WSAStartup(WORD versionRequested, WSADATA* data) {
  if (!data)
    return WSAEFAULT;
  const unsigned major = LOBYTE(versionRequested), minor = HIBYTE(versionRequested);
  if (major < 1 || major > 2 || (major == 2 && minor > 2))
    return WSAVERNOTSUPPORTED;
  std::memset(data, 0, sizeof *data);
  data->wVersion = versionRequested;
  data->wHighVersion = MAKEWORD(2, 2);
  std::strcpy(data->szDescription, "POSIX sockets");
  std::strcpy(data->szSystemStatus, "Running");
  data->iMaxSockets = 0xFFFF;
  ++StartCount;
  return 0;
}

int WSACleanup() {
  int count = StartCount.load();
  while (count > 0 && !StartCount.compare_exchange_weak(count, count - 1)) {
  }
  return count > 0 ? 0 : Fail(WSANOTINITIALISED);
}

int WSAGetLastError() {
  return LastError;
}

void WSASetLastError(int error) {
  LastError = error;
}

SOCKET socket(int af, int type, int protocol) {
  if (StartCount.load() == 0)
    return Fail(WSANOTINITIALISED);
  const int s = ::socket(af, type | SOCK_CLOEXEC, protocol);
  return s < 0 ? FailErrno() : s;
}

int setsockopt(SOCKET s, int level, int optname, const char* optval, int optlen) {
  if (level == SOL_SOCKET && (optname == SO_RCVTIMEO || optname == SO_SNDTIMEO)) {
    if (!optval || optlen < static_cast<int>(sizeof(uint32_t)))
      return Fail(WSAEFAULT);
    uint32_t ms;
    std::memcpy(&ms, optval, sizeof ms);
    const timeval tv{static_cast<time_t>(ms / 1000), static_cast<suseconds_t>(ms % 1000) * 1000};
    return ::setsockopt(s, level, optname, &tv, sizeof tv) == 0 ? 0 : FailErrno();
  }
  if (level == SOL_SOCKET && optname == SO_LINGER) {
    // The library's linger record holds two 16-bit fields.
    if (!optval || optlen < 4)
      return Fail(WSAEFAULT);
    uint16_t fields[2];
    std::memcpy(fields, optval, sizeof fields);
    const ::linger l{fields[0], fields[1]};
    return ::setsockopt(s, level, optname, &l, sizeof l) == 0 ? 0 : FailErrno();
  }
  return ::setsockopt(s, level, optname, optval, static_cast<socklen_t>(optlen)) == 0 ? 0
                                                                                      : FailErrno();
}

int bind(SOCKET s, const sockaddr* name, int namelen) {
  return ::bind(s, name, static_cast<socklen_t>(namelen)) == 0 ? 0 : FailErrno();
}

hostent* gethostbyname(const char* name) {
  if (!name) {
    Fail(WSAEFAULT);
    return nullptr;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (const int error = getaddrinfo(name, nullptr, &hints, &found)) {
    Fail(LookupError(error));
    return nullptr;
  }
  THostAnswer& answer = HostAnswer;
  answer.Addresses.clear();
  for (const addrinfo* a = found; a; a = a->ai_next)
    answer.Addresses.push_back(reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr);
  freeaddrinfo(found);
  answer.AddressList.clear();
  for (in_addr& address : answer.Addresses)
    answer.AddressList.push_back(reinterpret_cast<char*>(&address));
  answer.AddressList.push_back(nullptr);
  answer.Name.assign(name, name + std::strlen(name) + 1);
  answer.Entry.h_name = answer.Name.data();
  answer.Entry.h_aliases = answer.NoAliases;
  answer.Entry.h_addrtype = AF_INET;
  answer.Entry.h_length = sizeof(in_addr);
  answer.Entry.h_addr_list = answer.AddressList.data();
  return &answer.Entry;
}

in_addr_t inet_addr(const char* cp) {
  return cp ? ::inet_addr(cp) : INADDR_NONE;
}

// A blocking connect waits at most the send time-out, as the system's does,
// and gives up when the thread is told to stop.
int connect(SOCKET s, const sockaddr* name, int namelen) {
  const bool blocking = IsBlocking(s);
  if (!blocking) {
    if (::connect(s, name, static_cast<socklen_t>(namelen)) == 0)
      return 0;
    return FailErrno();
  }
  const int flags = fcntl(s, F_GETFL);
  if (flags < 0 || fcntl(s, F_SETFL, flags | O_NONBLOCK) != 0)
    return FailErrno();
  int result = 0;
  if (::connect(s, name, static_cast<socklen_t>(namelen)) != 0) {
    if (errno != EINPROGRESS) {
      result = FailErrno();
    } else if (const TWait wait = WaitReady(s, POLLOUT, SO_SNDTIMEO); wait != wtReady) {
      result = FailWait(wait);
    } else {
      int error = 0;
      socklen_t length = sizeof error;
      if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        error = errno;
      if (error == ECONNRESET)
        ResetSocket = s;
      else if (error != 0)
        result = Fail(WSAErrorFromErrno(error));
    }
  }
  fcntl(s, F_SETFL, flags);
  return result;
}

// A blocking send returns once every byte is on its way, as the socket
// library's does; a signal never cuts a call short.
int send(SOCKET s, const char* buf, int len, int flags) {
  if (TakeReset(s))
    return Fail(WSAECONNRESET);
  const bool blocking = IsBlocking(s);
  int sent = 0;
  while (sent < len) {
    if (blocking)
      if (const TWait wait = WaitReady(s, POLLOUT, SO_SNDTIMEO); wait != wtReady)
        return FailWait(wait);
    const ssize_t n =
        ::send(s, buf + sent, static_cast<size_t>(len - sent), flags | MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || (blocking && (errno == EAGAIN || errno == EWOULDBLOCK))))
      continue;
    if (n < 0)
      return FailErrno();
    sent += static_cast<int>(n);
    if (!blocking)
      break;
  }
  return sent;
}

int recv(SOCKET s, char* buf, int len, int flags) {
  if (TakeReset(s))
    return Fail(WSAECONNRESET);
  const bool blocking = IsBlocking(s);
  for (;;) {
    if (blocking)
      if (const TWait wait = WaitReady(s, POLLIN, SO_RCVTIMEO); wait != wtReady)
        return FailWait(wait);
    const ssize_t n = ::recv(s, buf, static_cast<size_t>(len), flags | MSG_DONTWAIT);
    if (n >= 0)
      return static_cast<int>(n);
    if (errno == EINTR || (blocking && (errno == EAGAIN || errno == EWOULDBLOCK)))
      continue;
    return FailErrno();
  }
}

int ioctlsocket(SOCKET s, long cmd, u_long* argp) {
  if (cmd != static_cast<long>(FIONBIO))
    return Fail(WSAEINVAL);
  if (!argp)
    return Fail(WSAEFAULT);
  const int flags = fcntl(s, F_GETFL);
  if (flags < 0)
    return FailErrno();
  const int wanted = *argp ? flags | O_NONBLOCK : flags & ~O_NONBLOCK;
  return fcntl(s, F_SETFL, wanted) == 0 ? 0 : FailErrno();
}

int closesocket(SOCKET s) {
  TakeReset(s);
  return ::close(s) == 0 ? 0 : FailErrno();
}

void SetStopDescriptor(int fd) {
  StopDescriptor = fd;
}

void FdZero(fd_set* set) {
  set->fd_count = 0;
}

void FdSet(SOCKET s, fd_set* set) {
  if (FdIsSet(s, set) || set->fd_count >= SocketSetSize)
    return;
  set->fd_array[set->fd_count++] = s;
}

bool FdIsSet(SOCKET s, const fd_set* set) {
  for (unsigned i = 0; i < set->fd_count; ++i)
    if (set->fd_array[i] == s)
      return true;
  return false;
}

int select(int, fd_set* readfds, fd_set* writefds, fd_set* exceptfds, const timeval* timeout) {
  fd_set* sets[3] = {readfds, writefds, exceptfds};
  const short events[3] = {POLLIN, POLLOUT, POLLPRI};
  std::vector<pollfd> polls;
  std::vector<int> setOf;
  for (int k = 0; k < 3; ++k)
    for (unsigned i = 0; sets[k] && i < sets[k]->fd_count; ++i) {
      polls.push_back({sets[k]->fd_array[i], events[k], 0});
      setOf.push_back(k);
    }
  if (polls.empty())
    return Fail(WSAEINVAL);
  const int ms = timeout ? static_cast<int>(timeout->tv_sec * 1000 + timeout->tv_usec / 1000) : -1;
  const int n = ::poll(polls.data(), polls.size(), ms);
  if (n < 0)
    return FailErrno();
  for (fd_set* set : sets)
    if (set)
      FdZero(set);
  int ready = 0;
  for (size_t i = 0; i < polls.size(); ++i) {
    const short mask = setOf[i] == 1 ? POLLOUT : POLLIN | POLLPRI | POLLHUP | POLLERR;
    if (polls[i].revents & POLLNVAL)
      return Fail(WSAENOTSOCK);
    if (polls[i].revents & mask) {
      FdSet(polls[i].fd, sets[setOf[i]]);
      ++ready;
    }
  }
  return ready;
}

} // namespace Winsock
