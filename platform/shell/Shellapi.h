#pragma once
// Starting programs and opening links in the user's web browser. Programs are
// started with an argument vector, never through a shell, and inherit no open
// file other than the standard three.
#include "platform/rtl/Handles.h"

#include <vector>

constexpr int SW_SHOWNORMAL = 1;

// Results of ShellExecuteA at or below 32 are errors.
constexpr int SE_ERR_FNF = 2;
constexpr int SE_ERR_ACCESSDENIED = 5;
constexpr int SE_ERR_NOASSOC = 31;

// Only web and file links are handed to a browser: the scheme http, https or
// file (any letter case) and no control character or double quote, which
// could split the link into arguments of their own.
bool IsLaunchableUrl(const AnsiString& url);

// Splits a command line as the platform's programs split theirs: blanks
// separate, double quotes group (a doubled quote inside them is one), and
// backslashes are literal unless they precede a quote (2n backslashes and a
// quote give n and a grouping quote, 2n + 1 give n and a literal quote).
std::vector<AnsiString> CommandLineToArgv(const AnsiString& commandLine);

// The "open" verb (or no verb) on a link or document: the first of xdg-open,
// each command of $BROWSER (colon-separated, "%s" stands for the link, else
// it is appended) and sensible-browser that starts and does not fail at once.
// On a program (a path, or a bare name the search path finds): starts it with
// the parameters. Refused links (and targets
// that begin with a dash, which an opener would take for an option) answer
// SE_ERR_ACCESSDENIED and start nothing. Success answers a value above 32.
int ShellExecuteA(void* window, const char* verb, const char* file, const char* parameters,
                  const char* directory, int showCmd);

// Starts the command line without waiting: 33 on success, ERROR_FILE_NOT_FOUND
// when the program cannot be started, 0 for an empty line.
unsigned WinExec(const char* commandLine, unsigned showCmd);

struct STARTUPINFOA {
  DWORD cb;
  DWORD dwFlags;
  unsigned short wShowWindow;
};

struct PROCESS_INFORMATION {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD dwProcessId;
  DWORD dwThreadId;
};

// Starts applicationName (or the command line's first argument when it is
// null) with the command line's arguments. The process handle is signalled
// when the process has ended; both handles are closed with CloseHandle. On
// failure answers 0 with GetLastError set.
BOOL CreateProcessA(const char* applicationName, char* commandLine, void* processAttributes,
                    void* threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    void* environment, const char* currentDirectory, STARTUPINFOA* startupInfo,
                    PROCESS_INFORMATION* processInformation);

constexpr DWORD STILL_ACTIVE = 259;
// The exit code of an ended process, STILL_ACTIVE while it runs.
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode);

// The desktop's default web browser (xdg-settings, else the handlers that
// xdg-mime names for the http scheme and for text/html), from its desktop
// entry: the program and its parameters, with "%1" where the link goes when
// the entry says where. False with both empty when none is found.
bool FindDesktopBrowser(AnsiString& program, AnsiString& parameters);
