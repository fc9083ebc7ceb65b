#include "platform/autoproxy/Autoproxy.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <signal.h>
#include <sstream>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace {

// Host services of a small fixed network: "intranet" and "gateway" resolve,
// nothing else does; this machine is 10.1.2.7.
uint32_t FakeResolve(const char* host, char* buffer, uint32_t* size) {
  const char* address = nullptr;
  if (std::strcmp(host, "intranet") == 0)
    address = "10.1.2.3";
  if (std::strcmp(host, "gateway") == 0)
    address = "192.168.0.1";
  if (address == nullptr || std::strlen(address) + 1 > *size) {
    buffer[0] = '\0';
    return 1;
  }
  std::strcpy(buffer, address);
  return 0;
}

bool FakeIsResolvable(const char* host) {
  char buffer[64];
  uint32_t size = sizeof buffer;
  return FakeResolve(host, buffer, &size) == 0;
}

uint32_t FakeLocalAddress(char* buffer, uint32_t* size) {
  std::strncpy(buffer, "10.1.2.7", *size - 1);
  buffer[*size - 1] = '\0';
  return 0;
}

bool FakeIsInNet(const char* address, const char* network, const char* mask) {
  in_addr a, n, m;
  return inet_pton(AF_INET, address, &a) == 1 && inet_pton(AF_INET, network, &n) == 1 &&
         inet_pton(AF_INET, mask, &m) == 1 && (a.s_addr & m.s_addr) == n.s_addr;
}

const TAutoProxyHelpers FakeHelpers = {FakeIsResolvable, FakeLocalAddress, FakeResolve,
                                       FakeIsInNet};

class AutoProxyScript : public testing::Test {
protected:
  void TearDown() override { InternetDeInitializeAutoProxyDll(nullptr, 0); }

  // Loads the script and asks it about url; false when the library refused.
  bool Ask(const std::string& script, std::string& answer,
           const std::string& url = "http://www.example.com/a/b.html",
           const std::string& host = "www.example.com") {
    std::string path = Dir.Write("proxy.pac", script);
    answer.clear();
    if (!InternetInitializeAutoProxyDll(0, path.c_str(), nullptr, &FakeHelpers, nullptr))
      return false;
    std::unique_ptr<char[]> text;
    uint32_t length = 0;
    if (!InternetGetProxyInfo(url.c_str(), static_cast<uint32_t>(url.size() + 1), host.c_str(),
                              static_cast<uint32_t>(host.size() + 1), text, length))
      return false;
    answer.assign(text.get(), length);
    EXPECT_EQ(std::strlen(text.get()), length);
    return true;
  }

  // The script is refused once its time limit is over (not never), with no
  // answer; what comes after the limit is room for a loaded machine.
  void ExpectRefused(const char* script) {
    SCOPED_TRACE(script);
    SetLastError(0);
    auto start = std::chrono::steady_clock::now();
    std::string answer;
    EXPECT_FALSE(Ask(script, answer));
    EXPECT_EQ(GetLastError(), ERROR_INTERNET_BAD_AUTO_PROXY_SCRIPT);
    EXPECT_TRUE(answer.empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start,
              std::chrono::milliseconds(AutoProxyScriptTimeLimitMs + 27000));
  }

  struct TExpression {
    std::string Text;
    std::string Host;
    std::string Expected;
  };

  // Evaluates every expression, with `host` bound to its host, in one run of
  // one script, and compares each value as text.
  void ExpectValues(const std::vector<TExpression>& expressions) {
    std::string script = "function FindProxyForURL(url, host) { return [";
    for (const auto& e : expressions)
      script += "(function (host) { return String(" + e.Text + "); })('" + e.Host + "'),";
    script += "].join('\\n'); }";
    std::string answer;
    ASSERT_TRUE(Ask(script, answer)) << script;
    std::vector<std::string> values;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
      end = answer.find('\n', start);
      values.push_back(answer.substr(start, end == std::string::npos ? end : end - start));
    }
    ASSERT_EQ(values.size(), expressions.size()) << answer;
    for (size_t i = 0; i < values.size(); ++i)
      EXPECT_EQ(values[i], expressions[i].Expected)
          << expressions[i].Text << " for " << expressions[i].Host;
  }

  TTempDir Dir;
};

TEST_F(AutoProxyScript, AnswersWhatFindProxyForUrlReturns) {
  std::string answer;
  ASSERT_TRUE(Ask("function FindProxyForURL(url, host) {\n"
                  "  if (host == 'www.example.com' && url.indexOf('/a/') > 0)\n"
                  "    return 'PROXY p:3128; DIRECT';\n"
                  "  return 'DIRECT';\n"
                  "}",
                  answer));
  EXPECT_EQ(answer, "PROXY p:3128; DIRECT");
  ASSERT_TRUE(Ask("function FindProxyForURL(url, host) { return 'DIRECT'; }", answer,
                  "http://other/", "other"));
  EXPECT_EQ(answer, "DIRECT");
}

TEST_F(AutoProxyScript, HelperFunctionsWithoutTheHost) {
  ExpectValues({
      {"isPlainHostName(host)", "intranet", "true"},
      {"isPlainHostName(host)", "www.example.com", "false"},
      {"dnsDomainIs(host, '.example.com')", "www.example.com", "true"},
      {"dnsDomainIs(host, '.example.com')", "www.example.org", "false"},
      {"dnsDomainIs(host, '.example.com')", "com", "false"},
      {"localHostOrDomainIs(host, 'www.example.com')", "www.example.com", "true"},
      {"localHostOrDomainIs(host, 'www.example.com')", "www", "true"},
      {"localHostOrDomainIs(host, 'www.example.com')", "www.example.org", "false"},
      {"localHostOrDomainIs(host, 'www.example.com')", "home", "false"},
      {"dnsDomainLevels(host)", "www.example.com", "2"},
      {"dnsDomainLevels(host)", "intranet", "0"},
      {"shExpMatch(host, '*.example.*')", "www.example.com", "true"},
      {"shExpMatch(host, '*.example.*')", "www.exampleXcom", "false"},
      {"shExpMatch(host, 'w?w.*')", "www.example.com", "true"},
      {"shExpMatch(host, 'w?w.*')", "ww.example.com", "false"},
      {"shExpMatch('a+b(c)', 'a+b(*)')", "x", "true"},
  });
}

TEST_F(AutoProxyScript, HelperFunctionsCallTheHostServices) {
  ExpectValues({
      {"isResolvable('intranet')", "www.example.com", "true"},
      {"isResolvable('nowhere')", "www.example.com", "false"},
      {"dnsResolve('gateway')", "www.example.com", "192.168.0.1"},
      {"dnsResolve('nowhere')", "www.example.com", "null"},
      {"myIpAddress()", "www.example.com", "10.1.2.7"},
      {"isInNet('intranet', '10.1.0.0', '255.255.0.0')", "www.example.com", "true"},
      {"isInNet('gateway', '10.1.0.0', '255.255.0.0')", "www.example.com", "false"},
      {"isInNet('10.1.9.9', '10.1.0.0', '255.255.0.0')", "www.example.com", "true"},
      {"isInNet('nowhere', '0.0.0.0', '0.0.0.0')", "www.example.com", "false"},
      {"isInNet(myIpAddress(), '10.1.2.0', '255.255.255.0')", "www.example.com", "true"},
  });
}

TEST_F(AutoProxyScript, TimeHelpersFollowTheClock) {
  static const char* Days[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT"};
  static const char* Months[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  // Near midnight the day may turn between here and the script.
  if (local.tm_hour == 23 && local.tm_min == 59)
    GTEST_SKIP() << "the day is about to change";
  auto day = [&](int offset) {
    return std::string("'") + Days[(local.tm_wday + offset) % 7] + "'";
  };
  std::string year = std::to_string(local.tm_year + 1900);
  std::string nextYear = std::to_string(local.tm_year + 1901);
  std::string month = std::string("'") + Months[local.tm_mon] + "'";
  std::string today = std::to_string(local.tm_mday);
  std::string hour = std::to_string(local.tm_hour);
  std::string nextHour = std::to_string((local.tm_hour + 1) % 24);
  const std::string host = "www.example.com";
  ExpectValues({
      {"weekdayRange(" + day(0) + ")", host, "true"},
      {"weekdayRange(" + day(1) + ")", host, "false"},
      {"weekdayRange(" + day(1) + ", " + day(0) + ")", host, "true"},
      {"weekdayRange(" + day(1) + ", " + day(6) + ")", host, "false"},
      {"weekdayRange('XYZ')", host, "false"},
      {"dateRange(" + year + ")", host, "true"},
      {"dateRange(" + nextYear + ")", host, "false"},
      {"dateRange(" + month + ")", host, "true"},
      {"dateRange(" + today + ")", host, "true"},
      {"dateRange(1, 'JAN', " + year + ", 31, 'DEC', " + year + ")", host, "true"},
      {"dateRange(1, 'JAN', " + nextYear + ", 31, 'DEC', " + nextYear + ")", host, "false"},
      {"dateRange('JAN', " + year + ", 'DEC', " + year + ")", host, "true"},
      {"dateRange(1, 2, 3)", host, "false"},
      {"timeRange(" + hour + ")", host, "true"},
      {"timeRange(" + nextHour + ")", host, "false"},
      {"timeRange(0, 23)", host, "true"},
      {"timeRange(0, 0, 0, 23, 59, 59)", host, "true"},
      {"timeRange(" + nextHour + ", 0, " + nextHour + ", 59)", host, "false"},
  });
}

TEST_F(AutoProxyScript, BrokenScriptsFail) {
  for (const char* script : {
           "function FindProxyForURL(url, host) { throw new Error('no'); }",
           "function FindProxyForURL(url, host) { return 42; }",
           "function FindProxyForURL(url, host) { }",
           "function FindProxy(url, host) { return 'DIRECT'; }",
           "function FindProxyForURL(url, host) { return 'DIRECT' ",
           "function FindProxyForURL(url, host) { var s = 'x'; for (;;) s = s + s; }",
       })
    ExpectRefused(script);
}

TEST_F(AutoProxyScript, EndlessScriptsAreStopped) {
  for (const char* script : {
           "function FindProxyForURL(url, host) { for (;;) {} }",
           "for (;;) {} function FindProxyForURL(u, h) { return 'DIRECT'; }",
       })
    ExpectRefused(script);
}

TEST_F(AutoProxyScript, MissingScriptFileOrNoInitialisationFails) {
  std::string missing = Dir.File("absent.pac");
  SetLastError(0);
  EXPECT_FALSE(InternetInitializeAutoProxyDll(0, missing.c_str(), nullptr, &FakeHelpers, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  std::unique_ptr<char[]> answer;
  uint32_t length = 7;
  EXPECT_FALSE(InternetGetProxyInfo("http://a/", 10, "a", 2, answer, length));
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(answer, nullptr);
}

TEST_F(AutoProxyScript, ScriptHandedOverInMemory) {
  const std::string script = "function FindProxyForURL(url, host) { return 'PROXY m:1'; }";
  const TAutoProxyScriptBuffer buffer{sizeof buffer, script.data(),
                                      static_cast<uint32_t>(script.size())};
  ASSERT_TRUE(InternetInitializeAutoProxyDll(0, nullptr, nullptr, &FakeHelpers, &buffer));
  std::unique_ptr<char[]> text;
  uint32_t length = 0;
  ASSERT_TRUE(InternetGetProxyInfo("http://a/", 10, "a", 2, text, length));
  EXPECT_EQ(std::string(text.get(), length), "PROXY m:1");
  const TAutoProxyScriptBuffer wrongSize{1, script.data(), 3};
  SetLastError(0);
  EXPECT_FALSE(InternetInitializeAutoProxyDll(0, nullptr, nullptr, &FakeHelpers, &wrongSize));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// The children of this process, from the system's process table.
std::vector<pid_t> Children() {
  std::vector<pid_t> children;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos)
      continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const size_t close = line.rfind(')');
    if (close == std::string::npos)
      continue;
    std::istringstream rest(line.substr(close + 2));
    char state;
    pid_t parent = 0;
    rest >> state >> parent;
    if (parent == getpid())
      children.push_back(std::stoi(name));
  }
  return children;
}

// The descriptors a process holds, in order.
std::vector<int> Descriptors(const std::string& proc) {
  std::vector<int> descriptors;
  std::error_code error;
  for (const auto& fd : std::filesystem::directory_iterator(proc + "/fd", error))
    descriptors.push_back(std::stoi(fd.path().filename()));
  std::sort(descriptors.begin(), descriptors.end());
  return descriptors;
}

std::vector<pid_t> WaitForChildren(size_t atLeast) {
  std::vector<pid_t> found;
  for (int i = 0; i < 1000 && (found = Children()).size() < atLeast; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return found;
}

// The evaluator of a script holds none of its parent's descriptors (it
// would keep the data lock, sockets and the X connection past the parent's
// end), reads nothing of the terminal, and carries its own limit of
// processor time.
TEST_F(AutoProxyScript, TheEvaluatorHoldsNothingOfItsParent) {
  int inherited[2];
  ASSERT_EQ(pipe(inherited), 0); // without close-on-exec, as a careless open is
  bool answered = true;
  std::thread asking([&] {
    std::string answer;
    answered = Ask("function FindProxyForURL(url, host) { for (;;) {} }", answer);
  });
  const std::vector<pid_t> children = WaitForChildren(1);
  ASSERT_EQ(children.size(), 1u);
  const std::string proc = "/proc/" + std::to_string(children[0]);
  // Between the fork and the script the child still closes what it holds:
  // wait until it has settled, however slowly the machine runs it.
  const std::vector<int> settled{0, 1, 2, 3};
  std::vector<int> descriptors;
  for (int i = 0; i < 2000 && descriptors != settled; ++i) {
    if (i > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    descriptors = Descriptors(proc);
  }
  EXPECT_EQ(descriptors, settled);
  for (int standard : {0, 1, 2})
    EXPECT_EQ(std::filesystem::read_symlink(proc + "/fd/" + std::to_string(standard)), "/dev/null");
  std::ifstream limits(proc + "/limits");
  std::string line, cpu;
  while (std::getline(limits, line))
    if (line.starts_with("Max cpu time"))
      cpu = line;
  EXPECT_NE(cpu.find(" 3 "), std::string::npos) << cpu;
  asking.join();
  EXPECT_FALSE(answered);
  close(inherited[0]);
  close(inherited[1]);
}

// A parent killed while its evaluator loops takes the evaluator with it.
TEST(AutoProxyEvaluator, EndsWithItsParent) {
  prctl(PR_SET_CHILD_SUBREAPER, 1);
  const pid_t parent = fork();
  if (parent == 0) {
    const std::string script = "function FindProxyForURL(url, host) { for (;;) {} }";
    const TAutoProxyScriptBuffer buffer{sizeof buffer, script.data(),
                                        static_cast<uint32_t>(script.size())};
    InternetInitializeAutoProxyDll(0, nullptr, nullptr, &FakeHelpers, &buffer);
    std::unique_ptr<char[]> text;
    uint32_t length = 0;
    InternetGetProxyInfo("http://a/", 10, "a", 2, text, length);
    _exit(0);
  }
  ASSERT_GT(parent, 0);
  // The parent and its evaluator.
  ASSERT_EQ(WaitForChildren(1).size(), 1u);
  const std::string parentProc = "/proc/" + std::to_string(parent) + "/task";
  bool forked = false;
  for (int i = 0; i < 500 && !forked; ++i) {
    for (const auto& task : std::filesystem::directory_iterator(parentProc)) {
      std::ifstream children(task.path() / "children");
      pid_t child = 0;
      forked = forked || static_cast<bool>(children >> child);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_TRUE(forked);
  kill(parent, SIGKILL);
  waitpid(parent, nullptr, 0);
  // An evaluator left behind comes to this process, its subreaper.
  const auto start = std::chrono::steady_clock::now();
  int status = 0;
  pid_t reaped = 0;
  while (std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
    reaped = waitpid(-1, &status, WNOHANG);
    if (reaped < 0)
      break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  prctl(PR_SET_CHILD_SUBREAPER, 0);
  EXPECT_TRUE(Children().empty()) << "an evaluator outlived its parent";
  std::printf("evaluator gone %lld ms after its parent was killed\n",
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                         std::chrono::steady_clock::now() - start)
                                         .count()));
}

// The walk up the domain stops before a public suffix of the system's list,
// whose wpad host anybody may register; a top-level name the list does not
// know is asked only as the machine's own domain.
TEST(AutoProxyDiscovery, TriesTheDomainAndItsParentsAboveThePublicSuffix) {
  struct {
    const char* Domain;
    std::vector<std::string> Expected;
  } cases[] = {
      {"eng.corp.example.com",
       {"wpad.eng.corp.example.com", "wpad.corp.example.com", "wpad.example.com"}},
      {"example.com.", {"wpad.example.com"}},
      {"example.co.uk", {"wpad.example.co.uk"}},
      {"eng.Example.CO.UK", {"wpad.eng.Example.CO.UK", "wpad.Example.CO.UK"}},
      {"pc.city.kawasaki.jp", {"wpad.pc.city.kawasaki.jp", "wpad.city.kawasaki.jp"}},
      {"office.example.kawasaki.jp", {"wpad.office.example.kawasaki.jp"}},
      {"team.someone.github.io", {"wpad.team.someone.github.io", "wpad.someone.github.io"}},
      {"co.uk", {}},
      {"com", {}},
      {"github.io", {}},
      {"lan", {"wpad.lan"}},
      {"home.lan", {"wpad.home.lan"}},
      {"", {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WpadCandidates(c.Domain), c.Expected) << c.Domain;
}

TEST(AutoProxyDiscovery, DiscoveryByDhcpAloneFindsNothing) {
  char buffer[256] = "stale";
  SetLastError(0);
  EXPECT_FALSE(DetectAutoProxyUrl(buffer, sizeof buffer, PROXY_AUTO_DETECT_TYPE_DHCP));
  EXPECT_EQ(GetLastError(), ERROR_INTERNET_AUTODETECTION_FAILED);
  EXPECT_STREQ(buffer, "");
}

} // namespace
