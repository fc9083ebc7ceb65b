#pragma once
// The proxy configuration: for each URL about to be fetched, whether a proxy
// is to be used and which. A manual proxy, a proxy auto-configuration script
// at a URL, and discovery of such a script are supported; scripts run in the
// proxy script library (platform/autoproxy). One instance serves the whole
// process: the main thread sets it up, the transactions' workers ask it, and
// scripts are downloaded on a thread of its own, so nothing the main thread
// calls waits on a socket or a script.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/autoproxy/Autoproxy.h"
#include "platform/rtl/Sysutils.h"

// Kinds of proxy GetProxyForUrl answers; pkUnusable: a script mode is on
// but its script could not be used, so no connection may be made.
enum : int { pkUnusable = -1, pkDirect = 0, pkProxy = 1, pkSocks = 2 };

// The entry points of the proxy script library; any of them may be missing,
// and the script modes then give direct connections.
struct TAutoProxyEntries {
  decltype(&InternetInitializeAutoProxyDll) Initialize = &InternetInitializeAutoProxyDll;
  decltype(&InternetDeInitializeAutoProxyDll) DeInitialize = &InternetDeInitializeAutoProxyDll;
  decltype(&DetectAutoProxyUrl) Detect = &DetectAutoProxyUrl;
  decltype(&InternetGetProxyInfo) ProxyInfo = &InternetGetProxyInfo;
};

// How often a kept script is downloaded again, and how soon after a failed
// download; each further failure doubles the delay, up to the interval.
struct TScriptRefresh {
  int IntervalMs = 30 * 60 * 1000;
  int FirstRetryMs = 10 * 1000;
};

class TScriptKeeper;

class CHttpProxyConfig {
public:
  explicit CHttpProxyConfig(const TAutoProxyEntries& entries = TAutoProxyEntries(),
                            const TScriptRefresh& refresh = TScriptRefresh());
  ~CHttpProxyConfig();
  CHttpProxyConfig(const CHttpProxyConfig&) = delete;
  CHttpProxyConfig& operator=(const CHttpProxyConfig&) = delete;

  // True when any of the three modes is on. A script mode without a URL and
  // a manual proxy without a host are switched off; the port defaults to 8080.
  bool SetProxySettings(bool autoDetect, bool useScript, const char* scriptUrl, bool manualProxy,
                        const char* host, const char* port);
  // 0 for a direct connection (host and port empty), else pkProxy or pkSocks
  // with the proxy's host and port text, or pkUnusable with the reason in
  // problem (when given). Any thread may ask, several at once; a script not
  // downloaded yet is waited for until its first download ends or cancelled
  // (when given) says to give up.
  int GetProxyForUrl(const AnsiString& url, AnsiString& host, AnsiString& port,
                     const std::function<bool()>& cancelled = nullptr,
                     AnsiString* problem = nullptr);

  // The script URL discovery found; 0, -3 without discovery, or the error.
  int DetectScriptUrl(AnsiString& scriptUrl);
  // Runs the kept script of scriptUrl for url: 0 with the script's answer,
  // -3 without the script library, the error code otherwise (plus 1000000
  // when no whole script was downloaded or it could not be loaded), with
  // the reason in problem (when given).
  int EvaluateScript(const AnsiString& scriptUrl, const AnsiString& url, const AnsiString& hostName,
                     AnsiString& answer, const std::function<bool()>& cancelled = nullptr,
                     AnsiString* problem = nullptr);
  // The first entry of a script answer: pkDirect, pkProxy or pkSocks.
  static int ParseProxyAnswer(const char* answer, AnsiString& host, AnsiString& port);

  int GetLastResult() const { return LastResult; }

  // The host services handed to the script library.
  static bool ScriptIsResolvable(const char* host);
  static uint32_t ScriptGetLocalAddress(char* buffer, uint32_t* size);
  static uint32_t ScriptResolveHost(const char* host, char* buffer, uint32_t* size);
  static bool ScriptIsInNet(const char* address, const char* network, const char* mask);

  static constexpr int ScriptDownloadTimeOutMs = 45000;

private:
  struct TSettings {
    bool AutoDetect, UseScript, ManualProxy;
    AnsiString ScriptUrl, Host, Port;
    unsigned Generation;
  };
  TSettings CurrentSettings();
  AnsiString DetectedUrl(unsigned generation);
  int Evaluate(const std::string& script, const AnsiString& url, const AnsiString& hostName,
               AnsiString& answer, AnsiString& problem);
  int ScriptKind(const AnsiString& scriptUrl, const AnsiString& url, const AnsiString& hostName,
                 const std::function<bool()>& cancelled, AnsiString& host, AnsiString& port,
                 AnsiString& problem);

  decltype(&InternetInitializeAutoProxyDll) InitializeEntry;
  decltype(&InternetDeInitializeAutoProxyDll) DeInitializeEntry;
  decltype(&DetectAutoProxyUrl) DetectEntry;
  decltype(&InternetGetProxyInfo) ProxyInfoEntry;

  // Guards the settings and the discovery result; never held
  // while waiting on anything.
  std::mutex Lock;
  // Discovery runs once per settings, by the first worker that needs it.
  std::mutex DetectLock;
  // The script library holds one loaded script at a time.
  std::mutex EvaluationLock;
  std::unique_ptr<TScriptKeeper> Keeper;
  unsigned Generation = 0;
  bool AutoDetect = false;
  bool UseScript = false;
  AnsiString ScriptUrl;
  bool ManualProxy = false;
  AnsiString Host;
  AnsiString Port;
  bool DetectionDone = false;
  AnsiString DetectedScriptUrl;
  bool SettingsChanged = false;
  std::atomic<int32_t> LastResult = 0;
};
