#pragma once
// Bodies compressed by zlib itself, the reference the content decoder is held
// against in tests and benchmarks.
#include <string>

// windowBits 16+15 makes a gzip member, -15 a raw deflate stream, 15 the
// two-byte zlib wrapping. Throws when zlib refuses.
std::string Compress(const std::string& data, int windowBits, int level = 6);

constexpr int GzipBits = 16 + 15;
constexpr int RawBits = -15;
constexpr int ZlibBits = 15;

// The data as one gzip member.
inline std::string Gzip(const std::string& data) {
  return Compress(data, GzipBits);
}
