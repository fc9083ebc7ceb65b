#pragma once
// A real nginx from the system, started for one test on a free 127.0.0.1 port
// with a configuration the test gives, and stopped by the destructor. All its
// files (configuration, pid, logs, temporary folders) live in a temporary
// folder of its own. nginx missing or failing to start throws
// std::runtime_error, so the test fails rather than skips.
//
//   TNginxOptions options;
//   options.DocumentRoot = WT_CORPUS_DIR;                    // served at "/"
//   options.Locations = "location = /old { return 301 /001.html; }";
//   TNginxServer nginx(options);
//   ... fetch nginx.Url("001.html") ...
//
// nginx answers HTTP/1.0 requests and closes the connection after each
// response. Redirects by `return 301 /path` carry an absolute location with
// the port ("http://127.0.0.1:PORT/path").
#include <memory>
#include <string>

#include "tests/support/Loopback.h"
#include "tests/support/TempDir.h"

struct TNginxOptions {
  // The folder served at "/" (may be read-only, such as the corpus).
  std::string DocumentRoot;
  // Configuration text put inside the server block: `location` rules such as
  // "location = /moved { return 302 /new.html; }" or "location /gone { return 404; }".
  std::string Locations;
  // Configuration text put inside the http block, outside the server.
  std::string HttpExtra;
  // Switches gzip compression on for every type, HTTP/1.0 and any length.
  // nginx compresses only for requests that accept gzip; to send compressed
  // bytes to a client that does not ask for them, serve a stored .gz file with
  // a Locations rule such as
  //   location = /page.html { default_type text/html; add_header Content-Encoding gzip;
  //                           alias /path/page.html.gz; }
  bool Gzip = false;
};

class TNginxServer {
public:
  explicit TNginxServer(const TNginxOptions& options);
  ~TNginxServer();
  TNginxServer(const TNginxServer&) = delete;
  TNginxServer& operator=(const TNginxServer&) = delete;

  int Port() const { return port_; }
  // "http://127.0.0.1:PORT/" + path.
  std::string Url(const std::string& path = "") const { return LoopbackUrl(port_, path); }
  // The requests it has answered, a line each, written once the response went.
  std::string AccessLog() const;
  // nginx's error log so far (for failure messages).
  std::string ErrorLog() const;

private:
  bool TryStart(const TNginxOptions& options);

  TTempDir dir_;
  TServerProcess process_;
  int port_ = 0;
};
