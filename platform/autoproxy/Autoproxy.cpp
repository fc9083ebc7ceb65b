#include "platform/autoproxy/Autoproxy.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>

#include <fcntl.h>
#include <libpsl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/autoproxy/Pacscript.h"

namespace {

// The script loaded by the last initialisation, with the host's services.
struct TLoadedScript {
  std::string Text;
  TAutoProxyHelpers Helpers;
};
std::optional<TLoadedScript> Loaded;

bool Fail(DWORD code) {
  SetLastError(code);
  return false;
}

void WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t written = write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return;
    done += static_cast<size_t>(written);
  }
}

// Reads the child's answer until it closes the pipe or the time limit passes.
bool ReadAnswer(int fd, std::string& answer) {
  auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(AutoProxyScriptTimeLimitMs);
  char buffer[4096];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0)
      return false;
    pollfd poller{fd, POLLIN, 0};
    int ready = poll(&poller, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR)
      continue;
    if (ready <= 0)
      return false;
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0)
      return true;
    answer.append(buffer, static_cast<size_t>(got));
  }
}

// The evaluating child holds nothing of its parent's but the answer pipe
// (not the data lock, the sockets or the X connection, which would outlive
// a killed parent), ends with its parent, and ends by itself once its time
// is spent, whether anyone waits for it or not.
constexpr int AnswerFd = STDERR_FILENO + 1;

void BecomeEvaluator(pid_t parent, int answerFd) {
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The parent may have gone before the line above.
  if (getppid() != parent)
    _exit(1);
  // Out of the way of the standard descriptors, should they have been closed.
  answerFd = fcntl(answerFd, F_DUPFD, AnswerFd + 1);
  const int nothing = open("/dev/null", O_RDWR);
  for (int standard : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
    dup2(nothing, standard);
  dup2(answerFd, AnswerFd);
  close_range(AnswerFd + 1, ~0U, 0);
  rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  const rlim_t seconds = (AutoProxyScriptTimeLimitMs + 999) / 1000;
  rlimit cpu{seconds, seconds + 1};
  setrlimit(RLIMIT_CPU, &cpu);
}

// A script may throw, loop or exhaust its memory: it runs in a child process
// that is killed when its time is up, so only a sound answer comes back.
bool RunBounded(const TLoadedScript& script, const std::string& url, const std::string& host,
                std::string& answer) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0)
    return false;
  const pid_t parent = getpid();
  pid_t child = fork();
  if (child < 0) {
    close(pipeEnds[0]);
    close(pipeEnds[1]);
    return false;
  }
  if (child == 0) {
    close(pipeEnds[0]);
    BecomeEvaluator(parent, pipeEnds[1]);
    std::string result, error;
    if (!RunProxyScript(script.Text, url, host, script.Helpers, result, error))
      _exit(1);
    WriteAll(AnswerFd, result);
    _exit(0);
  }
  close(pipeEnds[1]);
  bool complete = ReadAnswer(pipeEnds[0], answer);
  close(pipeEnds[0]);
  if (!complete)
    kill(child, SIGKILL);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  return complete && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool Resolves(const std::string& host) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0)
    return false;
  freeaddrinfo(found);
  return true;
}

// The domain of this machine: what follows the first dot of its full name.
std::string LocalDomain() {
  char name[256] = "";
  if (gethostname(name, sizeof name - 1) != 0)
    return "";
  std::string full = name;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_flags = AI_CANONNAME;
  addrinfo* found = nullptr;
  if (getaddrinfo(name, nullptr, &hints, &found) == 0) {
    if (found->ai_canonname != nullptr)
      full = found->ai_canonname;
    freeaddrinfo(found);
  }
  size_t dot = full.find('.');
  return dot == std::string::npos ? "" : full.substr(dot + 1);
}

} // namespace

bool InternetInitializeAutoProxyDll(uint32_t, const char* downloadedTempFile, const char*,
                                    const TAutoProxyHelpers* helpers,
                                    const TAutoProxyScriptBuffer* scriptBuffer) {
  Loaded.reset();
  if (helpers == nullptr)
    return Fail(ERROR_INVALID_PARAMETER);
  if (scriptBuffer != nullptr) {
    if (scriptBuffer->StructSize != sizeof *scriptBuffer ||
        (scriptBuffer->ScriptBuffer == nullptr && scriptBuffer->ScriptBufferSize != 0))
      return Fail(ERROR_INVALID_PARAMETER);
    Loaded = TLoadedScript{std::string(scriptBuffer->ScriptBuffer, scriptBuffer->ScriptBufferSize),
                           *helpers};
    return true;
  }
  if (downloadedTempFile == nullptr)
    return Fail(ERROR_INVALID_PARAMETER);
  std::ifstream file(downloadedTempFile, std::ios::binary);
  if (!file)
    return Fail(ERROR_FILE_NOT_FOUND);
  std::ostringstream text;
  text << file.rdbuf();
  Loaded = TLoadedScript{text.str(), *helpers};
  return true;
}

bool InternetDeInitializeAutoProxyDll(const char*, uint32_t) {
  Loaded.reset();
  return true;
}

bool InternetGetProxyInfo(const char* url, uint32_t urlLength, const char* hostName,
                          uint32_t hostNameLength, std::unique_ptr<char[]>& answer,
                          uint32_t& answerLength) {
  answer.reset();
  answerLength = 0;
  if (url == nullptr || hostName == nullptr || urlLength == 0 || hostNameLength == 0)
    return Fail(ERROR_INVALID_PARAMETER);
  if (!Loaded)
    return Fail(ERROR_INTERNET_BAD_AUTO_PROXY_SCRIPT);
  // The lengths count the closing NUL.
  std::string urlText(url, strnlen(url, urlLength - 1));
  std::string hostText(hostName, strnlen(hostName, hostNameLength - 1));
  std::string result;
  if (!RunBounded(*Loaded, urlText, hostText, result))
    return Fail(ERROR_INTERNET_BAD_AUTO_PROXY_SCRIPT);
  answerLength = static_cast<uint32_t>(result.size());
  answer.reset(new char[result.size() + 1]);
  std::memcpy(answer.get(), result.c_str(), result.size() + 1);
  return true;
}

namespace {

// The system's public suffix list; null when neither its file nor the
// library's own copy can be read.
const psl_ctx_t* PublicSuffixes() {
  static const std::unique_ptr<psl_ctx_t, void (*)(psl_ctx_t*)> latest(psl_latest(nullptr),
                                                                       psl_free);
  return latest ? latest.get() : psl_builtin();
}

// A name anybody may register beneath: a suffix of the list, such as "com"
// or "co.uk". A top-level name the list does not know ("lan") is a local
// one. Without the list every name is taken for public.
bool IsPublicSuffix(const std::string& domain) {
  const psl_ctx_t* list = PublicSuffixes();
  if (list == nullptr)
    return true;
  std::string lower = domain;
  for (char& c : lower)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return psl_is_public_suffix2(list, lower.c_str(), PSL_TYPE_ANY | PSL_TYPE_NO_STAR_RULE) != 0;
}

} // namespace

std::vector<std::string> WpadCandidates(const std::string& domain) {
  std::vector<std::string> names;
  std::string rest = domain;
  while (!rest.empty() && rest.back() == '.')
    rest.pop_back();
  // The walk up stops before a public suffix: its wpad host belongs to
  // whoever registers it, not to the user's organisation. A top-level name
  // alone is tried only as the machine's own domain.
  for (bool own = true; !rest.empty() && !IsPublicSuffix(rest); own = false) {
    if (!own && rest.find('.') == std::string::npos)
      break;
    names.push_back("wpad." + rest);
    const size_t dot = rest.find('.');
    rest = dot == std::string::npos ? "" : rest.substr(dot + 1);
  }
  return names;
}

bool DetectAutoProxyUrl(char* buffer, uint32_t size, uint32_t detectFlags) {
  if (buffer == nullptr || size == 0)
    return Fail(ERROR_INVALID_PARAMETER);
  buffer[0] = '\0';
  if ((detectFlags & PROXY_AUTO_DETECT_TYPE_DNS_A) == 0)
    return Fail(ERROR_INTERNET_AUTODETECTION_FAILED);
  for (const std::string& host : WpadCandidates(LocalDomain())) {
    if (!Resolves(host))
      continue;
    std::string url = "http://" + host + "/wpad.dat";
    if (url.size() + 1 > size)
      return Fail(ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(buffer, url.c_str(), url.size() + 1);
    return true;
  }
  return Fail(ERROR_INTERNET_AUTODETECTION_FAILED);
}
