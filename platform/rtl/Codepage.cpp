#include "platform/rtl/Codepage.h"

#include <cstdint>

namespace {

// Unicode code points of the bytes 0x80 to 0x9F; 0 marks the five bytes
// Windows-1252 leaves undefined, which map to the C1 control of the same value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char32_t CodePointOf(unsigned char byte) {
  if (byte < 0x80 || byte > 0x9F)
    return byte;
  char16_t mapped = kHighControls[byte - 0x80];
  return mapped ? mapped : byte;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

int ByteForCodePoint(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
    return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    char32_t mapped = kHighControls[i] ? kHighControls[i] : static_cast<char32_t>(0x80 + i);
    if (mapped == cp)
      return 0x80 + i;
  }
  return -1;
}

// Decodes one UTF-8 sequence at text[i]; returns its length, 0 when malformed.
size_t DecodeUtf8(std::string_view text, size_t i, char32_t& cp) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char lead = b(i);
  size_t len = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (len == 0 || lead > 0xF4 || i + len > text.size())
    return 0;
  cp = lead & (0x7F >> len);
  for (size_t k = 1; k < len; ++k) {
    if ((b(i + k) & 0xC0) != 0x80)
      return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  static constexpr char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
  return cp >= kMin[len] ? len : 0;
}

} // namespace

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (unsigned char byte : text)
    AppendUtf8(out, CodePointOf(byte));
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    char32_t cp = 0;
    size_t len = lead < 0x80 ? 1 : DecodeUtf8(text, i, cp);
    if (len == 0) {
      out += static_cast<char>(lead);
      ++i;
      continue;
    }
    if (len == 1) {
      out += static_cast<char>(lead);
    } else {
      int mapped = ByteForCodePoint(cp);
      out += mapped < 0 ? '?' : static_cast<char>(mapped);
    }
    i += len;
  }
  return out;
}
