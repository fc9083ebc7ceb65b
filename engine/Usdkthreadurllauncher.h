#pragma once
// The proxy configuration: for each URL about to be fetched, whether a proxy
// is to be used and which. A manual proxy, a proxy auto-configuration script
// at a URL, and discovery of such a script are supported; scripts run in the
// proxy script library (platform/autoproxy). One instance serves the whole
// process, on the main thread.
#include <cstdint>

#include "platform/autoproxy/Autoproxy.h"
#include "platform/rtl/Sysutils.h"

// Kinds of proxy GetProxyForUrl answers.
enum : int { pkDirect = 0, pkProxy = 1, pkSocks = 2 };

// The entry points of the proxy script library; any of them may be missing,
// and the script modes then give direct connections.
struct TAutoProxyEntries {
  decltype(&InternetInitializeAutoProxyDll) Initialize = &InternetInitializeAutoProxyDll;
  decltype(&InternetDeInitializeAutoProxyDll) DeInitialize = &InternetDeInitializeAutoProxyDll;
  decltype(&DetectAutoProxyUrl) Detect = &DetectAutoProxyUrl;
  decltype(&InternetGetProxyInfo) ProxyInfo = &InternetGetProxyInfo;
};

class CHttpProxyConfig {
public:
  explicit CHttpProxyConfig(const TAutoProxyEntries& entries = TAutoProxyEntries());
  ~CHttpProxyConfig();
  CHttpProxyConfig(const CHttpProxyConfig&) = delete;
  CHttpProxyConfig& operator=(const CHttpProxyConfig&) = delete;

  // True when any of the three modes is on. A script mode without a URL and
  // a manual proxy without a host are switched off; the port defaults to 8080.
  bool SetProxySettings(bool autoDetect, bool useScript, const char* scriptUrl, bool manualProxy,
                        const char* host, const char* port);
  // 0 for a direct connection (host and port empty), else pkProxy or pkSocks
  // with the proxy's host and port text. tempPath, when not empty, is the file
  // that scripts are downloaded to.
  int GetProxyForUrl(const AnsiString& url, AnsiString& host, AnsiString& port,
                     const AnsiString& tempPath = "");
  // Deletes the downloaded script when this object chose its file name.
  void DeleteTempScript();

  // The script URL discovery found; 0, -3 without discovery, or the error.
  int DetectScriptUrl(AnsiString& scriptUrl);
  // Runs the script at scriptUrl for url: 0 with the script's answer, -3
  // without the script library, the error code otherwise (plus 1000000 when
  // the script could not be loaded).
  int EvaluateScript(const AnsiString& scriptUrl, const AnsiString& url, const AnsiString& hostName,
                     const AnsiString& tempPath, AnsiString& answer);
  // The first entry of a script answer: pkDirect, pkProxy or pkSocks.
  static int ParseProxyAnswer(const char* answer, AnsiString& host, AnsiString& port);

  int GetLastResult() const { return LastResult; }
  const AnsiString& GetTempScriptFile() const { return TempScriptFile; }

  // The host services handed to the script library.
  static bool ScriptIsResolvable(const char* host);
  static uint32_t ScriptGetLocalAddress(char* buffer, uint32_t* size);
  static uint32_t ScriptResolveHost(const char* host, char* buffer, uint32_t* size);
  static bool ScriptIsInNet(const char* address, const char* network, const char* mask);

  static const int ScriptDownloadTimeOutMs = 45000;

private:
  bool ChooseTempScriptFile(const AnsiString& tempPath);
  bool DownloadScript(const AnsiString& scriptUrl);
  int ScriptKind(const AnsiString& scriptUrl, const AnsiString& url, const AnsiString& hostName,
                 const AnsiString& tempPath, AnsiString& host, AnsiString& port);

  decltype(&InternetInitializeAutoProxyDll) InitializeEntry;
  decltype(&InternetDeInitializeAutoProxyDll) DeInitializeEntry;
  decltype(&DetectAutoProxyUrl) DetectEntry;
  decltype(&InternetGetProxyInfo) ProxyInfoEntry;

  bool AutoDetect = false;
  bool UseScript = false;
  AnsiString ScriptUrl;
  bool ManualProxy = false;
  AnsiString Host;
  AnsiString Port;
  bool DetectionDone = false;
  AnsiString DetectedScriptUrl;
  bool SettingsChanged = false;
  AnsiString TempScriptFile;
  bool TempFileMadeHere = false;
  // The script URL whose script the file holds, "" when none was downloaded.
  AnsiString TempScriptSource;
  int32_t LastResult = 0;
};
