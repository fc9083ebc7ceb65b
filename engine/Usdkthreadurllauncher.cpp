#include "engine/Usdkthreadurllauncher.h"

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <map>
#include <netdb.h>
#include <thread>
#include <unistd.h>

#include "engine/Chttpthread.h"

namespace {

const int NoScriptLibrary = -3;
const int ScriptLoadFailure = 1000000;
const uint32_t ErrorNoHostName = 12004;
const char DefaultProxyPort[] = "8080";

const TAutoProxyHelpers ScriptHelpers = {
    CHttpProxyConfig::ScriptIsResolvable,
    CHttpProxyConfig::ScriptGetLocalAddress,
    CHttpProxyConfig::ScriptResolveHost,
    CHttpProxyConfig::ScriptIsInNet,
};

AnsiString Text(const char* text) {
  return text != nullptr ? AnsiString(text) : AnsiString();
}

// The host part of a URL: after the first "//" up to the next '/'.
AnsiString UrlHostName(const AnsiString& url) {
  size_t slashes = url.find("//");
  size_t start = slashes == std::string::npos ? 0 : slashes + 2;
  size_t end = url.find('/', start);
  return url.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void CopyOut(const AnsiString& text, char* buffer, uint32_t size) {
  if (size == 0)
    return;
  size_t length = std::min<size_t>(text.size(), size - 1);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

// A port as a script may name one: 1 to 65535 in decimal digits, nothing
// else; a larger number would wrap round to another port.
bool IsPortText(const AnsiString& text) {
  if (text.empty() || text.size() > 5 ||
      !std::all_of(text.begin(), text.end(), [](unsigned char c) { return c >= '0' && c <= '9'; }))
    return false;
  const long value = std::strtol(text.c_str(), nullptr, 10);
  return value >= 1 && value <= 65535;
}

bool ParseIPv4(const char* text, uint32_t& address) {
  in_addr parsed;
  if (text == nullptr || inet_pton(AF_INET, text, &parsed) != 1)
    return false;
  address = parsed.s_addr;
  return true;
}

} // namespace

// Downloads the scripts the configuration asks for on a thread of its own
// and keeps the last whole text of each: a script server that trickles or
// fails delays only the requests waiting for its first download, never the
// caller, and a kept script outlives a later failed download.
class TScriptKeeper {
public:
  TScriptKeeper(const TScriptRefresh& refresh, int timeOutMs)
      : Refresh(refresh), TimeOutMs(timeOutMs), Worker([this] { Run(); }) {}
  ~TScriptKeeper() {
    {
      std::lock_guard guard(Lock);
      Stopping = true;
      if (Downloading != nullptr)
        Downloading->Terminate();
    }
    Changed.notify_all();
    Worker.join();
  }
  TScriptKeeper(const TScriptKeeper&) = delete;
  TScriptKeeper& operator=(const TScriptKeeper&) = delete;

  // Has the script at url downloaded soon, when it is not kept or asked yet.
  void Want(const AnsiString& url) {
    std::lock_guard guard(Lock);
    Entry(url);
  }

  // The kept text of the script at url; waits for its first download to end
  // while cancelled does not say to give up. False without a whole script,
  // with the reason in problem.
  bool Script(const AnsiString& url, const std::function<bool()>& cancelled, std::string& text,
              AnsiString& problem) {
    std::unique_lock guard(Lock);
    for (;;) {
      const TKept& kept = Entry(url);
      if (kept.Tried) {
        text = kept.Text;
        problem = kept.Problem;
        return kept.Whole;
      }
      if (Stopping || (cancelled && cancelled())) {
        problem = "stopped before the script came";
        return false;
      }
      Changed.wait_for(guard, std::chrono::milliseconds(CancelCheckMs));
    }
  }

  // New settings: every script is downloaded again, and a download under way
  // counts for nothing.
  void Forget() {
    std::lock_guard guard(Lock);
    Scripts.clear();
    ++Generation;
    if (Downloading != nullptr)
      Downloading->Terminate();
  }

private:
  using TClock = std::chrono::steady_clock;
  struct TKept {
    std::string Text;
    bool Whole = false;
    bool Tried = false;
    AnsiString Problem;
    TClock::time_point Due = TClock::now();
    int RetryMs = 0;
  };
  static constexpr int CancelCheckMs = 20;

  TKept& Entry(const AnsiString& url) {
    auto [found, added] = Scripts.try_emplace(url);
    if (added)
      Changed.notify_all();
    return found->second;
  }

  void Run() {
    std::unique_lock guard(Lock);
    while (!Stopping) {
      auto next =
          std::min_element(Scripts.begin(), Scripts.end(), [](const auto& a, const auto& b) {
            return a.second.Due < b.second.Due;
          });
      if (next == Scripts.end()) {
        Changed.wait(guard);
        continue;
      }
      // A copy: new settings may drop the entry while this waits.
      if (const TClock::time_point due = next->second.Due; due > TClock::now()) {
        Changed.wait_until(guard, due);
        continue;
      }
      const AnsiString url = next->first;
      const unsigned generation = Generation;
      std::string text;
      AnsiString problem;
      const bool whole = Download(guard, url, text, problem);
      auto kept = Scripts.find(url);
      if (generation == Generation && kept != Scripts.end())
        Record(kept->second, whole, text, problem);
      Changed.notify_all();
    }
  }

  // Fetches url with the lock released; the destructor may terminate it,
  // also before it has begun.
  bool Download(std::unique_lock<std::mutex>& guard, const AnsiString& url, std::string& text,
                AnsiString& problem) {
    guard.unlock();
    const bool whole =
        DownloadUrl(url.c_str(), TimeOutMs, text, problem, [this](CHTTPTransaction* running) {
          std::lock_guard registering(Lock);
          Downloading = running;
          if (running != nullptr && Stopping)
            running->Terminate();
        });
    guard.lock();
    return whole;
  }

  void Record(TKept& kept, bool whole, std::string& text, const AnsiString& problem) {
    kept.Tried = true;
    if (!whole)
      kept.Problem = "the download failed: " + problem;
    if (whole) {
      kept.Text = std::move(text);
      kept.Whole = true;
      kept.RetryMs = 0;
      kept.Due = TClock::now() + std::chrono::milliseconds(Refresh.IntervalMs);
      return;
    }
    kept.RetryMs =
        kept.RetryMs == 0 ? Refresh.FirstRetryMs : std::min(2 * kept.RetryMs, Refresh.IntervalMs);
    kept.Due = TClock::now() + std::chrono::milliseconds(kept.RetryMs);
  }

  const TScriptRefresh Refresh;
  const int TimeOutMs;
  std::mutex Lock;
  std::condition_variable Changed;
  std::map<AnsiString, TKept> Scripts;
  unsigned Generation = 0;
  bool Stopping = false;
  CHTTPTransaction* Downloading = nullptr;
  std::thread Worker;
};

CHttpProxyConfig::CHttpProxyConfig(const TAutoProxyEntries& entries, const TScriptRefresh& refresh)
    : InitializeEntry(entries.Initialize), DeInitializeEntry(entries.DeInitialize),
      DetectEntry(entries.Detect), ProxyInfoEntry(entries.ProxyInfo),
      Keeper(std::make_unique<TScriptKeeper>(refresh, ScriptDownloadTimeOutMs)) {}

CHttpProxyConfig::~CHttpProxyConfig() = default;

bool CHttpProxyConfig::SetProxySettings(bool autoDetect, bool useScript, const char* scriptUrl,
                                        bool manualProxy, const char* host, const char* port) {
  std::lock_guard guard(Lock);
  Keeper->Forget();
  ++Generation;
  SettingsChanged = true;
  AutoDetect = autoDetect;
  ScriptUrl = Text(scriptUrl);
  UseScript = useScript && !ScriptUrl.empty();
  Host = Text(host);
  ManualProxy = manualProxy && !Host.empty();
  Port = Text(port);
  if (Port.empty())
    Port = DefaultProxyPort;
  DetectionDone = false;
  // The first request need not wait for the whole download.
  if (UseScript && !ManualProxy)
    Keeper->Want(ScriptUrl);
  return AutoDetect || UseScript || ManualProxy;
}

CHttpProxyConfig::TSettings CHttpProxyConfig::CurrentSettings() {
  std::lock_guard guard(Lock);
  SettingsChanged = false;
  return {AutoDetect, UseScript, ManualProxy, ScriptUrl, Host, Port, Generation};
}

int CHttpProxyConfig::GetProxyForUrl(const AnsiString& url, AnsiString& host, AnsiString& port,
                                     const std::function<bool()>& cancelled, AnsiString* problem) {
  AnsiString hostName = UrlHostName(url);
  LastResult = 0;
  host.clear();
  port.clear();
  if (problem != nullptr)
    problem->clear();
  const TSettings settings = CurrentSettings();
  if (settings.ManualProxy) {
    host = settings.Host;
    port = settings.Port;
    return pkProxy;
  }
  int kind = pkDirect;
  AnsiString reason;
  if (settings.AutoDetect) {
    const AnsiString detected = DetectedUrl(settings.Generation);
    if (!detected.empty())
      kind = ScriptKind(detected, url, hostName, cancelled, host, port, reason);
  }
  // The configured script decides where the discovered one could not.
  if (kind <= pkDirect && settings.UseScript)
    kind = ScriptKind(settings.ScriptUrl, url, hostName, cancelled, host, port, reason);
  if (kind == pkUnusable && problem != nullptr)
    *problem = reason;
  return kind;
}

// Discovery of these settings, run by the first caller that needs it while
// the others wait for its result.
AnsiString CHttpProxyConfig::DetectedUrl(unsigned generation) {
  std::lock_guard detecting(DetectLock);
  {
    std::lock_guard guard(Lock);
    if (DetectionDone && generation == Generation)
      return DetectedScriptUrl;
  }
  AnsiString found;
  DetectScriptUrl(found);
  std::lock_guard guard(Lock);
  if (generation == Generation) {
    DetectionDone = true;
    DetectedScriptUrl = found;
  }
  return found;
}

int CHttpProxyConfig::ScriptKind(const AnsiString& scriptUrl, const AnsiString& url,
                                 const AnsiString& hostName, const std::function<bool()>& cancelled,
                                 AnsiString& host, AnsiString& port, AnsiString& problem) {
  AnsiString answer;
  LastResult = EvaluateScript(scriptUrl, url, hostName, answer, cancelled, &problem);
  // Without the script library the script modes give direct connections.
  if (LastResult == NoScriptLibrary)
    return pkDirect;
  if (LastResult != 0)
    return pkUnusable;
  return ParseProxyAnswer(answer.c_str(), host, port);
}

int CHttpProxyConfig::DetectScriptUrl(AnsiString& scriptUrl) {
  scriptUrl.clear();
  if (DetectEntry == nullptr)
    return NoScriptLibrary;
  char buffer[2048] = "";
  if (DetectEntry(buffer, sizeof buffer - 1,
                  PROXY_AUTO_DETECT_TYPE_DHCP | PROXY_AUTO_DETECT_TYPE_DNS_A)) {
    buffer[sizeof buffer - 1] = '\0';
    scriptUrl = buffer;
    return 0;
  }
  int error = static_cast<int>(GetLastError());
  SetLastError(0);
  return error;
}

int CHttpProxyConfig::EvaluateScript(const AnsiString& scriptUrl, const AnsiString& url,
                                     const AnsiString& hostName, AnsiString& answer,
                                     const std::function<bool()>& cancelled, AnsiString* problem) {
  answer.clear();
  if (ProxyInfoEntry == nullptr || InitializeEntry == nullptr)
    return NoScriptLibrary;
  std::string script;
  AnsiString reason;
  int result = ScriptLoadFailure + static_cast<int>(ERROR_FILE_NOT_FOUND);
  if (Keeper->Script(scriptUrl, cancelled, script, reason))
    result = Evaluate(script, url, hostName, answer, reason);
  if (result != 0 && problem != nullptr)
    *problem = "the script " + scriptUrl + ": " + reason;
  return result;
}

// The script goes to the library in memory: no file of it is ever written.
int CHttpProxyConfig::Evaluate(const std::string& script, const AnsiString& url,
                               const AnsiString& hostName, AnsiString& answer,
                               AnsiString& problem) {
  std::lock_guard evaluating(EvaluationLock);
  const TAutoProxyScriptBuffer buffer{sizeof(TAutoProxyScriptBuffer), script.data(),
                                      static_cast<uint32_t>(script.size())};
  if (!InitializeEntry(0, nullptr, nullptr, &ScriptHelpers, &buffer)) {
    const int error = static_cast<int>(GetLastError());
    problem = "it could not be loaded (error " + std::to_string(error) + ")";
    return ScriptLoadFailure + error;
  }
  std::unique_ptr<char[]> text;
  uint32_t length = 0;
  int result = 0;
  if (ProxyInfoEntry(url.c_str(), static_cast<uint32_t>(url.size() + 1), hostName.c_str(),
                     static_cast<uint32_t>(hostName.size() + 1), text, length)) {
    answer.assign(text.get(), length);
  } else {
    result = static_cast<int>(GetLastError());
    problem = "it gave no answer (error " + std::to_string(result) + ")";
  }
  if (DeInitializeEntry != nullptr)
    DeInitializeEntry(nullptr, 0);
  return result;
}

int CHttpProxyConfig::ParseProxyAnswer(const char* answer, AnsiString& host, AnsiString& port) {
  host.clear();
  port.clear();
  AnsiString text = Text(answer);
  int kind = pkDirect;
  if (text.compare(0, 5, "PROXY") == 0)
    kind = pkProxy;
  else if (text.compare(0, 5, "SOCKS") == 0)
    kind = pkSocks;
  if (kind == pkDirect)
    return pkDirect;
  // Only the first entry counts: later entries are fallbacks.
  AnsiString entry = text.substr(0, text.find(';'));
  size_t blank = entry.find(' ');
  if (blank == std::string::npos)
    return pkDirect;
  size_t start = entry.find_first_not_of(" \t", blank);
  size_t colon = start == std::string::npos ? std::string::npos : entry.find(':', start);
  if (colon == std::string::npos)
    return pkDirect;
  size_t portEnd = entry.find_first_of(" \t", colon + 1);
  AnsiString portText = entry.substr(colon + 1, portEnd == std::string::npos ? std::string::npos
                                                                             : portEnd - colon - 1);
  if (colon == start || !IsPortText(portText))
    return pkDirect;
  host = entry.substr(start, colon - start);
  port = portText;
  return kind;
}

uint32_t CHttpProxyConfig::ScriptResolveHost(const char* host, char* buffer, uint32_t* size) {
  CopyOut("", buffer, *size);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  if (host == nullptr || getaddrinfo(host, nullptr, &hints, &found) != 0)
    return 1;
  char address[INET_ADDRSTRLEN] = "";
  inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr, address,
            sizeof address);
  freeaddrinfo(found);
  CopyOut(address, buffer, *size);
  return 0;
}

bool CHttpProxyConfig::ScriptIsResolvable(const char* host) {
  char buffer[255];
  uint32_t size = sizeof buffer - 1;
  return ScriptResolveHost(host, buffer, &size) == 0;
}

uint32_t CHttpProxyConfig::ScriptGetLocalAddress(char* buffer, uint32_t* size) {
  char name[255] = "";
  if (gethostname(name, sizeof name - 1) != 0)
    return ErrorNoHostName;
  return ScriptResolveHost(name, buffer, size);
}

bool CHttpProxyConfig::ScriptIsInNet(const char* address, const char* network, const char* mask) {
  uint32_t a = 0, n = 0, m = 0;
  return ParseIPv4(address, a) && ParseIPv4(network, n) && ParseIPv4(mask, m) && n == (a & m);
}
