#include "engine/Chttpthread.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include <sys/eventfd.h>
#include <unistd.h>

#include <crypto++/gzip.h>
#include <crypto++/queue.h>
#include <crypto++/zlib.h>
#include <zlib.h>

#include "platform/rtl/Kernel.h"
#include "platform/rtl/Syncobjs.h"

using namespace Winsock;

namespace {

struct THttpStatus {
  int Class;
  int Code;
  const char* Text;
};

const THttpStatus HttpStatusTable[] = {
    {hcHttpStatus, 100, "Continue"},
    {hcHttpStatus, 101, "Switching Protocols"},
    {0, 200, "OK"},
    {hcHttpStatus, 201, "Created"},
    {hcHttpStatus, 202, "Accepted"},
    {hcHttpStatus, 203, "Non-Authoritative Information"},
    {hcHttpStatus, 204, "No Content"},
    {hcHttpStatus, 205, "Reset Content"},
    {hcHttpStatus, 206, "Partial Content"},
    {hcHttpStatus, 300, "Multiple Choices"},
    {0, 301, "Moved Permanently"},
    {0, 302, "Moved Temporarily"},
    {hcHttpStatus, 303, "See Other"},
    {hcHttpStatus, 304, "Not Modified"},
    {hcHttpStatus, 305, "Use Proxy"},
    {hcHttpError, 400, "Bad Request"},
    {hcHttpError, 401, "Unauthorized"},
    {hcHttpError, 402, "Payment Required"},
    {hcHttpError, 403, "Forbidden"},
    {hcHttpError, 404, "Not Found"},
    {hcHttpError, 405, "Method Not Allowed"},
    {hcHttpError, 406, "Not Acceptable"},
    {hcHttpError, 407, "Proxy Authentication Required"},
    {hcHttpError, 408, "Request Time-out"},
    {hcHttpError, 409, "Conflict"},
    {hcHttpError, 410, "Gone"},
    {hcHttpError, 411, "Length Required"},
    {hcHttpError, 412, "Precondition Failed"},
    {hcHttpError, 413, "Request Entity Too Large"},
    {hcHttpError, 414, "Request-URI Too Large"},
    {hcHttpError, 415, "Unsupported Media Type"},
    {hcHttpError, 500, "Internal Server Error"},
    {hcHttpError, 501, "Not Implemented"},
    {hcHttpError, 502, "Bad Gateway"},
    {hcHttpError, 503, "Service Unavailable"},
    {hcHttpError, 504, "Gateway Time-out"},
    {hcHttpError, 505, "HTTP Version not supported"},
    {hcHttpError, 0, "Extension Code"},
};

struct TWsaErrorName {
  int Code;
  const char* Name;
};

const TWsaErrorName WsaErrorNames[] = {
    {10093, "WSANOTINITIALISED"}, {10050, "WSAENETDOWN"},     {10014, "WSAEFAULT"},
    {10057, "WSAENOTCONN"},       {10004, "WSAEINTR"},        {10036, "WSAEINPROGRESS"},
    {10052, "WSAENETRESET"},      {10038, "WSAENOTSOCK"},     {10045, "WSAEOPNOTSUPP"},
    {10058, "WSAESHUTDOWN"},      {10035, "WSAEWOULDBLOCK"},  {10040, "WSAEMSGSIZE"},
    {10022, "WSAEINVAL"},         {10053, "WSAECONNABORTED"}, {10060, "WSAETIMEDOUT"},
    {10054, "WSAECONNRESET"},
};

// The system error of a failed allocation, as the platform numbers it.
constexpr int NotEnoughMemory = 8;
constexpr int ReceivePieceLength = 1023;

TCriticalSection PoolLock;
CHTTPTransaction* Pool[TransactionPoolSize] = {};
int TransactionCount = 0;

const THttpStatus* FindHttpStatus(int code) {
  for (const THttpStatus& row : HttpStatusTable)
    if (row.Code == code)
      return &row;
  return nullptr;
}

// Copies text into a field of capacity + 1 bytes; false (field left empty)
// when it does not fit.
bool CopyField(char* field, size_t capacity, const char* text) {
  field[0] = '\0';
  if (std::strlen(text) > capacity)
    return false;
  std::strcpy(field, text);
  return true;
}

// The first occurrence of needle in the length bytes at data, or null.
const char* FindBytes(const char* data, size_t length, const char* needle) {
  const size_t n = std::strlen(needle);
  for (size_t i = 0; i + n <= length; ++i)
    if (std::memcmp(data + i, needle, n) == 0)
      return data + i;
  return nullptr;
}

// The length of the scheme that begins the text ("http" of "http://h/"), or 0
// when the text begins with none: a letter, then letters, digits, '+', '-'
// or '.', then ':'.
size_t SchemeLength(const AnsiString& text) {
  if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0])))
    return 0;
  size_t length = 1;
  while (length < text.size() && (std::isalnum(static_cast<unsigned char>(text[length])) ||
                                  std::strchr("+-.", text[length])))
    ++length;
  return length < text.size() && text[length] == ':' ? length : 0;
}

std::unique_ptr<char[]> TerminatedCopy(const char* bytes, unsigned length) {
  auto copy = std::make_unique<char[]>(length + 1);
  if (length)
    std::memcpy(copy.get(), bytes, length);
  copy[length] = '\0';
  return copy;
}

} // namespace

const char* WsaErrorName(int code, const char* fallback) {
  for (const TWsaErrorName& entry : WsaErrorNames)
    if (entry.Code == code)
      return entry.Name;
  return fallback;
}

bool IsValidUrl(const char* url) {
  if (!url || strncasecmp(url, "HTTP://", 7) != 0)
    return false;
  return !std::strstr(url, "javascript:") && !std::strstr(url, "JAVASCRIPT:") &&
         !std::strchr(url, '"') && !std::strchr(url, '\'');
}

CHTTPTransaction* AcquireTransaction() {
  std::lock_guard lock(PoolLock);
  for (int slot = 0; slot < TransactionPoolSize; ++slot) {
    if (Pool[slot])
      continue;
    auto* transaction = new CHTTPTransaction();
    transaction->FreeOnTerminate = true;
    transaction->poolSlot = slot;
    Pool[slot] = transaction;
    return transaction;
  }
  return nullptr;
}

void StopAllTransactions() {
  {
    std::lock_guard lock(PoolLock);
    for (CHTTPTransaction* transaction : Pool)
      if (transaction)
        transaction->Terminate();
  }
  for (;;) {
    {
      std::lock_guard lock(PoolLock);
      bool empty = true;
      for (CHTTPTransaction* transaction : Pool)
        empty = empty && !transaction;
      if (empty)
        return;
    }
    // Workers still waiting in a main-thread call must be served to end.
    if (!CheckSynchronize(10))
      Sleep(IsMainThread() ? 0 : 10);
  }
}

void DetachCallback(const CHttpCallback* callback) {
  // Under the lock a transaction in its slot is alive: it clears the slot
  // before it is gone. Its hand-over runs on this thread and checks the flag.
  if (!callback)
    return;
  std::lock_guard lock(PoolLock);
  for (CHTTPTransaction* transaction : Pool)
    if (transaction && transaction->listener == callback)
      transaction->Terminate();
}

bool DownloadUrl(const char* url, int timeOutMs, std::string& text, AnsiString& problem,
                 const std::function<void(CHTTPTransaction*)>& running) {
  text.clear();
  problem.clear();
  CHTTPTransaction transaction;
  transaction.SetTimeOut(timeOutMs);
  transaction.SetUrl(url);
  if (running)
    running(&transaction);
  transaction.RunTransaction(url);
  if (running)
    running(nullptr);
  if (transaction.Status() != 0) {
    problem = transaction.Terminated() ? "stopped" : transaction.ErrorMessage();
    return false;
  }
  text.assign(transaction.ResultBody(), transaction.ResultBodyLength());
  return true;
}

CHTTPTransaction::CHTTPTransaction() : stopEvent(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  std::lock_guard lock(PoolLock);
  if (TransactionCount++ != 0)
    return;
  for (WORD version : {MAKEWORD(2, 0), MAKEWORD(1, 1), MAKEWORD(1, 0)}) {
    if (WSAStartup(version, &winsockData) == 0)
      return;
    WSACleanup();
  }
}

CHTTPTransaction::~CHTTPTransaction() {
  Terminate();
  CloseSocket();
  {
    // Out of its slot first: whoever finds it there under the lock may still
    // wake it through its stop descriptor.
    std::lock_guard lock(PoolLock);
    if (--TransactionCount == 0)
      WSACleanup();
    if (poolSlot != -1)
      Pool[poolSlot] = nullptr;
  }
  if (stopEvent >= 0)
    close(stopEvent);
}

void CHTTPTransaction::Terminate() {
  TThread::Terminate();
  const uint64_t one = 1;
  if (stopEvent >= 0) [[maybe_unused]]
    auto written = write(stopEvent, &one, sizeof one);
}

void CHTTPTransaction::SetUrl(const char* newUrl) {
  const char* text = newUrl ? newUrl : "";
  url = TerminatedCopy(text, static_cast<unsigned>(std::strlen(text)));
}

void CHTTPTransaction::SetProxy(const char* proxyHost, const char* proxyPort) {
  if (!proxyHost || !*proxyHost) {
    useProxy = false;
    return;
  }
  useProxy = true;
  connectHost = proxyHost;
  // Only the leading number counts; one beyond 65535 is refused when the
  // request starts rather than wrapped round to another port.
  const long value = proxyPort ? std::strtol(proxyPort, nullptr, 10) : 0;
  port = value == 0 ? 8080 : value < 0 || value > 65535 ? -1 : static_cast<int>(value);
}

void CHTTPTransaction::SetTimeOut(int milliseconds) {
  receiveTimeOut = static_cast<uint32_t>(milliseconds);
  sendTimeOut = static_cast<uint32_t>(milliseconds);
}

void CHTTPTransaction::Execute() {
  if (proxyLookup) {
    AnsiString proxyHost, proxyPort, problem;
    const bool usable =
        proxyLookup(url.get(), proxyHost, proxyPort, problem, [this] { return Terminated(); });
    if (Terminated())
      return;
    // A proxy the user asked for is never bypassed in silence.
    if (!usable) {
      SetError(hcProxyScript, 0, "Error, proxy script unusable: %s", problem.c_str());
      return;
    }
    SetProxy(proxyHost.c_str(), proxyPort.c_str());
  }
  RunTransaction(url.get());
}

int CHTTPTransaction::RunTransaction(const char* requestUrl) {
  redirectCount = 0;
  // Whichever thread runs it, a Terminate reaches its socket waits.
  SetStopDescriptor(stopEvent);
  const int result = RunRequest(requestUrl);
  SetStopDescriptor(-1);
  return result;
}

int CHTTPTransaction::RunRequest(const char* requestUrl) {
  ReleaseReceiveBuffer();
  scheme = host = portText = path = nullptr;
  portNumber = -1;
  if (!requestUrl || !*requestUrl) {
    SetError(hcUrlEmpty, 0, "Error, url empty.");
    return hcUrlEmpty;
  }
  if (std::strlen(requestUrl) > MaxUrlLength) {
    SetError(hcUrlTooLong, 0, "Error, url too long.");
    return hcUrlTooLong;
  }
  if (const int failed = ParseUrl(requestUrl))
    return failed;
  if (const int failed = Connect())
    return failed;
  if (const int failed = SendRequest())
    return failed;
  return ReceiveResponse();
}

// Cuts the parse buffer into scheme, host, port text and path, then sets the
// request target and the host to connect to.
int CHTTPTransaction::ParseUrl(const char* requestUrl) {
  size_t length = std::strcspn(requestUrl, "\r\n");
  std::memcpy(parseBuffer, requestUrl, length);
  parseBuffer[length] = '\0';

  char* segment = parseBuffer;
  bool lastWasColon = false;
  for (char* p = parseBuffer;; ++p) {
    if (*p == ':') {
      *p = '\0';
      if (p[1] == '/' && p[2] == '/') {
        scheme = segment;
        segment = p + 3;
        lastWasColon = false;
        p += 2;
        if (p[1])
          ++p; // the character after "//" is never a separator
        continue;
      }
      if (p[1] == '/') {
        SetError(hcSchemeParse, 0, "Error, proto parse failed.");
        return hcSchemeParse;
      }
      if (!host) {
        host = segment;
        segment = p + 1;
      }
      lastWasColon = true;
    } else if (*p == '/') {
      *p = '\0';
      (host ? portText : host) = segment;
      path = p + 1;
      break;
    } else if (*p == '\0') {
      if (!host)
        host = segment;
      else if (lastWasColon)
        portText = segment;
      break;
    }
  }

  if (!host || !*host || std::strlen(host) > MaxHostLength) {
    SetError(hcBadHost, 0, "Error, bad host in URL.");
    return hcBadHost;
  }
  portNumber = 80;
  if (portText) {
    char* end;
    errno = 0;
    const long value = *portText ? std::strtol(portText, &end, 10) : -1;
    if (!*portText || errno == ERANGE || value < 0 || value > 65535) {
      SetError(hcBadPort, 0, "Error, bad port in URL.");
      return hcBadPort;
    }
    portNumber = static_cast<int32_t>(value);
  }

  if (!useProxy) {
    std::snprintf(requestTarget, sizeof requestTarget, "/%s", path ? path : "");
    connectHost = host;
    CopyField(urlHostCopy, MaxHostLength, host);
    port = portNumber;
    return 0;
  }
  if (connectHost.empty()) {
    SetError(hcNoProxyHost, 0, "Error, proxy not specified.");
    return hcNoProxyHost;
  }
  if (port < 0) {
    SetError(hcBadPort, 0, "Error, bad proxy port.");
    return hcBadPort;
  }
  urlHostCopy[0] = '\0';
  // The URL goes to the proxy as given, cut at a line break like the parse.
  const bool hasScheme = scheme && *scheme;
  length = std::strcspn(requestUrl, "\r\n");
  std::snprintf(requestTarget, sizeof requestTarget, "%s%.*s", hasScheme ? "" : "http://",
                static_cast<int>(length), requestUrl);
  return 0;
}

int CHTTPTransaction::Connect() {
  sock = Winsock::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (sock == INVALID_SOCKET) {
    SetError(hcSocket, -1, "Error when socket.");
    return hcSocket;
  }
  auto fail = [this](const char* message) {
    const int code = WSAGetLastError();
    CloseSocket();
    SetError(hcSocket, code, "%s", message);
    return hcSocket;
  };
  const uint16_t lingerFields[2] = {1, 0};
  if (Winsock::setsockopt(sock, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(lingerFields),
                          sizeof lingerFields) == SOCKET_ERROR)
    return fail("Error when setsockopt(LINGER).");
  if (Winsock::setsockopt(sock, SOL_SOCKET, SO_RCVTIMEO,
                          reinterpret_cast<const char*>(&receiveTimeOut),
                          sizeof receiveTimeOut) == SOCKET_ERROR)
    return fail("Error when setsockopt(RCVTIME).");
  if (Winsock::setsockopt(sock, SOL_SOCKET, SO_SNDTIMEO,
                          reinterpret_cast<const char*>(&sendTimeOut),
                          sizeof sendTimeOut) == SOCKET_ERROR)
    return fail("Error when setsockopt(SNDTIMEO).");
  localAddress = {};
  localAddress.sin_family = AF_INET;
  localAddress.sin_addr.s_addr = htonl(INADDR_ANY);
  if (Winsock::bind(sock, reinterpret_cast<const sockaddr*>(&localAddress), sizeof localAddress) ==
      SOCKET_ERROR)
    return fail("Error when bind socket.");

  remoteAddress = {};
  remoteAddress.sin_family = AF_INET;
  remoteAddress.sin_port = htons(static_cast<uint16_t>(port));
  const hostent* found =
      connectHost.empty() ? nullptr : Winsock::gethostbyname(connectHost.c_str());
  const int lookupError = WSAGetLastError();
  if (found && found->h_addr_list[0]) {
    std::memcpy(&remoteAddress.sin_addr, found->h_addr_list[0], sizeof remoteAddress.sin_addr);
  } else {
    const in_addr_t numeric = *urlHostCopy ? Winsock::inet_addr(urlHostCopy) : INADDR_NONE;
    if (numeric == INADDR_NONE) {
      CloseSocket();
      SetError(hcBadHost, lookupError, "Error when resolve host.");
      return hcBadHost;
    }
    remoteAddress.sin_addr.s_addr = numeric;
  }

  Winsock::fd_set readable;
  FdZero(&readable);
  FdSet(sock, &readable);
  const timeval noWait{0, 0};
  if (Winsock::select(0, &readable, nullptr, nullptr, &noWait) == SOCKET_ERROR)
    return fail("Error when select.");
  if (Winsock::connect(sock, reinterpret_cast<const sockaddr*>(&remoteAddress),
                       sizeof remoteAddress) == SOCKET_ERROR)
    return fail("Error when connect.");
  return 0;
}

int CHTTPTransaction::SendRequest() {
  const char* pieces[] = {
      "GET ",
      requestTarget,
      " HTTP/1.0\r\n",
      "Accept: image/gif, image/x-bitmap, image/jpeg, image/pjpeg, application/vnd.ms-powerpoint, "
      "application/vnd.ms-excel, application/msword, application/x-comet, */*\r\n",
      "Accept-Language: en\r\n",
      "Cache-Control: no-cache\r\n",
      "User-Agent: Mozilla/4.0 (compatible; MSIE 5.0; Windows NT;)\r\n",
      "Host: ",
      host,
      "\r\n",
      "\r\n",
  };
  for (const char* piece : pieces) {
    const int length = static_cast<int>(std::strlen(piece));
    if (Winsock::send(sock, piece, length, 0) == SOCKET_ERROR) {
      const int code = WSAGetLastError();
      CloseSocket();
      SetError(hcSocket, code, "Error when send.");
      return hcSocket;
    }
  }
  return 0;
}

int CHTTPTransaction::ReceiveResponse() {
  ReleaseReceiveBuffer();
  u_long nonBlocking = 1;
  Winsock::ioctlsocket(sock, FIONBIO, &nonBlocking);
  const DWORD start = GetTickCount();
  int polls = 0;
  bool failed = false;
  char piece[ReceivePieceLength];
  for (;;) {
    const int received = Winsock::recv(sock, piece, ReceivePieceLength, 0);
    if (GetTickCount() - start > receiveTimeOut) {
      if (received == SOCKET_ERROR) {
        failed = true;
        break;
      }
    } else if (received != SOCKET_ERROR) {
      polls = 0;
    } else {
      const int error = WSAGetLastError();
      if (error != WSAEWOULDBLOCK && error != WSAEINPROGRESS) {
        failed = true;
        break;
      }
      ++polls;
      WSASetLastError(0);
      if (pollSleep * polls > maximumWait) {
        // About ten seconds without data: what came counts as the whole
        // response when it is more than a status line could be.
        failed = receiveBuffer.size() <= 100;
        break;
      }
      if (Terminated())
        break;
      Sleep(pollSleep);
      continue;
    }
    if (received > 0 && !AppendReceived(piece, received))
      return hcSocket;
    if (received <= 0 || Terminated())
      break;
  }

  CloseSocket();
  if (failed) {
    const int code = WSAGetLastError();
    SetError(hcSocket, code, "%s", WsaErrorName(code, "Unknown WinsockError"));
    // A failure must never read as success, even with no socket error set.
    return code ? code : hcSocket;
  }
  if (Terminated()) {
    ReleaseReceiveBuffer();
    return TerminatedResult;
  }
  return ProcessResponse();
}

bool CHTTPTransaction::AppendReceived(const char* bytes, int count) {
  bool stored = receiveBuffer.size() + static_cast<size_t>(count) <= MaxResponseLength;
  if (stored) {
    try {
      receiveBuffer.insert(receiveBuffer.end(), bytes, bytes + count);
    } catch (const std::bad_alloc&) {
      stored = false;
    }
  }
  if (stored)
    return true;
  CloseSocket();
  SetError(hcSocket, NotEnoughMemory, "Socket stopped");
  return false;
}

CHTTPTransaction::TResponseOutcome CHTTPTransaction::SplitResponse() {
  header = body = nullptr;
  headerLength = bodyLength = 0;
  if (receiveBuffer.empty())
    return roHeaderNotFound;
  char* data = receiveBuffer.data();
  const char* blankLine = FindBytes(data, receiveBuffer.size(), "\r\n\r\n");
  if (!blankLine)
    return roHeaderNotFound;
  header = data;
  headerLength = static_cast<unsigned>(blankLine - data);
  body = data + headerLength + 4;
  bodyLength = static_cast<unsigned>(receiveBuffer.size()) - headerLength - 4;
  return roSuccess;
}

int CHTTPTransaction::ProcessResponse() {
  TResponseOutcome outcome = SplitResponse();
  int code = 0;
  if (outcome == roSuccess) {
    // The three digits after "HTTP/x.y "; a response too short for them has
    // no status.
    char digits[4] = "";
    if (receiveBuffer.size() > 9)
      std::snprintf(digits, sizeof digits, "%.*s",
                    static_cast<int>(std::min<size_t>(3, receiveBuffer.size() - 9)),
                    receiveBuffer.data() + 9);
    code = std::atoi(digits);
    if (code < 100)
      outcome = roHeaderNotFound;
  }
  if (outcome == roSuccess) {
    const THttpStatus* row = FindHttpStatus(code);
    if (!row) {
      SetErrorRecord(hcHttpStatus, code, "Extension Code");
      outcome = roHttpStatus;
    } else if (row->Class == hcHttpStatus || row->Class == hcHttpError) {
      SetErrorRecord(row->Class, code, row->Text);
      outcome = roHttpStatus;
    } else if (code == 301 || code == 302) {
      const TRedirect redirect = BuildRedirectUrl();
      outcome = roHttpStatus;
      if (redirect == rdOtherScheme) {
        const AnsiString message = "Redirected to another scheme than http: " + redirectUrl;
        SetErrorRecord(hcRedirect, 0, message.c_str());
      } else if (redirect == rdNoLocation) {
        SetErrorRecord(hcRedirect, 0, "Redirected but no location.");
      } else if (redirectCount >= MaxRedirects) {
        SetErrorRecord(hcRedirect, 0, "Too many redirects: more than 10.");
      } else {
        outcome = roRedirect;
      }
    }
  }

  switch (outcome) {
  case roSuccess:
    if (!BodyIsWhole())
      return hcBodyNotWhole;
    // A compressed body is binary: blanking its zero bytes would corrupt the
    // stream; its listener blanks them once decoded.
    if (GetContentEncoding(header, static_cast<int>(headerLength)) == ccIdentity)
      std::replace(body, body + bodyLength, '\0', ' ');
    OnSuccess();
    ReleaseReceiveBuffer();
    return 0;
  case roRedirect: {
    ReleaseReceiveBuffer();
    ++redirectCount;
    const AnsiString next = redirectUrl;
    return RunRequest(next.c_str());
  }
  case roHttpStatus:
    NotifyHttpError();
    ReleaseReceiveBuffer();
    return errorClass;
  case roHeaderNotFound:
    SetError(hcNoHeader, 0, "Error, header not found.");
    return hcNoHeader;
  }
  SetError(hcUnknownOutcome, 0, "Error, unknown :(");
  return hcUnknownOutcome;
}

// A body cut short (fewer bytes than the header announced, or a compressed
// stream that does not end soundly) is a failed transaction, never a page:
// half a page would count as a page change and lose the items of its other
// half.
bool CHTTPTransaction::BodyIsWhole() {
  AnsiString value;
  if (FindHeaderField(header, headerLength, "Content-Length", value) && !value.empty() &&
      std::all_of(value.begin(), value.end(), [](unsigned char c) { return std::isdigit(c); })) {
    const unsigned long long announced = std::strtoull(value.c_str(), nullptr, 10);
    if (bodyLength < announced) {
      SetError(hcBodyNotWhole, 0, "Error, body cut short: %u of %llu bytes.", bodyLength,
               announced);
      return false;
    }
  }
  decodedBody.reset();
  decodedBodyLength = 0;
  const int coding = GetContentEncoding(header, static_cast<int>(headerLength));
  if (coding != ccGzip && coding != ccDeflate)
    return true;
  int decodedLength = 0;
  AnsiString problem;
  if (CHttpDecompressor().DecodeContent(coding, body, static_cast<int>(bodyLength), decodedBody,
                                        decodedLength, &problem) == 0) {
    decodedBodyLength = static_cast<unsigned>(decodedLength);
    return true;
  }
  decodedBody.reset();
  SetError(hcBodyNotWhole, 0, "Error, damaged %s body: %s.", coding == ccGzip ? "gzip" : "deflate",
           problem.c_str());
  return false;
}

CHTTPTransaction::TRedirect CHTTPTransaction::BuildRedirectUrl() {
  redirectUrl.clear();
  AnsiString value;
  if (!FindHeaderField(header, headerLength, "Location", value) || value.empty())
    return rdNoLocation;
  // An absolute location names its scheme; only http can be requested here,
  // and any other would otherwise be asked for as a path of this host.
  if (const size_t scheme = SchemeLength(value)) {
    redirectUrl = value;
    return scheme == 4 && strncasecmp(value.c_str(), "http", 4) == 0 ? rdFollow : rdOtherScheme;
  }

  // Relative: on the current host (and port, which the location cannot name),
  // resolved against the current path's folder.
  redirectUrl = host;
  if (portText)
    redirectUrl += AnsiString(":") + portText;
  const AnsiString currentPath = path ? path : "";
  long dirLength = static_cast<long>(currentPath.rfind('/'));
  if (value.starts_with('/') || dirLength < 1) {
    if (!value.starts_with('/'))
      redirectUrl += '/';
    redirectUrl += value;
    return rdFollow;
  }
  AnsiString rest = value;
  while (rest.starts_with('.')) {
    // "./" names the current folder itself.
    if (rest.starts_with("./")) {
      rest.erase(0, 2);
      continue;
    }
    const size_t slash = rest.substr(0, 3).find('/');
    if (slash == AnsiString::npos)
      break;
    rest.erase(0, slash + 1);
    dirLength = dirLength > 0 ? static_cast<long>(currentPath.rfind('/', dirLength - 1)) : -1;
  }
  if (dirLength > 0)
    redirectUrl += '/' + currentPath.substr(0, static_cast<size_t>(dirLength));
  if (!rest.starts_with('/'))
    redirectUrl += '/';
  redirectUrl += rest;
  return rdFollow;
}

void CHTTPTransaction::SetErrorRecord(int newClass, int code, const char* message) {
  errorClass = newClass;
  errorCode = code;
  std::snprintf(errorMessage, sizeof errorMessage, "%s", message);
}

void CHTTPTransaction::SetError(int newClass, int code, const char* format, ...) {
  errorClass = newClass;
  errorCode = code;
  va_list args;
  va_start(args, format);
  std::vsnprintf(errorMessage, sizeof errorMessage, format, args);
  va_end(args);
  OnError();
}

void CHTTPTransaction::OnError() {
  NotifyError();
  ReleaseReceiveBuffer();
}

void CHTTPTransaction::OnSuccess() {
  resultBody = TerminatedCopy(body, bodyLength);
  resultBodyLength = bodyLength;
  resultHeader = TerminatedCopy(header, headerLength);
  resultHeaderLength = headerLength;
  Notify(0);
}

void CHTTPTransaction::NotifyHttpError() {
  Notify(-2);
}

void CHTTPTransaction::NotifyError() {
  Notify(-1);
}

void CHTTPTransaction::Notify(int newStatus) {
  if (Terminated())
    return;
  status = newStatus;
  // Without a listener there is nothing to hand over, and a synchronous
  // caller on another thread must not wait for the main thread.
  if (!listener)
    return;
  Synchronize([this] {
    if (Terminated() || !listener)
      return;
    THttpResponse response;
    response.Status = status;
    if (status != 0 && errorClass == hcProxyScript)
      response.Problem = errorMessage;
    if (status == 0)
      response = {status,
                  resultBody.get(),
                  resultBodyLength,
                  resultHeader.get(),
                  resultHeaderLength,
                  decodedBody.get(),
                  decodedBodyLength};
    listener->OnHttpResponse(response);
  });
}

void CHTTPTransaction::CloseSocket() {
  if (sock == INVALID_SOCKET)
    return;
  Winsock::closesocket(sock);
  sock = INVALID_SOCKET;
}

void CHTTPTransaction::ReleaseReceiveBuffer() {
  std::vector<char>().swap(receiveBuffer);
  header = body = nullptr;
  headerLength = bodyLength = 0;
}

namespace {

const int FeedPiece = 256;
const size_t MoveThreshold = 1024;
const size_t OutputSlack = 1024;

// Gunzip as the library has it, but the trailer's CRC-32 is computed with
// zlib's crc32, which is several times faster than the library's own and
// keeps the decoder within a small multiple of a plain inflate.
class TGunzip : public CryptoPP::Gunzip {
public:
  using Gunzip::Gunzip;

protected:
  void ProcessPrestreamHeader() override {
    Gunzip::ProcessPrestreamHeader();
    crc = crc32_z(0, nullptr, 0);
  }
  void ProcessDecompressedData(const CryptoPP::byte* bytes, size_t length) override {
    AttachedTransformation()->Put(bytes, length);
    crc = crc32_z(crc, bytes, length);
    m_length += static_cast<CryptoPP::word32>(length);
  }
  void ProcessPoststreamTail() override {
    CryptoPP::word32 storedCrc = 0;
    CryptoPP::word32 storedLength = 0;
    if (m_inQueue.GetWord32(storedCrc, CryptoPP::LITTLE_ENDIAN_ORDER) != 4)
      throw TailErr();
    if (storedCrc != crc)
      throw CrcErr();
    if (m_inQueue.GetWord32(storedLength, CryptoPP::LITTLE_ENDIAN_ORDER) != 4)
      throw TailErr();
    if (storedLength != m_length)
      throw LengthErr();
  }

private:
  uLong crc = crc32_z(0, nullptr, 0);
};

// The decoded output, filled by moves from the queue. Each growth leaves
// 1024 bytes of slack as the system always did, but at least doubles the
// buffer: growing by the queued amount alone copies a large page over again
// for nearly every 256-byte piece.
class TDecodedOutput {
public:
  void Move(CryptoPP::ByteQueue& queue) {
    const size_t queued = static_cast<size_t>(queue.MaxRetrievable());
    if (queued == 0)
      return;
    if (length + queued > allocated) {
      const size_t size = std::max(length + queued + OutputSlack, 2 * allocated);
      std::unique_ptr<char[]> grown(new char[size]);
      if (length)
        std::memcpy(grown.get(), buffer.get(), length);
      buffer = std::move(grown);
      allocated = size;
    }
    queue.Get(reinterpret_cast<CryptoPP::byte*>(buffer.get() + length), queued);
    length += queued;
  }
  // Room for the expected length at once: a buffer grown step by step
  // touches twice the memory, and fresh memory costs more than the copying.
  void Reserve(size_t expected) {
    allocated = expected + OutputSlack;
    buffer.reset(new char[allocated]);
  }
  size_t Length() const { return length; }
  // Hands the bytes over with a NUL after them.
  void Take(std::unique_ptr<char[]>& output, int& outputLength) {
    if (length + 1 > allocated) {
      std::unique_ptr<char[]> grown(new char[length + 1]);
      if (length)
        std::memcpy(grown.get(), buffer.get(), length);
      buffer = std::move(grown);
    }
    buffer[length] = '\0';
    output = std::move(buffer);
    outputLength = static_cast<int>(length);
  }

private:
  std::unique_ptr<char[]> buffer;
  size_t length = 0;
  size_t allocated = 0;
};

// Where an inflator puts out. Once its stream has ended, an inflator hands
// any further input on unchanged: those bytes are no part of the page and
// are only counted, which tells where the stream ended in the body.
class TStreamSink : public CryptoPP::Bufferless<CryptoPP::Sink> {
public:
  explicit TStreamSink(CryptoPP::ByteQueue& decoded) : decoded(decoded) {}
  size_t Put2(const CryptoPP::byte* bytes, size_t length, int messageEnd, bool) override {
    if (ended)
      after += length;
    else
      decoded.Put(bytes, length);
    ended = ended || messageEnd != 0;
    return 0;
  }
  bool Ended() const { return ended; }
  // The bytes of the input that followed the end of the stream.
  size_t After() const { return after; }
  void Restart() {
    ended = false;
    after = 0;
  }

private:
  CryptoPP::ByteQueue& decoded;
  bool ended = false;
  size_t after = 0;
};

// Ends the message and pushes everything still held through the filter; the
// filter's complaint, or "" when the stream was whole.
AnsiString EndMessage(CryptoPP::Inflator& filter) {
  try {
    filter.MessageEnd();
    filter.Flush(true);
    return "";
  } catch (const CryptoPP::Exception& error) {
    return error.what();
  }
}

enum TStreamKind { skGzip, skZlib, skRawDeflate };

std::unique_ptr<CryptoPP::Inflator> MakeInflator(TStreamKind kind, TStreamSink* sink) {
  switch (kind) {
  case skGzip:
    return std::make_unique<TGunzip>(sink);
  case skZlib:
    return std::make_unique<CryptoPP::ZlibDecompressor>(sink);
  case skRawDeflate:
    break;
  }
  return std::make_unique<CryptoPP::Inflator>(sink);
}

// A gzip member ends with the length of its data (modulo 2^32): a hint of
// the output's size, taken when deflate could have made the body of such
// data (it shrinks data at most 1032 times and never grows it by half) and
// bounded by the limit. A body without a trailer may still give a wrong
// hint, which costs at worst address space that is never touched, or the
// growth of the buffer.
size_t ExpectedLength(const unsigned char* input, int inputLength) {
  constexpr int TrailerLength = 8;
  constexpr size_t MostShrinking = 1032;
  if (inputLength < TrailerLength)
    return 0;
  const unsigned char* size = input + inputLength - 4;
  const size_t stated = size[0] | size[1] << 8 | size[2] << 16 | static_cast<size_t>(size[3]) << 24;
  const size_t bodyLength = static_cast<size_t>(inputLength);
  if (stated < bodyLength / 2 || stated > bodyLength * MostShrinking)
    return 0;
  return std::min(stated, static_cast<size_t>(MaxDecodedLength));
}

// One inflator for a whole body. A further gzip member restarts it rather
// than a new one, whose window would be allocated and cleared again: a body
// of empty members would cost that for every twenty bytes.
struct TBodyInflator {
  explicit TBodyInflator(TStreamKind kind)
      : sink(new TStreamSink(queue)), filter(MakeInflator(kind, sink)) {}
  void Restart() {
    filter->Initialize(CryptoPP::g_nullNameValuePairs, 0);
    sink->Restart();
  }
  CryptoPP::ByteQueue queue{FeedPiece};
  TStreamSink* sink; // owned by the filter
  std::unique_ptr<CryptoPP::Inflator> filter;
};

// Inflates one stream from the start of the input, in 256-byte pieces,
// into decoded; consumed tells how many bytes of the input the stream
// took. The result tells why the stream is not whole (cut short, a damaged
// block, a wrong check value or length, too long), "" when it is.
AnsiString InflateStream(TBodyInflator& inflator, const unsigned char* input, int inputLength,
                         TDecodedOutput& decoded, int& consumed) {
  AnsiString problem;
  CryptoPP::Inflator& filter = *inflator.filter;
  bool ended = false;
  int fed = 0;
  for (; fed < inputLength && problem.empty() && !inflator.sink->Ended(); fed += FeedPiece) {
    int piece = std::min(FeedPiece, inputLength - fed);
    try {
      filter.Put(input + fed, static_cast<size_t>(piece));
      if (piece < FeedPiece) {
        ended = true;
        filter.MessageEnd();
        filter.Flush(true);
      } else {
        filter.Flush(false);
      }
    } catch (const CryptoPP::Exception& error) {
      problem = error.what();
      break;
    }
    if (inflator.queue.MaxRetrievable() >= MoveThreshold || ended)
      decoded.Move(inflator.queue);
    if (decoded.Length() > MaxDecodedLength)
      problem = "decoded text too long";
  }
  if (!ended && problem.empty())
    problem = EndMessage(filter);
  decoded.Move(inflator.queue);
  consumed = std::min(fed, inputLength) - static_cast<int>(inflator.sink->After());
  return problem;
}

bool BeginsGzipMember(const unsigned char* data, int length) {
  return length >= 2 && data[0] == 0x1F && data[1] == 0x8B;
}

// Inflates a body of the kind. A gzip body may hold several members, read
// one after the other as zcat reads them; anything else after the end of
// the stream damages the body, as it would otherwise pass for page text.
// The output always carries a NUL after its outputLength bytes and keeps
// what was decoded before an error; the result tells the fault, "" when
// the body is whole.
AnsiString Inflate(TStreamKind kind, const unsigned char* input, int inputLength,
                   std::unique_ptr<char[]>& output, int& outputLength) {
  output.reset();
  outputLength = 0;
  TDecodedOutput decoded;
  if (kind == skGzip)
    decoded.Reserve(ExpectedLength(input, inputLength));
  TBodyInflator inflator(kind);
  int consumed = 0;
  AnsiString problem = InflateStream(inflator, input, inputLength, decoded, consumed);
  while (problem.empty() && consumed < inputLength) {
    const unsigned char* rest = input + consumed;
    if (kind != skGzip || !BeginsGzipMember(rest, inputLength - consumed)) {
      problem = "data after the end of the compressed stream";
      break;
    }
    inflator.Restart();
    int member = 0;
    problem = InflateStream(inflator, rest, inputLength - consumed, decoded, member);
    consumed += member;
  }
  decoded.Take(output, outputLength);
  return problem;
}

// The two bytes of the zlib wrapping: deflate with a window of at most 32 KB,
// and a check value that makes them a multiple of 31.
bool HasZlibWrapping(const unsigned char* data, int length) {
  return length >= 2 && (data[0] & 0x0F) == 8 && (data[0] >> 4) <= 7 &&
         ((data[0] << 8) | data[1]) % 31 == 0;
}

} // namespace

bool FindHeaderField(const char* header, size_t headerLength, std::string_view name,
                     AnsiString& value) {
  value.clear();
  if (!header)
    return false;
  const char* end = header + headerLength;
  for (const char* line = header; line < end;) {
    const char* lineEnd = line;
    while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n')
      ++lineEnd;
    const size_t length = static_cast<size_t>(lineEnd - line);
    if (length > name.size() && line[name.size()] == ':' &&
        strncasecmp(line, name.data(), name.size()) == 0) {
      const char* start = line + name.size() + 1;
      while (start < lineEnd && (*start == ' ' || *start == '\t'))
        ++start;
      value.assign(start, lineEnd);
      return true;
    }
    line = lineEnd + 1;
  }
  return false;
}

int GetContentEncoding(const char* header, int headerLength) {
  AnsiString value;
  if (headerLength <= 0 ||
      !FindHeaderField(header, static_cast<size_t>(headerLength), "Content-Encoding", value))
    return ccIdentity;
  std::transform(value.begin(), value.end(), value.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (value.find("DEFLATE") != AnsiString::npos)
    return ccDeflate;
  if (value.find("GZIP") != AnsiString::npos)
    return ccGzip;
  return ccUnknown;
}

void GunzipBuffer(const unsigned char* input, int inputLength, std::unique_ptr<char[]>& output,
                  int& outputLength, bool& success) {
  success = Inflate(skGzip, input, inputLength, output, outputLength).empty();
}

int CHttpDecompressor::DecodeContent(int coding, const char* data, int dataLength,
                                     std::unique_ptr<char[]>& output, int& outputLength,
                                     AnsiString* problem) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  AnsiString complaint;
  if (coding == ccGzip) {
    complaint = Inflate(skGzip, bytes, dataLength, output, outputLength);
  } else if (coding == ccDeflate) {
    // Servers send "deflate" both in the zlib wrapping and bare; a bare
    // stream may happen to begin like the wrapping, so it is tried bare too.
    if (HasZlibWrapping(bytes, dataLength))
      complaint = Inflate(skZlib, bytes, dataLength, output, outputLength);
    if (!HasZlibWrapping(bytes, dataLength) || !complaint.empty())
      complaint = Inflate(skRawDeflate, bytes, dataLength, output, outputLength);
  } else {
    outputLength = dataLength > 0 ? dataLength : 0;
    output.reset(new char[static_cast<size_t>(outputLength) + 1]);
    if (outputLength > 0)
      std::memcpy(output.get(), data, static_cast<size_t>(outputLength));
    output[outputLength] = '\0';
    return 0;
  }
  if (complaint.empty() && outputLength == 0)
    complaint = "no decoded text";
  if (problem)
    *problem = complaint;
  return complaint.empty() ? 0 : -1;
}
