#pragma once
// A TCP server of the tests' own on 127.0.0.1 that answers each connection
// with bytes the test scripts. Each connection runs on a thread of its own, so
// many clients can be served (or stalled) at once.
//
//   TScriptedServer server;
//   server.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\nhello"});
//   ... fetch server.Url("a/b.html") ...
//   EXPECT_EQ(server.Request(0), "GET /a/b.html HTTP/1.0\r\n...");
//
// Connections take the scripted replies in order; once they are used up, the
// last reply answers every further connection. Without any reply, a
// connection is closed as soon as its request has been read.
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct TScriptedReply {
  // Sent in one piece after the request has been read.
  std::string Bytes;
  // Then this many copies of FillByte, made on the fly (for large bodies).
  size_t FillLength = 0;
  char FillByte = 'x';
  // Waits this long after reading the request before sending (a slow server).
  int DelayMs = 0;
  // After sending: keep the connection open this long without sending more;
  // -1 keeps it open until the client closes it or the server is destroyed.
  int HoldOpenMs = 0;
  // Closes the connection at once, before reading the request or sending
  // (request bytes left unread may turn an orderly close into a reset).
  bool CloseAtOnce = false;
  // Closes with a reset (RST) instead of an orderly close.
  bool Reset = false;
};

class TScriptedServer {
public:
  TScriptedServer();
  // Closes every connection still held open and waits for the threads.
  ~TScriptedServer();
  TScriptedServer(const TScriptedServer&) = delete;
  TScriptedServer& operator=(const TScriptedServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:PORT/" + path.
  std::string Url(const std::string& path = "") const;
  // "127.0.0.1:PORT": the host of the URLs, with the port.
  std::string HostPort() const;

  void Add(TScriptedReply reply);
  // The number of connections accepted so far.
  int Connections() const;
  // Waits until count connections were accepted; false after timeoutMs.
  bool WaitForConnections(int count, int timeoutMs = 30000) const;
  // The request bytes read on connection index (in order of acceptance): up to
  // and including the first blank line, or what came before the client closed
  // or stopped sending for a second. "" for a connection not (yet) read.
  std::string Request(int index) const;

private:
  void AcceptLoop();
  void Serve(int fd, int index);
  TScriptedReply ReplyFor(int index) const;
  bool Stopping() const;
  // Sleeps up to ms, returning early (false) when the server stops or, when
  // watchFd is set, when the client closes the connection.
  bool Hold(int ms, int watchFd) const;

  int listenFd_ = -1;
  int port_ = 0;
  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  bool stopping_ = false;
  std::vector<TScriptedReply> replies_;
  std::vector<std::string> requests_;
  std::vector<std::thread> workers_;
  std::thread acceptor_;
};
