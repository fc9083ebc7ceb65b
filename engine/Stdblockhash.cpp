#include "engine/Stdblockhash.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#define CRYPTOPP_ENABLE_NAMESPACE_WEAK 1
#include <crypto++/crc.h>
#include <crypto++/md2.h>
#include <crypto++/md5.h>

namespace {

const char DefaultAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+/";

std::unique_ptr<CryptoPP::HashTransformation> NewHash(int mode) {
  switch (mode) {
  case hmMD2:
    return std::make_unique<CryptoPP::Weak::MD2>();
  case hmCRC32:
    return std::make_unique<CryptoPP::CRC32>();
  default:
    return std::make_unique<CryptoPP::Weak::MD5>();
  }
}

int NormalMode(int mode) {
  return mode == hmMD2 || mode == hmCRC32 ? mode : hmMD5;
}

} // namespace

StdBlockConvertor::StdBlockConvertor() {
  std::memset(Alphabet, 0, sizeof Alphabet);
  std::fill(std::begin(ReverseMap), std::end(ReverseMap), -1);
}

int StdBlockConvertor::SetAlphabet(const char* alphabet) {
  const char* text = alphabet;
  if (text == nullptr || std::strlen(text) < 2)
    text = DefaultAlphabet;
  int taken = 1;
  for (;;) {
    // Beyond 256 characters a repeat is certain, so the length is bounded.
    size_t length = strnlen(text, 257);
    std::memset(Alphabet, 0, sizeof Alphabet);
    std::fill(std::begin(ReverseMap), std::end(ReverseMap), -1);
    bool repeated = false;
    for (size_t i = 0; i < length; ++i) {
      auto symbol = static_cast<unsigned char>(text[i]);
      repeated = ReverseMap[symbol] != -1;
      if (repeated)
        break;
      Alphabet[i] = text[i];
      ReverseMap[symbol] = static_cast<int32_t>(i);
    }
    if (!repeated) {
      AlphabetLength = static_cast<uint32_t>(length);
      break;
    }
    text = DefaultAlphabet;
    taken = 0;
  }
  BitsPerSymbol = static_cast<uint32_t>(std::log(AlphabetLength) / std::log(2.0) + 0.000001);
  Mask = (1u << BitsPerSymbol) - 1;
  SymbolsPerByte = 8.0 / BitsPerSymbol;
  RollLimit = AlphabetLength - (1u << BitsPerSymbol);
  return taken;
}

void StdBlockConvertor::AdvanceRoll(uint32_t& roll) const {
  if (RollLimit < 1)
    return;
  roll = roll + 1 > RollLimit ? 0 : roll + 1;
}

std::unique_ptr<char[]> StdBlockConvertor::Encode(const unsigned char* bytes, int count) {
  if (BitsPerSymbol == 0)
    SetAlphabet(nullptr);
  size_t n = count > 0 ? static_cast<size_t>(count) : 0;
  size_t size = static_cast<size_t>(std::floor((n + 0.00000001) * SymbolsPerByte)) + 2;
  std::unique_ptr<char[]> text(new char[size]());
  uint32_t accumulator = 0;
  uint32_t pending = 0;
  uint32_t roll = 0;
  size_t out = 0;
  for (size_t i = 0; i < n; ++i) {
    accumulator |= static_cast<uint32_t>(bytes[i]) << pending;
    pending += 8;
    while (pending >= BitsPerSymbol) {
      pending -= BitsPerSymbol;
      uint32_t value = accumulator & Mask;
      accumulator >>= BitsPerSymbol;
      AdvanceRoll(roll);
      text[out++] = Alphabet[value + roll];
    }
  }
  if (pending > 0) {
    AdvanceRoll(roll);
    text[out++] = Alphabet[(accumulator & Mask) + roll];
  }
  text[out] = '\0';
  return text;
}

StdBlockHash::StdBlockHash(int mode, const char* alphabet) : Mode(NormalMode(mode)) {
  DigestSize = static_cast<int>(NewHash(Mode)->DigestSize());
  Digest.reset(new unsigned char[static_cast<size_t>(DigestSize)]);
  Convertor.SetAlphabet(alphabet);
}

int StdBlockHash::Compute(const unsigned char* bytes, int count, unsigned char* output) {
  auto hash = NewHash(Mode);
  size_t block = std::max(1u, hash->BlockSize());
  size_t n = count > 0 ? static_cast<size_t>(count) : 0;
  size_t whole = n - n % block;
  if (whole > 0)
    hash->Update(bytes, whole);
  if (whole < n) {
    // The tail goes through a zeroed block-sized buffer, fed with its real length.
    std::unique_ptr<unsigned char[]> last(new unsigned char[block]());
    std::memcpy(last.get(), bytes + whole, n - whole);
    hash->Update(last.get(), n - whole);
  }
  hash->Final(Digest.get());
  std::memcpy(output, Digest.get(), static_cast<size_t>(DigestSize));
  return 0;
}
