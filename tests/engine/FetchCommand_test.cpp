// newsprobe fetch, run as the tool it is.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/ScriptedServer.h"

namespace {

// The standard output of "newsprobe fetch" with the given arguments.
std::string RunNewsprobe(const std::string& args) {
  const std::string command = std::string(WT_BINARY_DIR) + "/tools/newsprobe fetch " + args;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe)
    return "";
  std::string out;
  char buf[512];
  while (size_t n = fread(buf, 1, sizeof buf, pipe))
    out.append(buf, n);
  pclose(pipe);
  return out;
}

// The line without its elapsed time, which varies; "" when that field is missing.
std::string WithoutElapsed(const std::string& line) {
  const size_t at = line.find(",\"elapsed_ms\":");
  if (at == std::string::npos || line.substr(line.size() - 2) != "}\n")
    return "";
  return line.substr(0, at) + "}";
}

} // namespace

TEST(NewsprobeFetch, PrintsTheOutcomeAsOneJsonLine) {
  TScriptedServer server;
  const std::string header = "HTTP/1.0 200 OK\r\nContent-Type: text/html";
  server.Add({.Bytes = header + "\r\n\r\nhello"});
  struct Case {
    std::string args, expected;
  };
  const Case cases[] = {
      {server.Url("a.html"),
       "{\"status\":0,\"error_class\":0,\"error_code\":0,\"error_message\":\"\",\"header_"
       "length\":" +
           std::to_string(header.size()) +
           ",\"body_length\":5,\"body_md5\":\"5d41402abc4b2a76b9719d911017c592\"}"},
      {"http://127.0.0.1:99999/ --timeout 2000",
       "{\"status\":-1,\"error_class\":8,\"error_code\":0,\"error_message\":\"Error, bad port in "
       "URL.\",\"header_length\":0,\"body_length\":0,"
       "\"body_md5\":\"d41d8cd98f00b204e9800998ecf8427e\"}"},
      {"a.example/x --proxy " + server.HostPort(),
       "{\"status\":0,\"error_class\":0,\"error_code\":0,\"error_message\":\"\",\"header_"
       "length\":" +
           std::to_string(header.size()) +
           ",\"body_length\":5,\"body_md5\":\"5d41402abc4b2a76b9719d911017c592\"}"},
  };
  for (const auto& c : cases) {
    const std::string out = RunNewsprobe(c.args);
    EXPECT_EQ(WithoutElapsed(out), c.expected) << c.args << "\n" << out;
  }
  EXPECT_EQ(server.Request(1).substr(0, 32), "GET http://a.example/x HTTP/1.0\r");
}
