#include "engine/Stdblockhash.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

const unsigned char Abc[] = {'a', 'b', 'c'};
const char Nibbles[] = "1234567890ABCDEF";

std::string Encode(StdBlockConvertor& convertor, const unsigned char* bytes, int count) {
  return convertor.Encode(bytes, count).get();
}

std::string Hex(const unsigned char* bytes, int count) {
  static const char Digits[] = "0123456789abcdef";
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += Digits[bytes[i] >> 4];
    text += Digits[bytes[i] & 15];
  }
  return text;
}

TEST(BlockConvertor, EncodesOverAlphabetsOfEveryKind) {
  struct {
    const char* Alphabet;
    int Taken;
    std::string Expected;
  } cases[] = {
      {Nibbles, 1, "273747"},
      {nullptr, 1, "Hj2y"},
      {"", 1, "Hj2y"},
      {"x", 1, "Hj2y"},
      {"0123456789", 1, "26128615"},
      {"01", 1, "100001100100011011000110"},
      {"abcdefghija", 0, "Hj2y"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Alphabet ? c.Alphabet : "(null)");
    StdBlockConvertor convertor;
    EXPECT_EQ(convertor.SetAlphabet(c.Alphabet), c.Taken);
    EXPECT_EQ(Encode(convertor, Abc, 3), c.Expected);
    EXPECT_EQ(Encode(convertor, Abc, 0), "");
  }
}

TEST(BlockConvertor, EncodesWithTheDefaultAlphabetWhenNoneWasSet) {
  StdBlockConvertor convertor;
  EXPECT_EQ(Encode(convertor, Abc, 3), "Hj2y");
}

TEST(BlockHash, DigestsOfAbc) {
  struct {
    int Mode;
    int Size;
    const char* Hex;
  } cases[] = {
      {hmMD5, 16, "900150983cd24fb0d6963f7d28e17f72"},
      {hmMD2, 16, "da853b0d3f88d99b30283a69e6ded6bb"},
      {hmCRC32, 4, "c2412435"},
      {7, 16, "900150983cd24fb0d6963f7d28e17f72"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Mode);
    StdBlockHash hash(c.Mode, Nibbles);
    ASSERT_EQ(hash.GetDigestSize(), c.Size);
    unsigned char digest[16] = {};
    EXPECT_EQ(hash.Compute(Abc, 3, digest), 0);
    EXPECT_EQ(Hex(digest, c.Size), c.Hex);
  }
}

TEST(BlockHash, Md5OfAbcWrittenOverTheNibbleAlphabet) {
  StdBlockHash hash(hmMD5, Nibbles);
  unsigned char digest[16];
  hash.Compute(Abc, 3, digest);
  EXPECT_EQ(Encode(hash.Convertor, digest, 16), "10211690C43DF51B7D70F4D8932EF838");
}

// Inputs that end in a partial block, and longer than one block, still give
// the digest of the whole input.
TEST(BlockHash, Md5OfInputsAcrossBlockBoundaries) {
  struct {
    std::string Input;
    const char* Hex;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
      {"The quick brown fox jumps over the lazy dog", "9e107d9d372bb6826bd81d3542a419d6"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Input);
    StdBlockHash hash(hmMD5, nullptr);
    unsigned char digest[16];
    hash.Compute(reinterpret_cast<const unsigned char*>(c.Input.data()),
                 static_cast<int>(c.Input.size()), digest);
    EXPECT_EQ(Hex(digest, 16), c.Hex);
  }
}

} // namespace
