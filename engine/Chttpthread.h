#pragma once
// One HTTP/1.0 GET of one URL on a worker thread of its own, handing its
// outcome to a listener on the main thread; transactions come from a
// process-wide pool of 10 and free themselves when their thread ends.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/net/Winsock.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Sysutils.h"

// A completion as the worker hands it over: the status and, on success, the
// transaction's result copies of body and header (each NUL-terminated, the
// lengths without the NUL) and, for a gzip or deflate body, the page the
// worker inflated from it (null otherwise); for a request that failed because
// its proxy script could not be used, the reason (null otherwise). Valid only
// during the call.
struct THttpResponse {
  int Status = -1;
  const char* Body = nullptr;
  unsigned BodyLength = 0;
  const char* Header = nullptr;
  unsigned HeaderLength = 0;
  const char* Decoded = nullptr;
  unsigned DecodedLength = 0;
  const char* Problem = nullptr;
};

// The listener of a transaction, called on the main thread. status: 0 success
// (HTTP 200, after any redirects), -1 transport, URL or parse failure, -2 an
// HTTP status that is not handled. For -1 and -2 body and header are null with
// length 0. The buffers belong to the transaction and are valid only during
// the call; on success each is NUL-terminated and the lengths exclude the NUL.
class CHttpCallback {
public:
  virtual void OnHttpEvent(int status, const char* body, unsigned bodyLength, const char* header,
                           unsigned headerLength) = 0;
  // The completion with the page the worker decoded; a listener that wants
  // no decoded page is called as OnHttpEvent.
  virtual void OnHttpResponse(const THttpResponse& response) {
    OnHttpEvent(response.Status, response.Body, response.BodyLength, response.Header,
                response.HeaderLength);
  }
  virtual ~CHttpCallback() = default;
};

// The classes of a transaction's error record. Classes 10, 11 and 13 are
// notified as status -2, all others as -1.
enum THttpErrorClass : int {
  hcSocket = 1, // a socket call, the receive or its buffer failed
  hcUrlEmpty = 2,
  hcUrlTooLong = 3,
  hcNoProxyHost = 5,
  hcSchemeParse = 6, // ":/" not followed by a second '/'
  hcBadHost = 7,     // an empty host, or one that does not resolve
  hcBadPort = 8,
  hcUnknownOutcome = 9,
  hcHttpStatus = 10, // a status of 1xx to 3xx not handled, or not in the table
  hcHttpError = 11,  // a status of 4xx or 5xx
  hcNoHeader = 12,
  hcRedirect = 13,     // a redirect that cannot be followed
  hcBodyNotWhole = 14, // cut short, or a compressed stream that is damaged
  hcProxyScript = 15,  // the proxy script could not be downloaded or run
};

class CHTTPTransaction : public TThread {
public:
  static constexpr int MaxUrlLength = 1024;
  static constexpr int MaxHostLength = 64;
  static constexpr int MaxErrorLength = 254;
  static constexpr int MaxRedirects = 10;
  // What RunTransaction returns when told to terminate.
  static constexpr int TerminatedResult = 10;
  // A response larger than this is dropped: a broken or hostile server must
  // not exhaust memory.
  static constexpr unsigned MaxResponseLength = 64u << 20;

  // Created suspended; counts itself among the existing transactions and
  // starts the socket library as the first one.
  CHTTPTransaction();
  ~CHTTPTransaction() override;

  // Sets the terminate flag and wakes the worker wherever its socket waits
  // (connect, send, receive), so a stop never waits out a time-out.
  void Terminate();

  // Configuration, only while the thread is suspended.
  void SetUrl(const char* url);
  void SetProxy(const char* host, const char* port);
  void SetTimeOut(int milliseconds);
  void SetCallback(CHttpCallback* callback) { listener = callback; }
  // The proxy of a URL, host empty for a direct connection; false with the
  // reason in problem when no connection may be made (a proxy script that
  // cannot be used). cancelled tells when the transaction was told to
  // terminate.
  using TProxyLookup =
      std::function<bool(const char* url, AnsiString& host, AnsiString& port, AnsiString& problem,
                         const std::function<bool()>& cancelled)>;
  // In place of SetProxy: the worker asks lookup before it connects, so a
  // slow proxy script never holds up the thread that starts the request.
  void SetProxyLookup(TProxyLookup lookup) { proxyLookup = std::move(lookup); }

  // The whole transaction on the calling thread; 0 on success, otherwise an
  // error class, or TerminatedResult when told to terminate.
  int RunTransaction(const char* url);

  // The error record of the last failure.
  int ErrorClass() const { return errorClass; }
  int ErrorCode() const { return errorCode; }
  const char* ErrorMessage() const { return errorMessage; }
  // The last notified status (-1 until then) and the result copies of the last
  // success.
  int Status() const { return status; }
  const char* ResultBody() const { return resultBody.get(); }
  unsigned ResultBodyLength() const { return resultBodyLength; }
  const char* ResultHeader() const { return resultHeader.get(); }
  unsigned ResultHeaderLength() const { return resultHeaderLength; }
  int PoolSlot() const { return poolSlot; }

protected:
  void Execute() override;
  virtual void OnError();
  virtual void OnSuccess();
  virtual void NotifyHttpError();
  virtual void NotifyError();
  virtual void SetError(int errorClass, int code, const char* format, ...)
      __attribute__((format(printf, 4, 5)));

private:
  friend CHTTPTransaction* AcquireTransaction();
  friend void DetachCallback(const CHttpCallback* callback);
  enum TResponseOutcome { roSuccess, roRedirect, roHttpStatus, roHeaderNotFound };
  enum TRedirect { rdNoLocation, rdFollow, rdOtherScheme };

  int RunRequest(const char* url);
  int ParseUrl(const char* url);
  int Connect();
  int SendRequest();
  int ReceiveResponse();
  bool AppendReceived(const char* bytes, int count);
  int ProcessResponse();
  TResponseOutcome SplitResponse();
  bool BodyIsWhole();
  TRedirect BuildRedirectUrl();
  void SetErrorRecord(int errorClass, int code, const char* message);
  void Notify(int status);
  void CloseSocket();
  void ReleaseReceiveBuffer();

  std::unique_ptr<char[]> url;
  Winsock::WSADATA winsockData{};
  Winsock::SOCKET sock = Winsock::INVALID_SOCKET;
  sockaddr_in localAddress{};
  sockaddr_in remoteAddress{};
  // The proxy host is kept whole (a proxy name may be long); a URL's host
  // longer than MaxHostLength fails instead.
  AnsiString connectHost;
  char requestTarget[MaxUrlLength + 8] = "";
  char urlHostCopy[MaxHostLength + 1] = "";
  char* scheme = nullptr;
  char* host = nullptr;
  char* portText = nullptr;
  char* path = nullptr;
  int32_t portNumber = -1;
  char parseBuffer[MaxUrlLength + 1] = "";
  uint32_t receiveTimeOut = 90000;
  uint32_t sendTimeOut = 90000;
  int port = 80;
  bool useProxy = false;
  int errorClass = 0;
  int errorCode = 0;
  char errorMessage[MaxErrorLength + 1] = "";
  AnsiString redirectUrl;
  int redirectCount = 0;
  int pollSleep = 10;
  int maximumWait = 10000;
  std::vector<char> receiveBuffer;
  const char* header = nullptr;
  unsigned headerLength = 0;
  char* body = nullptr;
  unsigned bodyLength = 0;
  int poolSlot = -1;
  std::unique_ptr<char[]> resultBody;
  unsigned resultBodyLength = 0;
  std::unique_ptr<char[]> resultHeader;
  unsigned resultHeaderLength = 0;
  // A compressed body inflated while its soundness was checked, handed over
  // with it so that it is inflated only once.
  std::unique_ptr<char[]> decodedBody;
  unsigned decodedBodyLength = 0;
  int status = -1;
  CHttpCallback* listener = nullptr;
  TProxyLookup proxyLookup;
  // Readable once told to terminate: wakes the worker's socket waits.
  int stopEvent = -1;
};

constexpr int TransactionPoolSize = 10;

// Takes the first free pool slot and creates a suspended, self-freeing
// transaction in it; null when all slots are taken (then start no request).
CHTTPTransaction* AcquireTransaction();
// Tells every pooled transaction to terminate and returns once every slot is
// empty, serving the workers' main-thread calls meanwhile (no listener is
// called any more). A transaction acquired but never started keeps its slot
// until it is started or deleted.
void StopAllTransactions();
// Tells every pooled transaction that reports to callback to terminate, so
// that callback is never called again and may be destroyed; main thread only.
void DetachCallback(const CHttpCallback* callback);
// True for a URL beginning with "HTTP://" in any case, without "javascript:"
// or "JAVASCRIPT:", and without quotes.
bool IsValidUrl(const char* url);
// Fetches url synchronously on the calling thread, outside the pool: true
// with the body in text, false with the transaction's error message in
// problem. running, when given, is told the transaction before the fetch and
// null after it, so that another thread may terminate it meanwhile.
bool DownloadUrl(const char* url, int timeOutMs, std::string& text, AnsiString& problem,
                 const std::function<void(CHTTPTransaction*)>& running = nullptr);
// The name of a socket error code, or fallback for the codes without one.
const char* WsaErrorName(int code, const char* fallback);

// Content decoding of HTTP bodies: which coding the server applied, and
// undoing gzip and deflate so the page text can be parsed.

// Content codings as GetContentEncoding reports them.
enum : int {
  ccUnknown = -1, // named, but neither deflate nor gzip
  ccIdentity = 0,
  ccDeflate = 1,
  ccGzip = 2,
};

// The coding named by the "Content-Encoding" field of a response header block.
int GetContentEncoding(const char* header, int headerLength);

// The value of the header field called name, found by its name at the start
// of a line, in any letter case, anywhere in the headerLength bytes (a NUL
// byte hides nothing); the value runs from the first character after the
// colon's blanks to the end of its line. False when no line names the field.
bool FindHeaderField(const char* header, size_t headerLength, std::string_view name,
                     AnsiString& value);

// A small body may inflate to almost any size: decoding stops once the
// decoded text passes this length, far beyond any page.
constexpr unsigned MaxDecodedLength = 16u << 20;

// Inflates a gzip stream, of one member or of several read one after the
// other. The output always carries a NUL after its outputLength bytes; bytes
// decoded before an error are kept, success tells whether the whole stream
// (every trailer included, nothing after the last member) was sound.
void GunzipBuffer(const unsigned char* input, int inputLength, std::unique_ptr<char[]>& output,
                  int& outputLength, bool& success);

class CHttpDecompressor {
public:
  // Undoes the coding of a body; any coding but deflate and gzip is copied
  // as it is. Deflate comes bare or in the zlib wrapping. Returns 0, or -1
  // when a compressed body is not whole (cut short, damaged, failing its
  // check value or length, followed by bytes that begin no gzip member) or
  // yielded nothing: what was decoded before the fault is still in output,
  // and problem (when given) tells the fault.
  int DecodeContent(int coding, const char* data, int dataLength, std::unique_ptr<char[]>& output,
                    int& outputLength, AnsiString* problem = nullptr);
};
