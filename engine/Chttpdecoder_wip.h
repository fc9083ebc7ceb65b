#pragma once
// Content decoding of HTTP bodies: which coding the server applied, and
// undoing gzip and deflate so the page text can be parsed.
#include <memory>

// Content codings as GetContentEncoding reports them.
enum : int {
  ccUnknown = -1, // named, but neither deflate nor gzip
  ccIdentity = 0,
  ccDeflate = 1,
  ccGzip = 2,
};

// The coding named by the "Content-Encoding" line of a response header block.
int GetContentEncoding(const char* header, int headerLength);

// Inflates a gzip stream. The output always carries a NUL after its
// outputLength bytes; bytes decoded before an error are kept, success tells
// whether the whole stream (trailer included) was sound.
void GunzipBuffer(const unsigned char* input, int inputLength, std::unique_ptr<char[]>& output,
                  int& outputLength, bool& success);

class CHttpDecompressor {
public:
  // Undoes the coding of a body; any coding but deflate and gzip is copied
  // as it is. Returns 0, or -1 when a compressed body yielded nothing.
  int DecodeContent(int coding, const char* data, int dataLength, std::unique_ptr<char[]>& output,
                    int& outputLength);
};
