// newsprobe, run as the tool it is: each subcommand's output against the
// engine it stands for.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/Htmlhrefextractor.h"
#include "engine/Htmlnoveltydetector.h"
#include "engine/Htmltools.h"
#include "platform/rtl/Codepage.h"
#include "tests/engine/Newsprobe.h"
#include "tests/support/Compress.h"
#include "tests/support/NginxServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"

namespace {

std::string Quoted(const std::string& path) {
  return "'" + path + "'";
}

// The line without its elapsed time, which varies; "" when that field is missing.
std::string WithoutElapsed(const std::string& line) {
  const size_t at = line.find(",\"elapsed_ms\":");
  if (at == std::string::npos || line.size() < 2 || line.substr(line.size() - 2) != "}\n")
    return "";
  return line.substr(0, at) + "}";
}

std::string Outcome(int status, int errorClass, int errorCode, const std::string& message) {
  return "{\"status\":" + std::to_string(status) +
         ",\"error_class\":" + std::to_string(errorClass) +
         ",\"error_code\":" + std::to_string(errorCode) + ",\"error_message\":\"" + message + "\"";
}

std::string Delivered(size_t headerLength, size_t bodyLength, const std::string& md5) {
  return ",\"header_length\":" + std::to_string(headerLength) +
         ",\"body_length\":" + std::to_string(bodyLength) + ",\"body_md5\":\"" + md5 + "\"}";
}

const std::string NothingDelivered = Delivered(0, 0, "d41d8cd98f00b204e9800998ecf8427e");

std::vector<std::filesystem::path> CorpusPages() {
  std::vector<std::filesystem::path> pages;
  for (const auto& entry : std::filesystem::directory_iterator(WT_CORPUS_DIR))
    pages.push_back(entry.path());
  std::sort(pages.begin(), pages.end());
  return pages;
}

} // namespace

TEST(NewsprobeFetch, PrintsTheOutcomeOfEachFailureClassAsOneJsonLine) {
  TScriptedServer server;
  const std::string header = "HTTP/1.0 200 OK\r\nContent-Type: text/html";
  server.Add({.Bytes = header + "\r\n\r\nhello"});
  server.Add({.Bytes = header + "\r\n\r\nhello"});
  server.Add({.Bytes = "HTTP/1.0 404 Not Found\r\n\r\ngone"});
  server.Add({.Bytes = "HTTP/1.0 299 Odd\r\n\r\n"});
  server.Add({.Bytes = "HTTP/1.0 302 Found\r\nlocation: https://x/\r\n\r\n"});
  server.Add({.Bytes = header + "\r\nContent-Length: 100\r\n\r\nhello"});
  server.Add({.Bytes = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n"});
  int closedPort;
  {
    TScriptedServer gone;
    closedPort = gone.Port();
  }
  const std::string hello = Delivered(header.size(), 5, "5d41402abc4b2a76b9719d911017c592");
  struct Case {
    std::string args, expected;
  };
  const Case cases[] = {
      {server.Url("a.html"), Outcome(0, 0, 0, "") + hello},
      {"a.example/x --proxy " + server.HostPort(), Outcome(0, 0, 0, "") + hello},
      {server.Url("404"), Outcome(-2, 11, 404, "Not Found") + NothingDelivered},
      {server.Url("299"), Outcome(-2, 10, 299, "Extension Code") + NothingDelivered},
      {server.Url("302"),
       Outcome(-2, 13, 0, "Redirected to another scheme than http: https://x/") + NothingDelivered},
      {server.Url("cut"),
       Outcome(-1, 14, 0, "Error, body cut short: 5 of 100 bytes.") + NothingDelivered},
      {server.Url("open"), Outcome(-1, 12, 0, "Error, header not found.") + NothingDelivered},
      {"''", Outcome(-1, 2, 0, "Error, url empty.") + NothingDelivered},
      {"http://" + std::string(1018, 'a'),
       Outcome(-1, 3, 0, "Error, url too long.") + NothingDelivered},
      {"http:/x.html", Outcome(-1, 6, 0, "Error, proto parse failed.") + NothingDelivered},
      {"http://", Outcome(-1, 7, 0, "Error, bad host in URL.") + NothingDelivered},
      {"http://127.0.0.1:99999/ --timeout 2000",
       Outcome(-1, 8, 0, "Error, bad port in URL.") + NothingDelivered},
      {"http://127.0.0.1:" + std::to_string(closedPort) + "/",
       Outcome(-1, 1, 10061, "Error when connect.") + NothingDelivered},
  };
  for (const auto& c : cases) {
    const TProbeRun run = RunNewsprobe("fetch " + c.args);
    EXPECT_EQ(run.ExitCode, 0) << c.args;
    EXPECT_EQ(WithoutElapsed(run.Out), c.expected) << c.args << "\n" << run.Out;
  }
  EXPECT_EQ(server.Request(1).substr(0, 32), "GET http://a.example/x HTTP/1.0\r");
}

TEST(NewsprobeFetch, RealPagesAndProxyScripts) {
  TTempDir dir;
  TScriptedServer proxy;
  proxy.Add({.Bytes = "HTTP/1.0 200 OK\r\n\r\nproxied"});
  dir.Write("proxy.pac", "function FindProxyForURL(url, host) {\n"
                         "  if (host == 'via.example') return 'PROXY " +
                             proxy.HostPort() + "';\n  return 'DIRECT';\n}\n");
  TNginxOptions options;
  options.DocumentRoot = WT_CORPUS_DIR;
  options.Locations = "location = /proxy.pac { alias " + dir.File("proxy.pac") + "; }";
  TNginxServer nginx(options);

  const std::string page = CorpusPage("001.html");
  const std::string md5 = RunCommand("md5sum " + Quoted(page)).Out.substr(0, 32);
  const std::string line = WithoutElapsed(RunNewsprobe("fetch " + nginx.Url("001.html")).Out);
  EXPECT_EQ(line.substr(0, line.find(",\"header_length\"")), Outcome(0, 0, 0, ""));
  EXPECT_NE(line.find(",\"body_length\":" + std::to_string(std::filesystem::file_size(page)) +
                      ",\"body_md5\":\"" + md5 + "\"}"),
            std::string::npos)
      << line;

  const std::string pac = " --pac " + nginx.Url("proxy.pac");
  const std::string viaProxy = RunNewsprobe("fetch http://via.example/a" + pac).Out;
  EXPECT_NE(viaProxy.find("\"status\":0,"), std::string::npos) << viaProxy;
  EXPECT_NE(viaProxy.find("\"proxy\":\"" + proxy.HostPort() + "\""), std::string::npos) << viaProxy;
  const std::string direct = RunNewsprobe("fetch " + nginx.Url("001.html") + pac).Out;
  EXPECT_NE(direct.find("\"body_md5\":\"" + md5 + "\",\"proxy\":\"\""), std::string::npos)
      << direct;
  EXPECT_EQ(proxy.Connections(), 1);
}

TEST(NewsprobeText, PrintsTheEngineTextOfEveryCorpusPage) {
  for (const auto& path : CorpusPages()) {
    const TProbeRun run = RunNewsprobe("text " + Quoted(path.string()));
    ASSERT_EQ(run.ExitCode, 0) << path;
    EXPECT_EQ(run.Out, Cp1252ToUtf8(HtmlToText(ReadFileBytes(path.string()))) + "\n") << path;
  }
  EXPECT_NE(RunNewsprobe("text /nonexistent/page.html 2>/dev/null").ExitCode, 0);
}

TEST(NewsprobeAnchors, PrintsTheAnchorWalkOfEveryCorpusPage) {
  for (const auto& path : CorpusPages()) {
    const std::string html = ReadFileBytes(path.string());
    std::vector<std::pair<int, int>> expected;
    CHtmlHrefExtractor extractor;
    int position = 0;
    int end = 0;
    for (int from = 0;; from = end) {
      position = from;
      const bool found = extractor.ExtractNextHRef(html, position, end);
      if (position < 0)
        break;
      if (found)
        expected.emplace_back(position, end);
    }
    const TProbeRun run =
        RunNewsprobe("anchors " + Quoted(path.string()) + " http://h.example/a/b");
    ASSERT_EQ(run.ExitCode, 0) << path;
    std::vector<std::pair<int, int>> printed;
    std::istringstream lines(run.Out);
    for (std::string line; std::getline(lines, line);) {
      const size_t at = line.rfind(",\"position\":");
      int position = -1, end = -1;
      ASSERT_TRUE(line.starts_with("{\"href\":\"") && at != std::string::npos &&
                  std::sscanf(line.c_str() + at, ",\"position\":%d,\"end\":%d}", &position, &end) ==
                      2 &&
                  line.back() == '}')
          << path << ": " << line;
      printed.emplace_back(position, end);
    }
    EXPECT_EQ(printed, expected) << path;
  }
  const std::string page = "<p><a href=\"../c.html\">C</a></p>";
  TTempDir dir;
  EXPECT_EQ(
      RunNewsprobe("anchors " + dir.Write("p.html", page) + " http://h.example/a/b/x.html").Out,
      "{\"href\":\"../c.html\",\"absolute\":\"" +
          ResolveHref("http://h.example/a/b/x.html", "../c.html") +
          "\",\"text\":\"C\",\"position\":3,\"end\":28}\n");
}

TEST(NewsprobeDecodeAndFingerprint, AnswerAsTheEngine) {
  const std::string page = CorpusPage("001.html");
  const std::string html = ReadFileBytes(page);
  TTempDir dir;
  const std::string gz = dir.Write("page.gz", Gzip(html));

  const TProbeRun decoded = RunNewsprobe("decode --coding gzip " + gz);
  EXPECT_EQ(decoded.ExitCode, 0);
  EXPECT_TRUE(decoded.Out == html) << decoded.Out.size() << " bytes of " << html.size();
  EXPECT_NE(
      RunNewsprobe("decode --coding deflate " + dir.Write("bad", "\xff\xff\xff") + " 2>/dev/null")
          .ExitCode,
      0);

  struct Case {
    std::string flags;
    bool text, dates, hex;
  };
  const Case cases[] = {{"", false, false, false}, {" --flags TEXT,DATES,HEX", true, true, true}};
  for (const auto& c : cases) {
    const TProbeRun run = RunNewsprobe("fingerprint " + Quoted(page) + c.flags);
    const AnsiString fingerprint = CNoveltyDetector::Fingerprint32(html, c.text, c.dates, c.hex);
    ASSERT_EQ(fingerprint.size(), 32u);
    EXPECT_NE(run.Out.find("\"fingerprint\":\"" + fingerprint + "\""), std::string::npos)
        << c.flags << ": " << run.Out;
  }
}
