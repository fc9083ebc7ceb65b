#pragma once
// A loopback server that never answers a connect: it listens, but its queue
// of connections nobody accepts is full, so the system drops further SYNs as
// a firewall does and a client's connect waits for its time-out.
#include <string>
#include <vector>

class TSilentServer {
public:
  TSilentServer();
  ~TSilentServer();
  TSilentServer(const TSilentServer&) = delete;
  TSilentServer& operator=(const TSilentServer&) = delete;

  int Port() const { return port; }
  // "http://127.0.0.1:port/" followed by path.
  std::string Url(const std::string& path) const;
  // True when a connect now stays unanswered for waitMs.
  bool ConnectStalls(int waitMs) const;

private:
  int listener = -1;
  int port = 0;
  std::vector<int> fillers;
};
