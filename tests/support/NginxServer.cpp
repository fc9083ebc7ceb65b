#include "tests/support/NginxServer.h"

#include <stdexcept>

namespace {

std::string Config(const TNginxOptions& options, const std::string& dir, int port) {
  std::string gzip = "gzip off;\n";
  if (options.Gzip)
    gzip = "gzip on;\ngzip_types *;\ngzip_http_version 1.0;\ngzip_min_length 1;\n";
  return "daemon off;\n"
         "master_process off;\n"
         "worker_processes 1;\n"
         "pid " +
         dir +
         "/nginx.pid;\n"
         "error_log " +
         dir +
         "/error.log warn;\n"
         "events { worker_connections 128; }\n"
         "http {\n"
         "types { text/html html htm; text/plain txt; text/css css; image/gif gif; }\n"
         "default_type application/octet-stream;\n"
         "access_log " +
         dir +
         "/access.log;\n"
         "client_body_temp_path " +
         dir +
         "/body;\n"
         "proxy_temp_path " +
         dir +
         "/proxy;\n"
         "fastcgi_temp_path " +
         dir +
         "/fastcgi;\n"
         "uwsgi_temp_path " +
         dir +
         "/uwsgi;\n"
         "scgi_temp_path " +
         dir + "/scgi;\n" + gzip + options.HttpExtra +
         "\n"
         "server {\n"
         "listen 127.0.0.1:" +
         std::to_string(port) +
         ";\n"
         "server_name localhost;\n"
         "root " +
         options.DocumentRoot + ";\n" + options.Locations +
         "\n"
         "}\n"
         "}\n";
}

} // namespace

TNginxServer::TNginxServer(const TNginxOptions& options) {
  for (int attempt = 0; attempt < 5; ++attempt)
    if (TryStart(options))
      return;
  throw std::runtime_error("nginx did not start: " + ErrorLog());
}

TNginxServer::~TNginxServer() {
  process_.Stop();
}

bool TNginxServer::TryStart(const TNginxOptions& options) {
  port_ = FreeLoopbackPort();
  const std::string conf = dir_.Write("nginx.conf", Config(options, dir_.Path(), port_));
  process_.Start("nginx", {"-e", dir_.File("error.log"), "-p", dir_.Path(), "-c", conf},
                 dir_.File("output.log"));
  return process_.WaitUntilListening(port_);
}

std::string TNginxServer::AccessLog() const {
  return ReadFileBytes(dir_.File("access.log"));
}

std::string TNginxServer::ErrorLog() const {
  return ReadFileBytes(dir_.File("error.log")) + ReadFileBytes(dir_.File("output.log"));
}
