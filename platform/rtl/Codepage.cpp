#include "platform/rtl/Codepage.h"

#include <array>
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
  char bytes[4];
  out.append(bytes, EncodeUtf8(cp, bytes));
}

// The byte a character read from the screen goes back to: the code page's,
// or for the five undefined bytes the C1 control they were shown as.
int ByteFromScreen(char32_t cp) {
  const int byte = Cp1252ByteOf(cp);
  if (byte >= 0 || cp < 0x80 || cp > 0x9F)
    return byte;
  return kHighControls[cp - 0x80] == 0 ? static_cast<int>(cp) : -1;
}

} // namespace

int Cp1252ByteOf(char32_t cp) {
  // The 27 characters of 0x80 to 0x9F lie below U+0300 or in U+2000 to
  // U+2122; a table of each range finds them at once.
  struct TRanges {
    std::array<unsigned char, 0x300> Low{};
    std::array<unsigned char, 0x123> Punctuation{};
  };
  static const TRanges ranges = [] {
    TRanges built;
    for (int i = 0; i < 32; ++i) {
      const char32_t mapped = kHighControls[i];
      if (mapped >= 0x2000)
        built.Punctuation[mapped - 0x2000] = static_cast<unsigned char>(0x80 + i);
      else if (mapped != 0)
        built.Low[mapped] = static_cast<unsigned char>(0x80 + i);
    }
    return built;
  }();
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
    return static_cast<int>(cp);
  unsigned char byte = 0;
  if (cp < ranges.Low.size())
    byte = ranges.Low[cp];
  else if (cp >= 0x2000 && cp - 0x2000 < ranges.Punctuation.size())
    byte = ranges.Punctuation[cp - 0x2000];
  return byte != 0 ? byte : -1;
}

size_t EncodeUtf8(char32_t cp, char* out) {
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  if (cp < 0x800) {
    out[0] = static_cast<char>(0xC0 | (cp >> 6));
    out[1] = static_cast<char>(0x80 | (cp & 0x3F));
    return 2;
  }
  if (cp < 0x10000) {
    out[0] = static_cast<char>(0xE0 | (cp >> 12));
    out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[2] = static_cast<char>(0x80 | (cp & 0x3F));
    return 3;
  }
  out[0] = static_cast<char>(0xF0 | (cp >> 18));
  out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
  out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  out[3] = static_cast<char>(0x80 | (cp & 0x3F));
  return 4;
}

std::string Cp1252ToUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    char32_t cp = 0;
    const size_t len = byte < 0xC2 ? 0 : Utf8SequenceAt(text.substr(i), cp);
    if (len > 0 && cp > 0xFF) {
      out.append(text.substr(i, len));
      i += len;
      continue;
    }
    AppendUtf8(out, CodePointOf(byte));
    ++i;
  }
  return out;
}

std::string Utf8ToCp1252(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    char32_t cp = 0;
    const size_t len = lead < 0x80 ? 1 : Utf8SequenceAt(text.substr(i), cp);
    if (len == 0) {
      out += static_cast<char>(lead);
      ++i;
      continue;
    }
    const int mapped = len == 1 ? lead : ByteFromScreen(cp);
    if (mapped < 0)
      out.append(text.substr(i, len));
    else
      out += static_cast<char>(mapped);
    i += len;
  }
  return out;
}
