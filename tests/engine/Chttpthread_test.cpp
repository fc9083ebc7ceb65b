#include "engine/Chttpthread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>

#include "platform/rtl/Fileutils.h"
#include "platform/rtl/Kernel.h"
#include "tests/support/Compress.h"
#include "tests/support/NginxServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TinyproxyServer.h"

using namespace std::string_literals;

namespace {

struct THttpOutcome {
  int Calls = 0;
  int Status = 99;
  bool BodyIsNull = true, HeaderIsNull = true;
  std::string Body, Header;
  // The page the worker inflated from a compressed body.
  bool DecodedIsNull = true;
  std::string Decoded;
  int ErrorClass = 0, ErrorCode = 0;
  std::string ErrorMessage;
  DWORD ElapsedMs = 0;
};

// Records each call; the error record is read while the transaction is alive.
class TRecordingListener : public CHttpCallback {
public:
  TRecordingListener(CHTTPTransaction* transaction, THttpOutcome& outcome)
      : transaction_(transaction), outcome_(outcome) {}
  void OnHttpEvent(int status, const char* body, unsigned bodyLength, const char* header,
                   unsigned headerLength) override {
    EXPECT_TRUE(IsMainThread());
    ++outcome_.Calls;
    outcome_.Status = status;
    outcome_.BodyIsNull = !body;
    outcome_.HeaderIsNull = !header;
    outcome_.Body = body ? std::string(body, bodyLength) : "";
    outcome_.Header = header ? std::string(header, headerLength) : "";
    if (body) {
      EXPECT_EQ(body[bodyLength], '\0');
    }
    outcome_.ErrorClass = transaction_->ErrorClass();
    outcome_.ErrorCode = transaction_->ErrorCode();
    outcome_.ErrorMessage = transaction_->ErrorMessage();
  }
  void OnHttpResponse(const THttpResponse& response) override {
    outcome_.DecodedIsNull = !response.Decoded;
    outcome_.Decoded =
        response.Decoded ? std::string(response.Decoded, response.DecodedLength) : "";
    CHttpCallback::OnHttpResponse(response);
  }

private:
  CHTTPTransaction* transaction_;
  THttpOutcome& outcome_;
};

// One transaction in the order every client uses, served until its thread has
// ended and its pool slot is free again.
THttpOutcome Fetch(const std::string& url, const char* proxyHost = "", const char* proxyPort = "",
                   int timeOutMs = 20000) {
  THttpOutcome outcome;
  CHTTPTransaction* transaction = AcquireTransaction();
  EXPECT_NE(transaction, nullptr);
  if (!transaction)
    return outcome;
  TRecordingListener listener(transaction, outcome);
  const DWORD start = GetTickCount();
  transaction->SetUrl(url.c_str());
  transaction->SetProxy(proxyHost, proxyPort);
  transaction->SetCallback(&listener);
  transaction->SetTimeOut(timeOutMs);
  transaction->Start();
  while (outcome.Calls == 0 && GetTickCount() - start < 120000)
    CheckSynchronize(10);
  outcome.ElapsedMs = GetTickCount() - start;
  StopAllTransactions();
  return outcome;
}

std::string Ok(const std::string& body) {
  return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + body;
}

std::string RequestFor(const std::string& target, const std::string& host) {
  return "GET " + target +
         " HTTP/1.0\r\n"
         "Accept: image/gif, image/x-bitmap, image/jpeg, image/pjpeg, "
         "application/vnd.ms-powerpoint, application/vnd.ms-excel, application/msword, "
         "application/x-comet, */*\r\n"
         "Accept-Language: en\r\n"
         "Cache-Control: no-cache\r\n"
         "User-Agent: Mozilla/4.0 (compatible; MSIE 5.0; Windows NT;)\r\n"
         "Host: " +
         host + "\r\n\r\n";
}

} // namespace

TEST(HttpTransaction, RequestBytesDirect) {
  struct Case {
    std::string path, target;
  };
  const Case cases[] = {{"", "/"}, {"a/b.html", "/a/b.html"}, {"q?x=1&y=2", "/q?x=1&y=2"}};
  for (const auto& c : cases) {
    TScriptedServer server;
    server.Add({.Bytes = Ok("x")});
    // Without the trailing '/' the URL has no path at all.
    const std::string url = c.path.empty() ? "http://" + server.HostPort() : server.Url(c.path);
    EXPECT_EQ(Fetch(url).Status, 0) << url;
    EXPECT_EQ(server.Request(0), RequestFor(c.target, "127.0.0.1")) << url;
  }
}

TEST(HttpTransaction, RequestBytesThroughAProxy) {
  struct Case {
    std::string url, target, host;
  };
  const Case cases[] = {
      {"http://news.example/a.html", "http://news.example/a.html", "news.example"},
      {"news.example/a.html", "http://news.example/a.html", "news.example"},
      {"http://h.example:8080/a/b.html", "http://h.example:8080/a/b.html", "h.example"},
      {"HTTP://h.example", "HTTP://h.example", "h.example"},
  };
  for (const auto& c : cases) {
    TScriptedServer proxy;
    proxy.Add({.Bytes = Ok("via proxy")});
    const std::string port = std::to_string(proxy.Port());
    const THttpOutcome outcome = Fetch(c.url, "127.0.0.1", port.c_str());
    EXPECT_EQ(outcome.Status, 0) << c.url;
    EXPECT_EQ(outcome.Body, "via proxy");
    EXPECT_EQ(proxy.Request(0), RequestFor(c.target, c.host)) << c.url;
  }
}

TEST(HttpTransaction, ProxyHostLongerThanAUrlHostIsUsedWhole) {
  // 127.0.0.1 spelt with 71 digits in its last part: cut to 64 characters it
  // would name 127.0.0.0.
  const std::string longProxyHost = "127.0.0." + std::string(70, '0') + "1";
  TScriptedServer proxy;
  proxy.Add({.Bytes = Ok("via proxy")});
  const std::string port = std::to_string(proxy.Port());
  const THttpOutcome outcome =
      Fetch("http://news.example/a.html", longProxyHost.c_str(), port.c_str());
  EXPECT_EQ(outcome.Status, 0) << outcome.ErrorMessage;
  EXPECT_EQ(proxy.Request(0), RequestFor("http://news.example/a.html", "news.example"));
}

// A proxy port beyond 65535 is refused, never wrapped round to the port
// 65536 below it, where this proxy listens.
TEST(HttpTransaction, ProxyPortBeyondTheLastIsRefused) {
  TScriptedServer proxy;
  proxy.Add({.Bytes = Ok("via proxy")});
  for (const std::string& port :
       {std::to_string(proxy.Port() + 65536), std::string("-1"), std::string(30, '9')}) {
    SCOPED_TRACE(port);
    const THttpOutcome outcome = Fetch("http://news.example/a.html", "127.0.0.1", port.c_str());
    EXPECT_EQ(outcome.Status, -1);
    EXPECT_EQ(outcome.ErrorClass, hcBadPort);
    EXPECT_EQ(outcome.ErrorMessage, "Error, bad proxy port.");
  }
  EXPECT_EQ(proxy.Connections(), 0);
}

TEST(HttpTransaction, UrlErrors) {
  TScriptedServer server;
  const std::string longHost(65, 'h');
  struct Case {
    std::string url;
    int errorClass, errorCode;
    const char* message;
  };
  const Case cases[] = {
      {"", 2, 0, "Error, url empty."},
      {"http://" + std::string(1018, 'a'), 3, 0, "Error, url too long."},
      {"http:/x.html", 6, 0, "Error, proto parse failed."},
      {"http://", 7, 0, "Error, bad host in URL."},
      {"http://" + longHost + "/a", 7, 0, "Error, bad host in URL."},
      {"http://127.0.0.1:", 8, 0, "Error, bad port in URL."},
      {"http://127.0.0.1:/a", 6, 0, "Error, proto parse failed."},
      {"http://127.0.0.1:65536/a", 8, 0, "Error, bad port in URL."},
      {"http://127.0.0.1:-1/a", 8, 0, "Error, bad port in URL."},
      {"http://127.0.0.1:99999999999999999999/a", 8, 0, "Error, bad port in URL."},
  };
  for (const auto& c : cases) {
    const THttpOutcome outcome = Fetch(c.url);
    EXPECT_EQ(outcome.Calls, 1) << c.url;
    EXPECT_EQ(outcome.Status, -1) << c.url;
    EXPECT_TRUE(outcome.BodyIsNull && outcome.HeaderIsNull);
    EXPECT_EQ(outcome.ErrorClass, c.errorClass) << c.url;
    EXPECT_EQ(outcome.ErrorCode, c.errorCode) << c.url;
    EXPECT_EQ(outcome.ErrorMessage, c.message) << c.url;
  }
  EXPECT_EQ(server.Connections(), 0);
}

TEST(HttpTransaction, UrlLengthLimitAndUnresolvableHost) {
  TScriptedServer server;
  server.Add({.Bytes = Ok("long")});
  std::string url = server.Url("");
  url += std::string(1024 - url.size(), 'p');
  ASSERT_EQ(url.size(), 1024u);
  EXPECT_EQ(Fetch(url).Status, 0);
  EXPECT_EQ(Fetch(url + "p").ErrorClass, 3);

  // A 64-character label is no valid DNS name, so the look-up fails locally.
  const THttpOutcome outcome = Fetch("http://" + std::string(64, 'n') + "/");
  EXPECT_EQ(outcome.Status, -1);
  EXPECT_EQ(outcome.ErrorClass, 7);
  EXPECT_EQ(outcome.ErrorMessage, "Error when resolve host.");
  EXPECT_NE(outcome.ErrorCode, 0);
}

TEST(HttpTransaction, ConnectionRefused) {
  int port;
  {
    TScriptedServer gone;
    port = gone.Port();
  }
  const THttpOutcome outcome = Fetch("http://127.0.0.1:" + std::to_string(port) + "/");
  EXPECT_EQ(outcome.Status, -1);
  EXPECT_EQ(outcome.ErrorClass, 1);
  EXPECT_EQ(outcome.ErrorCode, 10061);
  EXPECT_EQ(outcome.ErrorMessage, "Error when connect.");
}

TEST(HttpTransaction, StatusesAndMalformedResponses) {
  struct Case {
    std::string response;
    int status, errorClass, errorCode;
    const char* message;
    std::string body;
  };
  const Case cases[] = {
      {Ok("<p>news</p>"), 0, 0, 0, "", "<p>news</p>"},
      {"HTTP/1.0 200 OK\r\n\r\n", 0, 0, 0, "", ""},
      {Ok(std::string("a\0b\0\0c", 6)), 0, 0, 0, "", "a b  c"},
      // A compressed body is binary and arrives unchanged.
      {"HTTP/1.0 200 OK\r\nContent-Encoding: gzip\r\n\r\n" + Gzip("news"), 0, 0, 0, "",
       Gzip("news")},
      {"HTTP/1.1 404 Not Found\r\n\r\n<h1>missing</h1>", -2, 11, 404, "Not Found", ""},
      {"HTTP/1.0 500 Oops\r\n\r\n", -2, 11, 500, "Internal Server Error", ""},
      {"HTTP/1.0 299 Odd\r\n\r\nbody", -2, 10, 299, "Extension Code", ""},
      {"HTTP/1.0 204 No Content\r\n\r\n", -2, 10, 204, "No Content", ""},
      {"HTTP/1.0 999 Beyond\r\n\r\n", -2, 10, 999, "Extension Code", ""},
      {"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n" + std::string(200, 'x'), -1, 12, 0,
       "Error, header not found.", ""},
      {"HTTP/1.0 099 Low\r\n\r\n" + std::string(100, 'y'), -1, 12, 0, "Error, header not found.",
       ""},
      {"\r\n\r\n" + std::string(100, 'z'), -1, 12, 0, "Error, header not found.", ""},
      {"", -1, 12, 0, "Error, header not found.", ""},
  };
  for (const auto& c : cases) {
    TScriptedServer server;
    server.Add({.Bytes = c.response});
    const THttpOutcome outcome = Fetch(server.Url("page.html"));
    const std::string name = c.response.substr(0, 20);
    EXPECT_EQ(outcome.Calls, 1) << name;
    EXPECT_EQ(outcome.Status, c.status) << name;
    if (c.status != 0) {
      EXPECT_EQ(outcome.ErrorClass, c.errorClass) << name;
      EXPECT_EQ(outcome.ErrorCode, c.errorCode) << name;
      EXPECT_EQ(outcome.ErrorMessage, c.message) << name;
      EXPECT_TRUE(outcome.BodyIsNull && outcome.HeaderIsNull) << name;
      continue;
    }
    EXPECT_EQ(outcome.Body, c.body) << name;
    EXPECT_EQ(outcome.Header, c.response.substr(0, c.response.find("\r\n\r\n"))) << name;
  }
}

TEST(HttpTransaction, RedirectsAreFollowedOnTheSameTransaction) {
  struct Case {
    std::string path, location, target;
  };
  const Case cases[] = {
      {"a/b.html", "ABSOLUTE", "/final.html"},
      {"a/b.html", "z.html", "/a/z.html"},
      {"a/b.html", "/z.html", "/z.html"},
      {"a/b/c.html", "../z.html", "/a/z.html"},
      {"a/b/c/d.html", "../../z.html", "/a/z.html"},
      {"a/b/c.html", "./z.html", "/a/b/z.html"},
      {"a/b/c.html", "./../z.html", "/a/z.html"},
      {"b.html", "z.html", "/z.html"},
      {"", "sub/z.html", "/sub/z.html"},
  };
  for (const int code : {301, 302}) {
    for (const auto& c : cases) {
      TScriptedServer server;
      const std::string location = c.location == "ABSOLUTE" ? server.Url("final.html") : c.location;
      server.Add({.Bytes = "HTTP/1.0 " + std::to_string(code) + " Moved\r\nLocation: " + location +
                           "\r\nServer: test\r\n\r\n"});
      server.Add({.Bytes = Ok("final")});
      const THttpOutcome outcome = Fetch(server.Url(c.path));
      EXPECT_EQ(outcome.Calls, 1) << c.location;
      EXPECT_EQ(outcome.Status, 0) << c.location;
      EXPECT_EQ(outcome.Body, "final");
      ASSERT_EQ(server.Connections(), 2) << c.location;
      EXPECT_EQ(server.Request(1), RequestFor(c.target, "127.0.0.1")) << c.location;
    }
  }
}

TEST(HttpTransaction, RedirectsThatEndInClass13) {
  struct Case {
    std::string response;
    int connections;
    std::string message;
  };
  const std::string noLocation = "Redirected but no location.";
  const Case cases[] = {
      {"HTTP/1.0 302 Found\r\nX-Location: /z.html\r\n\r\n", 1, noLocation},
      {"HTTP/1.0 302 Found\r\nLocation:\r\n\r\n", 1, noLocation},
      {"HTTP/1.0 301 Moved\r\nServer: test\r\n\r\n", 1, noLocation},
      // A loop: the same page again and again; ten redirects are followed.
      {"HTTP/1.0 301 Moved\r\nLocation: /loop.html\r\n\r\n", 11,
       "Too many redirects: more than 10."},
  };
  for (const auto& c : cases) {
    TScriptedServer server;
    server.Add({.Bytes = c.response});
    const THttpOutcome outcome = Fetch(server.Url("loop.html"));
    EXPECT_EQ(outcome.Calls, 1);
    EXPECT_EQ(outcome.Status, -2);
    EXPECT_EQ(outcome.ErrorClass, 13);
    EXPECT_EQ(outcome.ErrorCode, 0);
    EXPECT_EQ(outcome.ErrorMessage, c.message);
    EXPECT_EQ(server.Connections(), c.connections);
  }
}

// A body shorter than its header announced, or a compressed stream that
// does not end soundly, fails with a record that says so; a whole one passes.
TEST(HttpTransaction, BodiesCutShortFail) {
  const std::string page(3000, 'p');
  const std::string gzip = Gzip(page);
  const std::string zlib = Compress(page, ZlibBits);
  struct Case {
    const char* Name;
    std::string Fields, Body;
    std::string Message; // "" for a success
  };
  const Case cases[] = {
      {"cut plain page", "Content-Length: 3000\r\n", page.substr(0, 1200),
       "Error, body cut short: 1200 of 3000 bytes."},
      {"whole plain page", "content-length:  3000\r\n", page, ""},
      {"more than announced", "Content-Length: 10\r\n", page, ""},
      {"cut gzip page", "Content-Encoding: gzip\r\n", gzip.substr(0, gzip.size() - 3),
       "Error, damaged gzip body: "},
      {"gzip page failing its CRC", "Content-Encoding: gzip\r\n",
       gzip.substr(0, gzip.size() - 8) + "abcd" + gzip.substr(gzip.size() - 4),
       "Error, damaged gzip body: "},
      {"cut deflate page", "Content-Encoding: deflate\r\n", zlib.substr(0, zlib.size() / 2),
       "Error, damaged deflate body: "},
      {"whole deflate page", "Content-Encoding: deflate\r\n", zlib, ""},
      {"whole gzip page", "Content-Encoding: gzip\r\n", gzip, ""},
      {"gzip page of two members", "Content-Encoding: gzip\r\n",
       Gzip(page.substr(0, 1000)) + Gzip(page.substr(1000)), ""},
      {"gzip page and trailing bytes", "Content-Encoding: gzip\r\n", gzip + "<p>more</p>",
       "Error, damaged gzip body: data after the end of the compressed stream."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TScriptedServer server;
    server.Add({.Bytes = "HTTP/1.0 200 OK\r\n" + c.Fields + "\r\n" + c.Body});
    const THttpOutcome outcome = Fetch(server.Url());
    if (c.Message.empty()) {
      EXPECT_EQ(outcome.Status, 0) << outcome.ErrorMessage;
      EXPECT_TRUE(outcome.Body == c.Body);
      // A compressed body comes with the page the worker inflated once.
      const bool compressed = c.Fields.find("Encoding") != std::string::npos;
      EXPECT_EQ(outcome.DecodedIsNull, !compressed);
      EXPECT_TRUE(outcome.Decoded == (compressed ? page : ""));
      continue;
    }
    EXPECT_EQ(outcome.Status, -1);
    EXPECT_TRUE(outcome.BodyIsNull);
    EXPECT_EQ(outcome.ErrorClass, 14);
    EXPECT_EQ(outcome.ErrorMessage.substr(0, c.Message.size()), c.Message);
  }
}

// Only http can be requested: a location of another scheme fails clearly
// instead of being asked for as a path of the same host. The scheme is what
// begins the location, in any letter case; "http://" further on is a query.
TEST(HttpTransaction, RedirectsToOtherSchemes) {
  for (const std::string location :
       {"https://example.org/a.html", "ftp://example.org/", "mailto:news@example.org"}) {
    SCOPED_TRACE(location);
    TScriptedServer server;
    server.Add({.Bytes = "HTTP/1.0 301 Moved\r\nLocation: " + location + "\r\n\r\n"});
    const THttpOutcome outcome = Fetch(server.Url("a.html"));
    EXPECT_EQ(outcome.Status, -2);
    EXPECT_EQ(outcome.ErrorClass, 13);
    EXPECT_EQ(outcome.ErrorMessage, "Redirected to another scheme than http: " + location);
    EXPECT_EQ(server.Connections(), 1);
  }
  struct Case {
    std::string location, target;
  };
  for (const Case& c : {Case{"HTTP://HOST/final.html", "/final.html"},
                        Case{"/go?to=http://example.org/", "/go?to=http://example.org/"}}) {
    SCOPED_TRACE(c.location);
    TScriptedServer server;
    std::string location = c.location;
    if (location.starts_with("HTTP://HOST"))
      location.replace(7, 4, server.HostPort());
    server.Add({.Bytes = "HTTP/1.0 302 Found\r\nLocation: " + location + "\r\n\r\n"});
    server.Add({.Bytes = Ok("final")});
    const THttpOutcome outcome = Fetch(server.Url("a.html"));
    EXPECT_EQ(outcome.Status, 0) << outcome.ErrorMessage;
    ASSERT_EQ(server.Connections(), 2);
    EXPECT_EQ(server.Request(1), RequestFor(c.target, "127.0.0.1"));
  }
}

// Fields are told by their name at the start of a line, in any letter case,
// over the whole header block: a longer name that ends in the same letters is
// another field, and a NUL byte hides none of the fields after it.
TEST(HttpTransaction, HeaderFieldsAreFoundByNameAtLineStarts) {
  struct Case {
    const char* Name;
    std::string Fields;
    std::string Target;
  };
  const Case cases[] = {
      {"lower case", "location: /right.html\r\n", "/right.html"},
      {"upper case, no blank", "LOCATION:/right.html\r\n", "/right.html"},
      {"longer name first", "X-Location: /wrong.html\r\nLocation: /right.html\r\n", "/right.html"},
      {"after a NUL byte", "X-Note: a\0b\r\nLocation: /right.html\r\n"s, "/right.html"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TScriptedServer server;
    server.Add({.Bytes = "HTTP/1.0 302 Found\r\n" + c.Fields + "\r\n"});
    server.Add({.Bytes = Ok("final")});
    const THttpOutcome outcome = Fetch(server.Url("a/b.html"));
    EXPECT_EQ(outcome.Status, 0) << outcome.ErrorMessage;
    ASSERT_EQ(server.Connections(), 2);
    EXPECT_EQ(server.Request(1), RequestFor(c.Target, "127.0.0.1"));
  }

  // A coding named after a NUL byte still keeps the compressed body's zero
  // bytes as they came.
  const std::string gzip = Gzip("news");
  TScriptedServer server;
  server.Add({.Bytes = "HTTP/1.0 200 OK\r\nX-Note: \0\r\nContent-Encoding: gzip\r\n\r\n"s + gzip});
  const THttpOutcome outcome = Fetch(server.Url());
  EXPECT_EQ(outcome.Body, gzip);
}

TEST(HttpTransaction, FiveHundredBytesThenSilenceCountAsComplete) {
  TScriptedServer server;
  const std::string response = Ok(std::string(500 - Ok("").size(), 'n'));
  server.Add({.Bytes = response, .HoldOpenMs = -1});
  const THttpOutcome outcome = Fetch(server.Url("slow.html"));
  EXPECT_EQ(outcome.Status, 0);
  EXPECT_EQ(outcome.Body.size(), 500 - Ok("").size());
  EXPECT_GE(outcome.ElapsedMs, 9500u);
  EXPECT_LT(outcome.ElapsedMs, 15000u);
}

TEST(HttpTransaction, FiftyBytesThenSilenceFail) {
  TScriptedServer server;
  server.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\n" + std::string(31, 'n'), .HoldOpenMs = -1});
  const THttpOutcome outcome = Fetch(server.Url("slow.html"));
  EXPECT_EQ(outcome.Status, -1);
  EXPECT_EQ(outcome.ErrorClass, 1);
  EXPECT_EQ(outcome.ErrorMessage, "Unknown WinsockError");
  EXPECT_GE(outcome.ElapsedMs, 9500u);
}

TEST(HttpTransaction, ReceiveTimeOutEndsAStreamingServer) {
  // Sends 200 bytes, then holds the connection open: with a 1 s time-out the
  // next would-block after the time-out fails the transaction.
  TScriptedServer server;
  server.Add({.Bytes = std::string(200, 'x'), .HoldOpenMs = -1});
  const THttpOutcome outcome = Fetch(server.Url("a"), "", "", 1000);
  EXPECT_EQ(outcome.Status, -1);
  EXPECT_EQ(outcome.ErrorClass, 1);
  EXPECT_EQ(outcome.ErrorCode, 10035);
  EXPECT_EQ(outcome.ErrorMessage, "WSAEWOULDBLOCK");
  // Well before the ten seconds of silence would end it.
  EXPECT_LT(outcome.ElapsedMs, 6000u);
}

TEST(HttpTransaction, ResetByServer) {
  TScriptedServer server;
  server.Add({.Bytes = "", .CloseAtOnce = true, .Reset = true});
  const THttpOutcome outcome = Fetch(server.Url("a"));
  EXPECT_EQ(outcome.Status, -1);
  EXPECT_EQ(outcome.ErrorClass, 1);
  // Depending on timing the reset hits the send or the receive.
  EXPECT_EQ(outcome.ErrorCode, 10054) << outcome.ErrorMessage;
}

TEST(HttpTransaction, ResponseOverTheSizeCapIsDropped) {
  TScriptedServer server;
  server.Add({.Bytes = Ok(""), .FillLength = CHTTPTransaction::MaxResponseLength});
  const THttpOutcome outcome = Fetch(server.Url("huge.html"));
  EXPECT_EQ(outcome.Status, -1);
  EXPECT_EQ(outcome.ErrorClass, 1);
  EXPECT_EQ(outcome.ErrorMessage, "Socket stopped");
  EXPECT_TRUE(outcome.BodyIsNull);
}

TEST(HttpTransaction, IsValidUrl) {
  struct Case {
    const char* url;
    bool valid;
  };
  const Case cases[] = {
      {"http://a.example/", true},
      {"HTTP://A.EXAMPLE", true},
      {"HtTp://x", true},
      {"https://a.example/", false},
      {"a.example/", false},
      {"http://a/javascript:x", false},
      {"http://a/JAVASCRIPT:x", false},
      {"http://a/JavaScript:x", true},
      {"http://a/\"q\"", false},
      {"http://a/it's", false},
      {nullptr, false},
      {"", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IsValidUrl(c.url), c.valid) << (c.url ? c.url : "null");
}

TEST(HttpTransaction, WsaErrorNames) {
  EXPECT_STREQ(WsaErrorName(10035, "?"), "WSAEWOULDBLOCK");
  EXPECT_STREQ(WsaErrorName(10054, "?"), "WSAECONNRESET");
  EXPECT_STREQ(WsaErrorName(10093, "?"), "WSANOTINITIALISED");
  EXPECT_STREQ(WsaErrorName(10061, "fallback"), "fallback");
  EXPECT_STREQ(WsaErrorName(0, "Unknown WinsockError"), "Unknown WinsockError");
}

TEST(HttpTransaction, DownloadUrl) {
  TScriptedServer server;
  server.Add({.Bytes = Ok("function FindProxyForURL(u, h) { return \"DIRECT\"; }")});
  server.Add({.Bytes = "HTTP/1.0 404 Not Found\r\n\r\n"});
  std::string text = "stale";
  AnsiString problem = "stale";
  EXPECT_TRUE(DownloadUrl(server.Url("proxy.pac").c_str(), 5000, text, problem));
  EXPECT_EQ(text, "function FindProxyForURL(u, h) { return \"DIRECT\"; }");
  EXPECT_EQ(problem, "");
  EXPECT_FALSE(DownloadUrl(server.Url("missing.pac").c_str(), 5000, text, problem));
  EXPECT_EQ(text, "");
  EXPECT_EQ(problem, "Not Found");
  // The downloads never take a slot of the pool.
  std::unique_ptr<CHTTPTransaction> all[TransactionPoolSize];
  for (auto& t : all)
    EXPECT_TRUE((t.reset(AcquireTransaction()), t != nullptr));
}

namespace {

// The corpus served by a real nginx, with one rule of each kind the tests
// need.
TNginxOptions CorpusSite() {
  TNginxOptions options;
  options.DocumentRoot = WT_CORPUS_DIR;
  options.Locations = "location = /moved.html { return 301 /001.html; }\n"
                      "location = /found.html { return 302 /002.html; }\n"
                      "location = /gone.html { return 404; }\n";
  return options;
}

} // namespace

TEST(HttpTransactionNginx, PagesArriveByteForByte) {
  TNginxServer nginx(CorpusSite());
  const std::vector<AnsiString> pages = FindFiles(WT_CORPUS_DIR, "*.html");
  ASSERT_GT(pages.size(), 10u);
  for (const auto& page : pages) {
    std::string expected = ReadFileBytes(CorpusPage(page));
    for (char& c : expected)
      if (c == '\0')
        c = ' ';
    const THttpOutcome outcome = Fetch(nginx.Url(page));
    ASSERT_EQ(outcome.Status, 0) << page << " " << outcome.ErrorMessage;
    EXPECT_TRUE(outcome.Body == expected)
        << page << ": " << outcome.Body.size() << " bytes, " << expected.size() << " expected";
    EXPECT_NE(outcome.Header.find("Content-Length: " + std::to_string(expected.size())),
              std::string::npos);
  }
}

TEST(HttpTransactionNginx, RedirectsAndMissingPages) {
  TNginxServer nginx(CorpusSite());
  struct Case {
    std::string path;
    int status, errorClass;
    std::string page;
  };
  const Case cases[] = {
      {"moved.html", 0, 0, "001.html"},
      {"found.html", 0, 0, "002.html"},
      {"gone.html", -2, 11, ""},
      {"no-such-page.html", -2, 11, ""},
  };
  for (const auto& c : cases) {
    const THttpOutcome outcome = Fetch(nginx.Url(c.path));
    EXPECT_EQ(outcome.Status, c.status) << c.path;
    if (c.status == 0)
      EXPECT_TRUE(outcome.Body == ReadFileBytes(CorpusPage(c.page))) << c.path;
    else
      EXPECT_EQ(outcome.ErrorClass, c.errorClass) << c.path;
  }
  // A relative redirect keeps the server's port.
  TNginxOptions relative = CorpusSite();
  relative.HttpExtra = "absolute_redirect off;";
  TNginxServer nginxRelative(relative);
  const THttpOutcome outcome = Fetch(nginxRelative.Url("moved.html"));
  EXPECT_EQ(outcome.Status, 0) << outcome.ErrorMessage;
  EXPECT_TRUE(outcome.Body == ReadFileBytes(CorpusPage("001.html")));
}

TEST(HttpTransactionNginx, ThroughTinyproxy) {
  TNginxServer nginx(CorpusSite());
  TTinyproxyServer proxy;
  const std::string port = std::to_string(proxy.Port());
  const THttpOutcome outcome =
      Fetch(nginx.Url("003-metadata-preferred.html"), "127.0.0.1", port.c_str());
  EXPECT_EQ(outcome.Status, 0) << outcome.ErrorMessage << "\n" << proxy.Log();
  EXPECT_TRUE(outcome.Body == ReadFileBytes(CorpusPage("003-metadata-preferred.html")));
  EXPECT_NE(proxy.Log().find("003-metadata-preferred.html"), std::string::npos) << proxy.Log();
}
