#include "engine/Chttpdecoder_wip.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>

#include <crypto++/gzip.h>
#include <crypto++/queue.h>

namespace {

const int FeedPiece = 256;
const size_t MoveThreshold = 1024;
const size_t GrowthSlack = 1024;

// The decoded bytes collected so far, grown with slack so a page of some
// hundred kilobytes needs few reallocations.
struct TDecodedOutput {
  std::unique_ptr<char[]>& Buffer;
  int& Length;
  size_t Allocated = 0;

  void MoveFrom(CryptoPP::ByteQueue& queue) {
    size_t queued = static_cast<size_t>(queue.MaxRetrievable());
    if (queued == 0)
      return;
    size_t length = static_cast<size_t>(Length);
    // One byte beyond the data is always kept free for the closing NUL.
    if (length + queued + 1 > Allocated) {
      // Growing by at least the size already held keeps big pages from being
      // copied over and over, one move at a time.
      size_t allocated = std::max(length + queued + GrowthSlack, 2 * Allocated);
      std::unique_ptr<char[]> grown(new char[allocated]);
      if (length > 0)
        std::memcpy(grown.get(), Buffer.get(), length);
      Buffer = std::move(grown);
      Allocated = allocated;
    }
    queue.Get(reinterpret_cast<CryptoPP::byte*>(Buffer.get()) + length, queued);
    Length = static_cast<int>(length + queued);
  }

  void Terminate() {
    if (!Buffer) {
      Buffer.reset(new char[1]);
      Allocated = 1;
    }
    Buffer[Length] = '\0';
  }
};

// Ends the message and pushes everything still held through the filter.
bool EndMessage(CryptoPP::Gunzip& filter) {
  try {
    filter.MessageEnd();
    filter.Flush(true);
    return true;
  } catch (const CryptoPP::Exception&) {
    return false;
  }
}

} // namespace

int GetContentEncoding(const char* header, int headerLength) {
  if (header == nullptr || header[0] == '\0' || headerLength <= 0)
    return ccIdentity;
  std::string text(header, strnlen(header, static_cast<size_t>(headerLength)));
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  static const std::string Label = "CONTENT-ENCODING:";
  size_t label = text.find(Label);
  if (label == std::string::npos)
    return ccIdentity;
  size_t start = text.find_first_not_of(' ', label + Label.size());
  if (start == std::string::npos)
    return ccUnknown;
  size_t end = text.find_first_of("\r\n", start);
  std::string value = text.substr(start, end == std::string::npos ? end : end - start);
  if (value.find("DEFLATE") != std::string::npos)
    return ccDeflate;
  if (value.find("GZIP") != std::string::npos)
    return ccGzip;
  return ccUnknown;
}

void GunzipBuffer(const unsigned char* input, int inputLength, std::unique_ptr<char[]>& output,
                  int& outputLength, bool& success) {
  output.reset();
  outputLength = 0;
  success = true;
  TDecodedOutput decoded{output, outputLength};
  auto* queue = new CryptoPP::ByteQueue(FeedPiece);
  CryptoPP::Gunzip filter(queue); // the filter owns its queue

  bool ended = false;
  for (int offset = 0; offset < inputLength && success; offset += FeedPiece) {
    int piece = std::min(FeedPiece, inputLength - offset);
    try {
      filter.Put(input + offset, static_cast<size_t>(piece));
      if (piece < FeedPiece) {
        ended = true;
        filter.MessageEnd();
        filter.Flush(true);
      } else {
        filter.Flush(false);
      }
    } catch (const CryptoPP::Exception&) {
      success = false;
      break;
    }
    if (ended || queue->MaxRetrievable() >= MoveThreshold)
      decoded.MoveFrom(*queue);
  }
  if (!ended && success)
    success = EndMessage(filter);
  decoded.MoveFrom(*queue);
  decoded.Terminate();
}

int CHttpDecompressor::DecodeContent(int coding, const char* data, int dataLength,
                                     std::unique_ptr<char[]>& output, int& outputLength) {
  bool success = false;
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  if (coding == ccGzip) {
    GunzipBuffer(bytes, dataLength, output, outputLength, success);
    return outputLength > 0 ? 0 : -1;
  }
  if (coding == ccDeflate) {
    // A raw deflate stream becomes a gzip member without its trailer; the
    // missing trailer fails only after every inflated byte has come out.
    static const unsigned char GzipHeader[10] = {0x1F, 0x8B, 0x08, 0, 0, 0, 0, 0, 0, 0};
    size_t length = dataLength > 0 ? static_cast<size_t>(dataLength) : 0;
    std::unique_ptr<unsigned char[]> wrapped(new unsigned char[length + sizeof GzipHeader]);
    std::memcpy(wrapped.get(), GzipHeader, sizeof GzipHeader);
    if (length > 0)
      std::memcpy(wrapped.get() + sizeof GzipHeader, bytes, length);
    GunzipBuffer(wrapped.get(), static_cast<int>(length + sizeof GzipHeader), output, outputLength,
                 success);
    return outputLength > 0 ? 0 : -1;
  }
  outputLength = dataLength > 0 ? dataLength : 0;
  output.reset(new char[static_cast<size_t>(outputLength) + 1]);
  if (outputLength > 0)
    std::memcpy(output.get(), data, static_cast<size_t>(outputLength));
  output[outputLength] = '\0';
  return 0;
}
