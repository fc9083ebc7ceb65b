// Content decoding: the first byte picks gzip or deflate, the rest is the body.
#include "engine/Chttpthread.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1)
    return 0;
  std::unique_ptr<char[]> output;
  int length = 0;
  CHttpDecompressor decompressor;
  decompressor.DecodeContent((data[0] & 1) != 0 ? ccGzip : ccDeflate,
                             reinterpret_cast<const char*>(data + 1), static_cast<int>(size - 1),
                             output, length);
  // Whatever the body, the output reads as a C string of its length.
  if (length < 0 || (output && output[length] != '\0') || (!output && length != 0))
    __builtin_trap();
  return 0;
}
