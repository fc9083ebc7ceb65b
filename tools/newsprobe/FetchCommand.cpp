// newsprobe fetch URL [--proxy HOST:PORT] [--timeout MS]: one transaction
// through the pool and the main-thread hand-over, as a news source runs it.
#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1
#include <cryptopp/hex.h>
#include <cryptopp/md5.h>

#include <cstdio>
#include <cstdlib>

#include "engine/Chttpthread.h"
#include "engine/Usdkthreadurllauncher.h"
#include "platform/rtl/Kernel.h"
#include "tools/newsprobe/Json.h"
#include "tools/newsprobe/Probe.h"

namespace {

std::string Md5Hex(const char* bytes, unsigned length) {
  CryptoPP::Weak::MD5 md5;
  std::string digest(md5.DigestSize(), '\0');
  md5.CalculateDigest(reinterpret_cast<CryptoPP::byte*>(digest.data()),
                      reinterpret_cast<const CryptoPP::byte*>(bytes ? bytes : ""), length);
  std::string hex;
  CryptoPP::StringSource(digest, true,
                         new CryptoPP::HexEncoder(new CryptoPP::StringSink(hex), false));
  return hex;
}

// Records the outcome, and the transaction's error record while the
// transaction is still alive (during the call).
class TFetchListener : public CHttpCallback {
public:
  explicit TFetchListener(CHTTPTransaction* transaction) : transaction_(transaction) {}
  void OnHttpEvent(int status, const char* body, unsigned bodyLength, const char* header,
                   unsigned headerLength) override {
    Line.Add("status", status)
        .Add("error_class", status == 0 ? 0 : transaction_->ErrorClass())
        .Add("error_code", status == 0 ? 0 : transaction_->ErrorCode())
        .Add("error_message", status == 0 ? "" : transaction_->ErrorMessage())
        .Add("header_length", headerLength)
        .Add("body_length", bodyLength)
        .Add("body_md5", Md5Hex(body, bodyLength));
    (void)header;
    Done = true;
  }
  TJsonLine Line;
  bool Done = false;

private:
  CHTTPTransaction* transaction_;
};

int Fetch(const TProbeArgs& given) {
  TProbeArgs args = given;
  const std::string proxy = TakeOption(args, "--proxy");
  const std::string pac = TakeOption(args, "--pac");
  const int timeout = std::atoi(TakeOption(args, "--timeout", "60000").c_str());
  if (args.size() != 1 || timeout <= 0)
    return ProbeUsage("fetch");
  std::string proxyHost = proxy, proxyPort;
  if (const size_t colon = proxy.rfind(':'); colon != std::string::npos) {
    proxyHost = proxy.substr(0, colon);
    proxyPort = proxy.substr(colon + 1);
  }
  if (!pac.empty()) {
    // The proxy configuration with that script decides, as for a news source.
    CHttpProxyConfig config;
    config.SetProxySettings(false, true, pac.c_str(), false, "", "");
    AnsiString problem;
    const int kind = config.GetProxyForUrl(args[0], proxyHost, proxyPort, nullptr, &problem);
    if (kind == pkUnusable) {
      std::fprintf(stderr, "newsprobe fetch: proxy script unusable: %s\n", problem.c_str());
      return 1;
    }
    if (kind == pkDirect)
      proxyHost.clear();
  }

  CHTTPTransaction* transaction = AcquireTransaction();
  if (!transaction) {
    std::fprintf(stderr, "newsprobe fetch: no free transaction\n");
    return 1;
  }
  TFetchListener listener(transaction);
  const DWORD start = GetTickCount();
  transaction->SetUrl(args[0].c_str());
  transaction->SetProxy(proxyHost.c_str(), proxyPort.empty() ? nullptr : proxyPort.c_str());
  transaction->SetCallback(&listener);
  transaction->SetTimeOut(timeout);
  transaction->Start();
  while (!listener.Done)
    CheckSynchronize(50);
  const DWORD elapsed = GetTickCount() - start;
  StopAllTransactions();
  if (!pac.empty())
    listener.Line.Add("proxy", proxyHost.empty() ? "" : proxyHost + ":" + proxyPort);
  listener.Line.Add("elapsed_ms", static_cast<int64_t>(elapsed)).Print();
  return 0;
}

} // namespace

NEWSPROBE_COMMAND(Fetch, "fetch", "fetch URL [--proxy HOST:PORT | --pac URL] [--timeout MS]",
                  Fetch);
