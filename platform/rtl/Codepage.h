#pragma once
// Text is Windows-1252 inside the system, and a character the code page lacks
// is kept as its UTF-8 bytes; the screen, the terminal and JSON speak UTF-8.
// These two conversions are the only crossing point, and the few code point
// helpers below are what the engine's folding shares with them.
#include <cstddef>
#include <string>
#include <string_view>

// A well-formed UTF-8 sequence of a character above U+00FF shows as that
// character; every other byte as its Windows-1252 character. The output is
// always well-formed UTF-8.
std::string Cp1252ToUtf8(std::string_view text);
// A character Windows-1252 has becomes its byte; one it lacks becomes its
// UTF-8 bytes, so text read back from the screen is the text shown there.
// Malformed UTF-8 bytes are taken as Windows-1252 bytes of their own, so no
// input is lost.
std::string Utf8ToCp1252(std::string_view text);

// The Windows-1252 byte of a character (ASCII, U+00A0 to U+00FF and the 27
// characters of 0x80 to 0x9F), -1 when the code page has none.
int Cp1252ByteOf(char32_t codePoint);
// The length of the well-formed UTF-8 sequence that starts text, with its
// character in codePoint; 0 for a malformed, cut, overlong or surrogate one,
// and for a single ASCII byte.
// Inline: the fold calls it for every lead byte of a page.
inline size_t Utf8SequenceAt(std::string_view text, char32_t& codePoint) {
  if (text.empty())
    return 0;
  auto b = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = b(0);
  const size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (len == 0 || lead > 0xF4 || len > text.size())
    return 0;
  char32_t code = lead & (0x7F >> len);
  for (size_t k = 1; k < len; ++k) {
    if ((b(k) & 0xC0) != 0x80)
      return 0;
    code = (code << 6) | (b(k) & 0x3F);
  }
  constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < kMin[len] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return 0;
  codePoint = code;
  return len;
}
// Writes the UTF-8 bytes of a code point (below U+110000) to out, which has
// room for 4; returns how many.
size_t EncodeUtf8(char32_t codePoint, char* out);
