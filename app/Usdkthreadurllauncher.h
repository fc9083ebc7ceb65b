#pragma once
// Opens a link in the user's web browser without holding up the windows: each
// request is a short-lived thread that starts the browser, keeps whether that
// worked, may report it to the main thread, and frees itself. Nothing keeps a
// pointer to a launcher once it is made.
#include "platform/rtl/Classes.h"
#include "platform/shell/Shellapi.h"
#include "platform/ui/Controls.h"

#include <cstddef>
#include <cstdint>

// The ways of starting the browser; any other value starts the browser's
// command line without waiting.
enum : uint16_t {
  ulmBrowserByShell = 1, // the default browser, started by the shell with the link
  ulmShellOpen = 2,      // the shell's "open" on the link itself
  ulmBrowserProcess = 3, // the default browser as a process, waited for until it ends
};

class USdkUrlLauncher : public TThread {
public:
  USdkUrlLauncher(HWND window, const char* url, uint16_t method);
  // onSuccess or onFailure runs on the main thread once the outcome is known.
  USdkUrlLauncher(HWND window, const char* url, uint16_t method, TThreadMethod onSuccess,
                  TThreadMethod onFailure);
  ~USdkUrlLauncher() override;

protected:
  void Execute() override;

private:
  bool Launch();
  bool ByBrowserShell();
  bool ByShellOpen();
  bool ByBrowserProcess();
  bool ByBrowserCommandLine();
  AnsiString BrowserCommandLine() const;

  char* url;
  HWND window;
  bool succeeded = false;
  uint16_t method;
  TThreadMethod successEvent;
  TThreadMethod failureEvent;
  int32_t lastResult = 0;
  PROCESS_INFORMATION processInformation{};
};

// The desktop's default web browser: its program and its parameters, with
// "%1" where the link goes when the browser says where. Each is cut to fit its
// buffer (size - 1 characters, always terminated). False, with both empty,
// when no browser is registered.
bool FindDefaultBrowser(char* program, std::size_t programSize, char* parameters,
                        std::size_t parametersSize);

// parameters with the first "%1" replaced by url; without one, parameters, a
// blank and url in double quotes.
AnsiString InsertUrlInParameters(const AnsiString& parameters, const AnsiString& url);
