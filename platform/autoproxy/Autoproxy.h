#pragma once
// Our proxy auto-configuration library: runs a downloaded script's
// FindProxyForURL and discovers a script on the local network. Failures set
// the thread's last error.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Handles.h"

// The caller's host services a script calls, in this order. Buffers are
// filled with at most *size - 1 characters and a NUL.
struct TAutoProxyHelpers {
  bool (*IsResolvable)(const char* host);
  // 0 on success.
  uint32_t (*GetIPAddress)(char* buffer, uint32_t* size);
  // 0 on success.
  uint32_t (*ResolveHostName)(const char* host, char* buffer, uint32_t* size);
  bool (*IsInNet)(const char* address, const char* network, const char* mask);
};

// Error codes of the library beside those of Handles.h.
constexpr DWORD ERROR_INSUFFICIENT_BUFFER = 122;
constexpr DWORD ERROR_INTERNET_BAD_AUTO_PROXY_SCRIPT = 12166;
constexpr DWORD ERROR_INTERNET_AUTODETECTION_FAILED = 12180;

// Discovery methods of DetectAutoProxyUrl.
constexpr DWORD PROXY_AUTO_DETECT_TYPE_DHCP = 1;
constexpr DWORD PROXY_AUTO_DETECT_TYPE_DNS_A = 2;

// How long one evaluation of a script may run before it counts as failed;
// the evaluating process also ends by itself after this much processor time.
const int AutoProxyScriptTimeLimitMs = 3000;

// A script handed over in memory.
struct TAutoProxyScriptBuffer {
  uint32_t StructSize;
  const char* ScriptBuffer;
  uint32_t ScriptBufferSize;
};

// Loads the script that later InternetGetProxyInfo calls evaluate: the one in
// scriptBuffer when given, else the file downloadedTempFile.
bool InternetInitializeAutoProxyDll(uint32_t version, const char* downloadedTempFile,
                                    const char* mimeType, const TAutoProxyHelpers* helpers,
                                    const TAutoProxyScriptBuffer* scriptBuffer);
bool InternetDeInitializeAutoProxyDll(const char* mimeType, uint32_t reserved);
// Runs FindProxyForURL(url, host) of the loaded script. The answer is the
// script's text ("DIRECT", "PROXY host:port; ...") with its length.
bool InternetGetProxyInfo(const char* url, uint32_t urlLength, const char* hostName,
                          uint32_t hostNameLength, std::unique_ptr<char[]>& answer,
                          uint32_t& answerLength);
// Finds the script URL of the local network; only discovery by DNS exists
// here, so apdDhcp alone always fails.
bool DetectAutoProxyUrl(char* buffer, uint32_t size, uint32_t detectFlags);

// The host names that discovery by DNS tries for a domain, nearest first.
std::vector<std::string> WpadCandidates(const std::string& domain);
