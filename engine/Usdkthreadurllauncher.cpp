#include "engine/Usdkthreadurllauncher.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <unistd.h>

#include "engine/Chttpthread.h"
#include "platform/rtl/Fileutils.h"

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

bool ParseIPv4(const char* text, uint32_t& address) {
  in_addr parsed;
  if (text == nullptr || inet_pton(AF_INET, text, &parsed) != 1)
    return false;
  address = parsed.s_addr;
  return true;
}

} // namespace

CHttpProxyConfig::CHttpProxyConfig(const TAutoProxyEntries& entries)
    : InitializeEntry(entries.Initialize), DeInitializeEntry(entries.DeInitialize),
      DetectEntry(entries.Detect), ProxyInfoEntry(entries.ProxyInfo) {}

CHttpProxyConfig::~CHttpProxyConfig() {
  DeleteTempScript();
}

bool CHttpProxyConfig::SetProxySettings(bool autoDetect, bool useScript, const char* scriptUrl,
                                        bool manualProxy, const char* host, const char* port) {
  DeleteTempScript();
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
  return AutoDetect || UseScript || ManualProxy;
}

void CHttpProxyConfig::DeleteTempScript() {
  if (TempFileMadeHere && !TempScriptFile.empty())
    DeleteFile(TempScriptFile);
  TempScriptFile.clear();
  TempFileMadeHere = false;
  TempScriptSource.clear();
}

int CHttpProxyConfig::GetProxyForUrl(const AnsiString& url, AnsiString& host, AnsiString& port,
                                     const AnsiString& tempPath) {
  AnsiString hostName = UrlHostName(url);
  LastResult = 0;
  host.clear();
  port.clear();
  int kind = pkDirect;
  if (ManualProxy) {
    host = Host;
    port = Port;
    kind = pkProxy;
  }
  if (kind == pkDirect && AutoDetect) {
    if (!DetectionDone) {
      DetectionDone = true;
      DetectScriptUrl(DetectedScriptUrl);
    }
    if (!DetectedScriptUrl.empty())
      kind = ScriptKind(DetectedScriptUrl, url, hostName, tempPath, host, port);
  }
  if (kind == pkDirect && UseScript)
    kind = ScriptKind(ScriptUrl, url, hostName, tempPath, host, port);
  SettingsChanged = false;
  return kind;
}

int CHttpProxyConfig::ScriptKind(const AnsiString& scriptUrl, const AnsiString& url,
                                 const AnsiString& hostName, const AnsiString& tempPath,
                                 AnsiString& host, AnsiString& port) {
  AnsiString answer;
  LastResult = EvaluateScript(scriptUrl, url, hostName, tempPath, answer);
  if (LastResult != 0)
    return pkDirect;
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

bool CHttpProxyConfig::ChooseTempScriptFile(const AnsiString& tempPath) {
  if (!tempPath.empty()) {
    if (tempPath != TempScriptFile)
      DeleteTempScript();
    TempScriptFile = tempPath;
    TempFileMadeHere = false;
    return true;
  }
  if (!TempScriptFile.empty())
    return true;
  const char* base = std::getenv("TMPDIR");
  AnsiString pattern = IncludeTrailingPathDelimiter(base && *base ? base : "/tmp") + "wtpxyXXXXXX";
  int fd = mkstemp(pattern.data());
  if (fd < 0)
    return false;
  close(fd);
  TempScriptFile = pattern;
  TempFileMadeHere = true;
  TempScriptSource.clear();
  return true;
}

// The script is fetched to a name of its own and renamed over the file only
// when whole, so a failed download never leaves half a script to evaluate.
bool CHttpProxyConfig::DownloadScript(const AnsiString& scriptUrl) {
  if (!SettingsChanged && TempScriptSource == scriptUrl && FileExists(TempScriptFile))
    return true;
  AnsiString partial = TempScriptFile + ".part";
  DeleteFile(partial);
  if (!DownloadUrlToFile(scriptUrl.c_str(), partial.c_str(), ScriptDownloadTimeOutMs, false) ||
      !RenameFile(partial, TempScriptFile)) {
    DeleteFile(partial);
    return TempScriptSource == scriptUrl && FileExists(TempScriptFile);
  }
  TempScriptSource = scriptUrl;
  return true;
}

int CHttpProxyConfig::EvaluateScript(const AnsiString& scriptUrl, const AnsiString& url,
                                     const AnsiString& hostName, const AnsiString& tempPath,
                                     AnsiString& answer) {
  answer.clear();
  if (ProxyInfoEntry == nullptr || InitializeEntry == nullptr)
    return NoScriptLibrary;
  if (!ChooseTempScriptFile(tempPath))
    return ScriptLoadFailure + static_cast<int>(ERROR_FILE_NOT_FOUND);
  // Another script left in the file must not answer for this one.
  if (!DownloadScript(scriptUrl))
    return ScriptLoadFailure + static_cast<int>(ERROR_FILE_NOT_FOUND);
  if (!InitializeEntry(0, TempScriptFile.c_str(), nullptr, &ScriptHelpers, nullptr))
    return ScriptLoadFailure + static_cast<int>(GetLastError());
  std::unique_ptr<char[]> text;
  uint32_t length = 0;
  int result = 0;
  if (ProxyInfoEntry(url.c_str(), static_cast<uint32_t>(url.size() + 1), hostName.c_str(),
                     static_cast<uint32_t>(hostName.size() + 1), text, length))
    answer.assign(text.get(), length);
  else
    result = static_cast<int>(GetLastError());
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
  host = entry.substr(start, colon - start);
  port = entry.substr(colon + 1,
                      portEnd == std::string::npos ? std::string::npos : portEnd - colon - 1);
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
