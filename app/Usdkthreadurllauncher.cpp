#include "app/Usdkthreadurllauncher.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kProgramSize = 257;
constexpr std::size_t kParametersSize = 769;
constexpr std::size_t kCommandLineLimit = 1024;

char* CopyOf(const char* text) {
  const std::size_t length = text != nullptr ? std::strlen(text) : 0;
  char* copy = new char[length + 1];
  std::memcpy(copy, text != nullptr ? text : "", length);
  copy[length] = '\0';
  return copy;
}

void CopyOut(const AnsiString& text, char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0)
    return;
  const std::size_t n = std::min(text.size(), size - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
}

// A blank would split the link into two arguments of a command line, the
// second of which the browser could take for an option; a backslash could
// escape the quote that closes it. Neither belongs in a link, so both are
// written as a browser would send them.
AnsiString CommandLineUrl(const char* url) {
  AnsiString out;
  for (const char* p = url; *p != '\0'; ++p) {
    if (*p == ' ')
      out += "%20";
    else if (*p == '\\')
      out += "%5C";
    else
      out += *p;
  }
  return out;
}

// The command line starts the program by its first argument, so a path with
// blanks is quoted.
AnsiString ProgramArgument(const char* program) {
  const AnsiString text = program;
  return text.find(' ') == AnsiString::npos ? text : "\"" + text + "\"";
}

} // namespace

USdkUrlLauncher::USdkUrlLauncher(HWND window, const char* url, uint16_t method)
    : USdkUrlLauncher(window, url, method, nullptr, nullptr) {}

USdkUrlLauncher::USdkUrlLauncher(HWND window, const char* url, uint16_t method,
                                 TThreadMethod onSuccess, TThreadMethod onFailure)
    : url(CopyOf(url)), window(window), method(method), successEvent(std::move(onSuccess)),
      failureEvent(std::move(onFailure)) {
  FreeOnTerminate = true;
  Resume();
}

USdkUrlLauncher::~USdkUrlLauncher() {
  delete[] url;
}

void USdkUrlLauncher::Execute() {
  succeeded = Launch();
  const TThreadMethod& event = succeeded ? successEvent : failureEvent;
  if (event)
    Synchronize(event);
}

bool USdkUrlLauncher::Launch() {
  // Only web and file links reach a browser; anything else starts nothing.
  if (!IsLaunchableUrl(url))
    return false;
  switch (method) {
  case ulmBrowserByShell:
    return ByBrowserShell();
  case ulmShellOpen:
    return ByShellOpen();
  case ulmBrowserProcess:
    return ByBrowserProcess();
  default:
    return ByBrowserCommandLine();
  }
}

bool USdkUrlLauncher::ByBrowserShell() {
  char program[kProgramSize];
  char parameters[kParametersSize];
  if (!FindDefaultBrowser(program, sizeof program, parameters, sizeof parameters))
    return false;
  const AnsiString line = InsertUrlInParameters(parameters, CommandLineUrl(url));
  lastResult = ShellExecuteA(window, nullptr, program, line.c_str(), nullptr, SW_SHOWNORMAL);
  return lastResult > 32;
}

bool USdkUrlLauncher::ByShellOpen() {
  lastResult = ShellExecuteA(window, "open", url, nullptr, nullptr, SW_SHOWNORMAL);
  return lastResult > 32;
}

AnsiString USdkUrlLauncher::BrowserCommandLine() const {
  char program[kProgramSize];
  char parameters[kParametersSize];
  // Nothing registered leaves both empty; the start then fails by itself.
  FindDefaultBrowser(program, sizeof program, parameters, sizeof parameters);
  const AnsiString line =
      ProgramArgument(program) + " " + InsertUrlInParameters(parameters, CommandLineUrl(url));
  return line.substr(0, kCommandLineLimit);
}

bool USdkUrlLauncher::ByBrowserProcess() {
  AnsiString line = BrowserCommandLine();
  STARTUPINFOA startup{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, 0, 0, nullptr, nullptr, &startup,
                      &processInformation))
    return false;
  WaitForSingleObject(processInformation.hProcess, INFINITE);
  CloseHandle(processInformation.hProcess);
  CloseHandle(processInformation.hThread);
  return true;
}

bool USdkUrlLauncher::ByBrowserCommandLine() {
  const AnsiString line = BrowserCommandLine();
  lastResult = 0;
  return WinExec(line.c_str(), SW_SHOWNORMAL) > 32;
}

bool FindDefaultBrowser(char* program, std::size_t programSize, char* parameters,
                        std::size_t parametersSize) {
  AnsiString foundProgram, foundParameters;
  const bool found = FindDesktopBrowser(foundProgram, foundParameters);
  CopyOut(foundProgram, program, programSize);
  CopyOut(foundParameters, parameters, parametersSize);
  return found;
}

AnsiString InsertUrlInParameters(const AnsiString& parameters, const AnsiString& url) {
  AnsiString result = parameters;
  const std::size_t at = result.find("%1");
  if (at == AnsiString::npos)
    return result + " \"" + url + "\"";
  return result.replace(at, 2, url);
}
