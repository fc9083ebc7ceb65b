// The proxy script's answer ("PROXY host:port; DIRECT").
#include "engine/Usdkthreadurllauncher.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string answer(reinterpret_cast<const char*>(data), size);
  AnsiString host, port;
  CHttpProxyConfig::ParseProxyAnswer(answer.c_str(), host, port);
  return 0;
}
