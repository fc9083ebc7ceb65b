#include "tests/support/TinyproxyServer.h"

#include <stdexcept>

TTinyproxyServer::TTinyproxyServer(const std::string& extraConfig) {
  for (int attempt = 0; attempt < 5; ++attempt)
    if (TryStart(extraConfig))
      return;
  throw std::runtime_error("tinyproxy did not start: " + Log());
}

TTinyproxyServer::~TTinyproxyServer() {
  process_.Stop();
}

bool TTinyproxyServer::TryStart(const std::string& extraConfig) {
  port_ = FreeLoopbackPort();
  const std::string conf = dir_.Write("tinyproxy.conf", "Port " + std::to_string(port_) +
                                                            "\n"
                                                            "Listen 127.0.0.1\n"
                                                            "Timeout 30\n"
                                                            "LogFile \"" +
                                                            dir_.File("tinyproxy.log") +
                                                            "\"\n"
                                                            "LogLevel Info\n"
                                                            "PidFile \"" +
                                                            dir_.File("tinyproxy.pid") +
                                                            "\"\n"
                                                            "MaxClients 50\n"
                                                            "Allow 127.0.0.1\n" +
                                                            extraConfig + "\n");
  process_.Start("tinyproxy", {"-d", "-c", conf}, dir_.File("output.log"));
  return process_.WaitUntilListening(port_);
}

std::string TTinyproxyServer::Log() const {
  return ReadFileBytes(dir_.File("tinyproxy.log")) + ReadFileBytes(dir_.File("output.log"));
}
