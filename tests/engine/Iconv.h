#pragma once
// Character sets converted by the C library's iconv: the tests' own reference
// for what the text functions should give.
#include <iconv.h>

#include <optional>
#include <string>

// The bytes converted from one character set to another; nothing when iconv
// cannot convert them all.
inline std::optional<std::string> IconvConvert(std::string bytes, const char* to,
                                               const char* from) {
  iconv_t cd = iconv_open(to, from);
  char out[64] = {};
  char* ip = bytes.data();
  char* op = out;
  size_t il = bytes.size(), ol = sizeof out;
  const size_t rc = iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1))
    return std::nullopt;
  return std::string(out, static_cast<size_t>(op - out));
}

inline std::string Utf32Of(char32_t code) {
  return {static_cast<char>(code & 0xFF), static_cast<char>((code >> 8) & 0xFF),
          static_cast<char>((code >> 16) & 0xFF), 0};
}

// The UTF-8 bytes of a code point.
inline std::string IconvUtf8Of(char32_t code) {
  return IconvConvert(Utf32Of(code), "UTF-8", "UTF-32LE").value_or("");
}

// The Windows-1252 byte of a code point, -1 when the code page lacks it.
inline int IconvWindows1252Byte(char32_t code) {
  const auto byte = IconvConvert(Utf32Of(code), "CP1252", "UTF-32LE");
  return byte && byte->size() == 1 ? static_cast<unsigned char>((*byte)[0]) : -1;
}
