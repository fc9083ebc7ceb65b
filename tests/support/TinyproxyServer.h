#pragma once
// A real tinyproxy from the system, started for one test on a free 127.0.0.1
// port and stopped by the destructor; its configuration, pid and log live in a
// temporary folder of its own. Only 127.0.0.1 may use it. tinyproxy missing or
// failing to start throws std::runtime_error, so the test fails rather than
// skips.
//
//   TTinyproxyServer proxy;
//   transaction->SetProxy("127.0.0.1", std::to_string(proxy.Port()).c_str());
//
// The log (Log()) records each request the proxy handled, which lets a test
// tell that a fetch really went through the proxy.
#include <string>

#include "tests/support/Loopback.h"
#include "tests/support/TempDir.h"

class TTinyproxyServer {
public:
  // extraConfig: further configuration lines (for example "Upstream http
  // 127.0.0.1:PORT" or "ViaProxyName \"test\"").
  explicit TTinyproxyServer(const std::string& extraConfig = "");
  ~TTinyproxyServer();
  TTinyproxyServer(const TTinyproxyServer&) = delete;
  TTinyproxyServer& operator=(const TTinyproxyServer&) = delete;

  int Port() const { return port_; }
  // "127.0.0.1:PORT".
  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string Log() const;

private:
  bool TryStart(const std::string& extraConfig);

  TTempDir dir_;
  TServerProcess process_;
  int port_ = 0;
};
