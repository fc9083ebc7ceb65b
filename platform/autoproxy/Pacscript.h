#pragma once
// Evaluates a proxy auto-configuration script in this process. No bound on
// its run time: the library runs it in a child process of its own.
#include <string>

struct TAutoProxyHelpers;

// True with the answer when the script runs and FindProxyForURL returns a
// string; false with the reason in error otherwise.
bool RunProxyScript(const std::string& script, const std::string& url, const std::string& host,
                    const TAutoProxyHelpers& helpers, std::string& answer, std::string& error);
