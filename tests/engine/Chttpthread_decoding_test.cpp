#include "engine/Chttpthread.h"
#include "tests/support/Compress.h"
#include "tests/support/TempDir.h"

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <zlib.h>

using namespace std::string_literals;

namespace {

struct TDecoded {
  int Result;
  std::string Text;
};

// DecodeContent on the body; problem, when given, receives the fault named.
TDecoded Decode(int coding, const std::string& body, AnsiString* problem = nullptr) {
  std::unique_ptr<char[]> output;
  int length = -7;
  CHttpDecompressor decompressor;
  int result = decompressor.DecodeContent(coding, body.data(), static_cast<int>(body.size()),
                                          output, length, problem);
  EXPECT_GE(length, 0);
  if (length > 0) {
    EXPECT_EQ(output[length], '\0') << "decoded output must read as a C string";
  }
  return {result, length > 0 ? std::string(output.get(), static_cast<size_t>(length)) : ""};
}

std::string Repeated(const std::string& text, int times) {
  std::string repeated;
  for (int i = 0; i < times; ++i)
    repeated += text;
  return repeated;
}

TEST(ContentDecoding, GzipAndRawDeflateBodiesOfCorpusPagesDecodeToThePage) {
  for (const char* name : {"005-unescape-html-entities.html", "webmd-2.html", "yahoo-2.html"}) {
    SCOPED_TRACE(name);
    std::string page = ReadFileBytes(CorpusPage(name));
    ASSERT_FALSE(page.empty());
    TDecoded gzip = Decode(ccGzip, Compress(page, GzipBits));
    EXPECT_EQ(gzip.Result, 0);
    EXPECT_TRUE(gzip.Text == page);
    for (int bits : {RawBits, ZlibBits}) {
      TDecoded deflate = Decode(ccDeflate, Compress(page, bits));
      EXPECT_EQ(deflate.Result, 0) << bits;
      EXPECT_TRUE(deflate.Text == page) << bits;
    }
  }
}

// Stored (uncompressed) blocks let the body length be chosen exactly, so the
// last 256-byte piece is full and the end of the message comes after feeding.
TEST(ContentDecoding, BodiesOfWholeFeedPiecesDecodeCompletely) {
  std::string page = ReadFileBytes(CorpusPage("webmd-2.html"));
  for (size_t target : {256u, 512u, 1024u, 4096u}) {
    SCOPED_TRACE(target);
    std::string body, text;
    for (size_t n = target; n > 0 && body.size() != target; --n) {
      text = page.substr(0, n);
      body = Compress(text, GzipBits, 0);
    }
    ASSERT_EQ(body.size(), target);
    std::unique_ptr<char[]> output;
    int length = 0;
    bool success = false;
    GunzipBuffer(reinterpret_cast<const unsigned char*>(body.data()), static_cast<int>(body.size()),
                 output, length, success);
    EXPECT_TRUE(success);
    ASSERT_EQ(static_cast<size_t>(length), text.size());
    EXPECT_EQ(std::string(output.get()), text);
  }
}

TEST(ContentDecoding, BodiesThatYieldNothingFail) {
  std::string page = ReadFileBytes(CorpusPage("webmd-2.html"));
  struct {
    const char* Name;
    int Coding;
    std::string Body;
  } cases[] = {
      {"empty gzip", ccGzip, ""},
      {"empty deflate", ccDeflate, ""},
      {"not compressed at all", ccGzip, page.substr(0, 3000)},
      {"gzip magic with garbage", ccGzip,
       std::string("\x1f\x8b\x08\0\0\0\0\0\0\0", 10) + "\xff\xfe\xfd"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TDecoded decoded = Decode(c.Coding, c.Body);
    EXPECT_EQ(decoded.Result, -1);
    EXPECT_TRUE(decoded.Text.empty());
  }
}

TEST(ContentDecoding, TruncatedGzipKeepsTheBytesDecodedBeforeTheError) {
  std::string page = ReadFileBytes(CorpusPage("webmd-2.html"));
  std::string body = Compress(page, GzipBits);
  body.resize(body.size() / 2);
  std::unique_ptr<char[]> output;
  int length = 0;
  bool success = true;
  GunzipBuffer(reinterpret_cast<const unsigned char*>(body.data()), static_cast<int>(body.size()),
               output, length, success);
  EXPECT_FALSE(success);
  ASSERT_GT(length, 0);
  EXPECT_LT(static_cast<size_t>(length), page.size());
  EXPECT_EQ(page.compare(0, static_cast<size_t>(length), output.get(), static_cast<size_t>(length)),
            0);
}

// A stream that is not whole is no page: cut anywhere, a damaged trailer or
// check value, in every form the codings come in. The bytes decoded before
// the fault stay in the output, and the fault is named.
TEST(ContentDecoding, StreamsThatAreNotWholeFail) {
  const std::string page = ReadFileBytes(CorpusPage("webmd-2.html"));
  const std::string gzip = Compress(page, GzipBits);
  const std::string zlib = Compress(page, ZlibBits);
  const std::string raw = Compress(page, RawBits);
  auto flipped = [](std::string body, size_t fromEnd) {
    body[body.size() - fromEnd] ^= 0x01;
    return body;
  };
  struct {
    const char* Name;
    int Coding;
    std::string Body;
  } cases[] = {
      {"gzip cut halfway", ccGzip, gzip.substr(0, gzip.size() / 2)},
      {"gzip without its trailer", ccGzip, gzip.substr(0, gzip.size() - 8)},
      {"gzip trailer cut", ccGzip, gzip.substr(0, gzip.size() - 3)},
      {"gzip bad CRC", ccGzip, flipped(gzip, 8)},
      {"gzip bad length", ccGzip, flipped(gzip, 1)},
      {"raw deflate cut", ccDeflate, raw.substr(0, raw.size() / 2)},
      {"raw deflate without its last byte", ccDeflate, raw.substr(0, raw.size() - 1)},
      {"zlib cut", ccDeflate, zlib.substr(0, zlib.size() / 2)},
      {"zlib bad check value", ccDeflate, flipped(zlib, 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    AnsiString problem;
    const TDecoded decoded = Decode(c.Coding, c.Body, &problem);
    EXPECT_EQ(decoded.Result, -1);
    EXPECT_FALSE(problem.empty());
    EXPECT_TRUE(page.starts_with(decoded.Text)) << decoded.Text.size() << " bytes";
  }
}

// A gzip body of several members is their texts one after the other, as
// zcat reads it; bytes after the end of the stream that begin no member
// damage the body and never pass for page text.
TEST(ContentDecoding, GzipMembersFollowOneAnotherAndNothingElseFollows) {
  const std::string page = ReadFileBytes(CorpusPage("webmd-2.html"));
  const std::string first = page.substr(0, 1777), second = page.substr(1777);
  const std::string garbage = "\x17\xa9 not a member";
  struct {
    const char* Name;
    int Coding;
    std::string Body;
    int Result;
    std::string Text; // what was decoded; on a failure, before the fault
  } cases[] = {
      {"two members", ccGzip, Gzip(first) + Gzip(second), 0, page},
      {"three members, one stored", ccGzip,
       Gzip(first) + Compress(second.substr(0, 999), GzipBits, 0) + Gzip(second.substr(999)), 0,
       page},
      {"an empty second member", ccGzip, Gzip(page) + Gzip(""), 0, page},
      {"an empty first member", ccGzip, Gzip("") + Gzip(page), 0, page},
      {"a thousand empty members first", ccGzip, Repeated(Gzip(""), 1000) + Gzip(page), 0, page},
      {"a member and trailing garbage", ccGzip, Gzip(page) + garbage, -1, page},
      {"a member and trailing zeros", ccGzip, Gzip(page) + std::string(300, '\0'), -1, page},
      {"a second member cut short", ccGzip, Gzip(first) + Gzip(second).substr(0, 300), -1, ""},
      {"a second member's magic alone", ccGzip, Gzip(page) + "\x1f\x8b", -1, page},
      {"zlib and trailing garbage", ccDeflate, Compress(page, ZlibBits) + garbage, -1, ""},
      {"raw deflate and trailing garbage", ccDeflate, Compress(page, RawBits) + garbage, -1, page},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    AnsiString problem;
    const TDecoded decoded = Decode(c.Coding, c.Body, &problem);
    EXPECT_EQ(decoded.Result, c.Result);
    EXPECT_EQ(problem.empty(), c.Result == 0) << problem;
    if (!c.Text.empty())
      EXPECT_TRUE(decoded.Text == c.Text) << decoded.Text.size() << " bytes of " << c.Text.size();
    else
      EXPECT_TRUE(page.starts_with(decoded.Text)) << decoded.Text.size() << " bytes";
  }
}

// The trailer is checked: a wrong CRC-32 or length fails the stream, yet the
// page inflated before it is kept. A sound trailer succeeds.
TEST(ContentDecoding, GzipTrailerIsChecked) {
  const std::string page = ReadFileBytes(CorpusPage("webmd-2.html"));
  const std::string body = Compress(page, GzipBits);
  struct Case {
    const char* Name;
    size_t FlippedFromEnd; // 0: none
    bool Success;
  };
  const Case cases[] = {{"sound", 0, true}, {"crc", 8, false}, {"length", 1, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::string damaged = body;
    if (c.FlippedFromEnd)
      damaged[damaged.size() - c.FlippedFromEnd] ^= 0x01;
    std::unique_ptr<char[]> output;
    int length = 0;
    bool success = !c.Success;
    GunzipBuffer(reinterpret_cast<const unsigned char*>(damaged.data()),
                 static_cast<int>(damaged.size()), output, length, success);
    EXPECT_EQ(success, c.Success);
    EXPECT_EQ(std::string(output.get(), static_cast<size_t>(length)), page);
  }
}

// A small body that inflates without end must not take all memory.
TEST(ContentDecoding, InflationIsBounded) {
  // Zeros, 8 MB more than the bound, compressed one megabyte at a time.
  const std::string zeros(1u << 20, '\0');
  z_stream stream{};
  ASSERT_EQ(deflateInit2(&stream, 9, Z_DEFLATED, GzipBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
  std::string body(1u << 20, '\0');
  stream.next_out = reinterpret_cast<Bytef*>(body.data());
  stream.avail_out = static_cast<uInt>(body.size());
  const unsigned megabytes = (MaxDecodedLength >> 20) + 8;
  for (unsigned i = 0; i < megabytes; ++i) {
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
    stream.avail_in = static_cast<uInt>(zeros.size());
    ASSERT_EQ(deflate(&stream, i + 1 == megabytes ? Z_FINISH : Z_NO_FLUSH),
              i + 1 == megabytes ? Z_STREAM_END : Z_OK);
  }
  body.resize(stream.total_out);
  deflateEnd(&stream);
  std::unique_ptr<char[]> output;
  int length = 0;
  bool success = true;
  GunzipBuffer(reinterpret_cast<const unsigned char*>(body.data()), static_cast<int>(body.size()),
               output, length, success);
  EXPECT_FALSE(success);
  EXPECT_GE(static_cast<unsigned>(length), MaxDecodedLength);
  EXPECT_LT(static_cast<unsigned>(length), MaxDecodedLength + (1u << 20));
}

TEST(ContentDecoding, OtherCodingsAreCopiedUnchanged) {
  std::string body("plain\0body", 10);
  for (int coding : {int(ccIdentity), int(ccUnknown), 5}) {
    SCOPED_TRACE(coding);
    TDecoded decoded = Decode(coding, body);
    EXPECT_EQ(decoded.Result, 0);
    EXPECT_EQ(decoded.Text, body);
  }
}

TEST(ContentDecoding, ContentEncodingOfHeaderBlocks) {
  struct {
    const char* Header;
    int Expected;
  } cases[] = {
      {"HTTP/1.0 200 OK\r\nContent-Encoding: gzip\r\nContent-Type: text/html", ccGzip},
      {"HTTP/1.0 200 OK\r\ncontent-encoding:GZip", ccGzip},
      {"HTTP/1.0 200 OK\r\nCONTENT-ENCODING:   x-gzip\r\n", ccGzip},
      {"HTTP/1.0 200 OK\r\nContent-Encoding: deflate\r\n", ccDeflate},
      {"HTTP/1.0 200 OK\r\nContent-Encoding: gzip, deflate\r\n", ccDeflate},
      {"HTTP/1.0 200 OK\r\nContent-Encoding: identity\r\n", ccUnknown},
      {"HTTP/1.0 200 OK\r\nContent-Encoding: identity\r\nX-Note: gzip\r\n", ccUnknown},
      {"HTTP/1.0 200 OK\r\nContent-Encoding: br\nX-Was: gzip", ccUnknown},
      {"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nX-Note: gzip\r\n", ccIdentity},
      {"HTTP/1.0 200 OK\r\nX-Content-Encoding: gzip\r\n", ccIdentity},
      {"HTTP/1.0 200 OK\r\nX-Content-Encoding: gzip\r\nContent-Encoding: deflate\r\n", ccDeflate},
      {"HTTP/1.0 200 OK\r\nX-Note: Content-Encoding: gzip\r\n", ccIdentity},
      {"", ccIdentity},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Header);
    EXPECT_EQ(GetContentEncoding(c.Header, static_cast<int>(std::strlen(c.Header))), c.Expected);
  }
  EXPECT_EQ(GetContentEncoding(nullptr, 10), ccIdentity);
  const std::string afterNul = "HTTP/1.0 200 OK\r\nX-Note: \0\r\nContent-Encoding: gzip\r\n"s;
  EXPECT_EQ(GetContentEncoding(afterNul.data(), static_cast<int>(afterNul.size())), ccGzip);
  // Only the given length of the block counts.
  const char* header = "HTTP/1.0 200 OK\r\nX: y\r\nContent-Encoding: gzip\r\n";
  EXPECT_EQ(GetContentEncoding(header, 20), ccIdentity);
}

} // namespace
