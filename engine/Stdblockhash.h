#pragma once
// Digests of byte blocks and their text form over any alphabet of 2 to 256
// distinct characters, used to fingerprint pages.
#include <cstdint>
#include <memory>

// Writes bytes as text by packing their bits, low bits first, into symbols of
// floor(log2(alphabet length)) bits each. Alphabets whose length is not a
// power of two spread the symbols over the whole alphabet by a rolling offset.
class StdBlockConvertor {
public:
  StdBlockConvertor();
  // Returns 1 when the text was taken, 0 when a repeated character made it
  // fall back to the default alphabet. Null or under two characters selects
  // the default alphabet.
  int SetAlphabet(const char* alphabet);
  std::unique_ptr<char[]> Encode(const unsigned char* bytes, int count);

private:
  void AdvanceRoll(uint32_t& roll) const;

  char Alphabet[256];
  int32_t ReverseMap[256];
  uint32_t AlphabetLength = 0;
  uint32_t BitsPerSymbol = 0; // 0 until an alphabet is set
  uint32_t RollLimit = 0;
  uint32_t Mask = 0;
  double SymbolsPerByte = 0;
};

enum : int { hmMD5 = 0, hmMD2 = 1, hmCRC32 = 2 };

class StdBlockHash {
public:
  // Any mode but MD2 and CRC32 selects MD5.
  StdBlockHash(int mode, const char* alphabet);
  // Writes DigestSize bytes to output; returns 0.
  int Compute(const unsigned char* bytes, int count, unsigned char* output);
  int GetDigestSize() const { return DigestSize; }
  StdBlockConvertor Convertor;

private:
  int DigestSize;
  int Mode;
  std::unique_ptr<unsigned char[]> Digest;
};
