#include "engine/Miscstr.h"

#include "platform/rtl/Codepage.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string_view>
#include <strings.h>
#include <unordered_map>

namespace {

bool IsAsciiAlnum(int code) {
  return (code >= '0' && code <= '9') || (code >= 'A' && code <= 'Z') ||
         (code >= 'a' && code <= 'z');
}

// Latin Extended-A (256 to 383): the base letter in the same case, '?' where
// there is none or where a Windows-1252 byte takes over below.
constexpr char kLatinExtendedA[] = "AaAaAaCcCcCcCcDd"
                                   "?dEeEeEeEeEeGgGg"
                                   "GgGgHhHhIiIiIiIi"
                                   "Ii??JjKk?LlLlLl?"
                                   "?LlNnNnNn???OoOo"
                                   "Oo??RrRrRrSsSsSs"
                                   "??TtTtTtUuUuUuUu"
                                   "UuUuWwYy?ZzZz???";

char LatinExtendedAByte(int code) {
  switch (code) {
  case 272:
    return '\xD0';
  case 338:
    return '\x8C';
  case 339:
    return '\x9C';
  case 352:
    return '\x8A';
  case 353:
    return '\x9A';
  case 376:
    return '\x9F';
  case 381:
    return '\x8E';
  case 382:
    return '\x9E';
  default:
    return kLatinExtendedA[code - 256];
  }
}

void AddNumericEntities(std::vector<THtmlEntity>& table) {
  auto add = [&](int code, char byte) {
    table.push_back({"&#" + std::to_string(code) + ";", byte});
  };
  // Digits and letters decode to nothing; so do the codes Windows-1252 leaves unassigned.
  constexpr int kAbsent[] = {127, 129, 141, 143, 144, 157};
  for (int code = 33; code <= 255; ++code) {
    if (IsAsciiAlnum(code) ||
        std::find(std::begin(kAbsent), std::end(kAbsent), code) != std::end(kAbsent))
      continue;
    add(code, static_cast<char>(code));
  }
  for (int code = 256; code <= 383; ++code)
    add(code, LatinExtendedAByte(code));
  add(402, '\x83');
  add(416, 'O');
  add(417, 'o');
  add(431, 'U');
  add(432, 'u');
  constexpr char kPinyin[] = "AaIiOoUuUuUuUuUu";
  for (int code = 461; code <= 476; ++code)
    add(code, kPinyin[code - 461]);
  for (int code = 506; code <= 511; ++code)
    add(code, '?');
}

struct TNamedEntity {
  const char* Name;
  unsigned char Byte;
};

// The HTML 4 entities whose character exists in Windows-1252.
constexpr TNamedEntity kNamedEntities[] = {
    {"nbsp", 0xA0},   {"iexcl", 0xA1},  {"cent", 0xA2},   {"pound", 0xA3},  {"curren", 0xA4},
    {"yen", 0xA5},    {"brvbar", 0xA6}, {"sect", 0xA7},   {"uml", 0xA8},    {"copy", 0xA9},
    {"ordf", 0xAA},   {"laquo", 0xAB},  {"not", 0xAC},    {"shy", 0xAD},    {"reg", 0xAE},
    {"macr", 0xAF},   {"deg", 0xB0},    {"plusmn", 0xB1}, {"sup2", 0xB2},   {"sup3", 0xB3},
    {"acute", 0xB4},  {"micro", 0xB5},  {"para", 0xB6},   {"middot", 0xB7}, {"cedil", 0xB8},
    {"sup1", 0xB9},   {"ordm", 0xBA},   {"raquo", 0xBB},  {"frac14", 0xBC}, {"frac12", 0xBD},
    {"frac34", 0xBE}, {"iquest", 0xBF}, {"Agrave", 0xC0}, {"Aacute", 0xC1}, {"Acirc", 0xC2},
    {"Atilde", 0xC3}, {"Auml", 0xC4},   {"Aring", 0xC5},  {"AElig", 0xC6},  {"Ccedil", 0xC7},
    {"Egrave", 0xC8}, {"Eacute", 0xC9}, {"Ecirc", 0xCA},  {"Euml", 0xCB},   {"Igrave", 0xCC},
    {"Iacute", 0xCD}, {"Icirc", 0xCE},  {"Iuml", 0xCF},   {"ETH", 0xD0},    {"Ntilde", 0xD1},
    {"Ograve", 0xD2}, {"Oacute", 0xD3}, {"Ocirc", 0xD4},  {"Otilde", 0xD5}, {"Ouml", 0xD6},
    {"times", 0xD7},  {"Oslash", 0xD8}, {"Ugrave", 0xD9}, {"Uacute", 0xDA}, {"Ucirc", 0xDB},
    {"Uuml", 0xDC},   {"Yacute", 0xDD}, {"THORN", 0xDE},  {"szlig", 0xDF},  {"agrave", 0xE0},
    {"aacute", 0xE1}, {"acirc", 0xE2},  {"atilde", 0xE3}, {"auml", 0xE4},   {"aring", 0xE5},
    {"aelig", 0xE6},  {"ccedil", 0xE7}, {"egrave", 0xE8}, {"eacute", 0xE9}, {"ecirc", 0xEA},
    {"euml", 0xEB},   {"igrave", 0xEC}, {"iacute", 0xED}, {"icirc", 0xEE},  {"iuml", 0xEF},
    {"eth", 0xF0},    {"ntilde", 0xF1}, {"ograve", 0xF2}, {"oacute", 0xF3}, {"ocirc", 0xF4},
    {"otilde", 0xF5}, {"ouml", 0xF6},   {"divide", 0xF7}, {"oslash", 0xF8}, {"ugrave", 0xF9},
    {"uacute", 0xFA}, {"ucirc", 0xFB},  {"uuml", 0xFC},   {"yacute", 0xFD}, {"thorn", 0xFE},
    {"yuml", 0xFF},   {"quot", 0x22},   {"amp", 0x26},    {"lt", 0x3C},     {"gt", 0x3E},
    {"OElig", 0x8C},  {"oelig", 0x9C},  {"Scaron", 0x8A}, {"scaron", 0x9A}, {"Yuml", 0x9F},
    {"circ", 0x88},   {"tilde", 0x98},  {"ndash", 0x96},  {"mdash", 0x97},  {"lsquo", 0x91},
    {"rsquo", 0x92},  {"sbquo", 0x82},  {"ldquo", 0x93},  {"rdquo", 0x94},  {"bdquo", 0x84},
    {"dagger", 0x86}, {"Dagger", 0x87}, {"permil", 0x89}, {"lsaquo", 0x8B}, {"rsaquo", 0x9B},
    {"euro", 0x80},   {"fnof", 0x83},   {"bull", 0x95},   {"hellip", 0x85}, {"trade", 0x99},
};

void AddNamedEntities(std::vector<THtmlEntity>& table) {
  std::vector<THtmlEntity> named;
  for (const auto& e : kNamedEntities) {
    AnsiString entity = "&";
    entity.append(e.Name).append(";");
    named.push_back({entity, static_cast<char>(e.Byte)});
  }
  // Without regard to case; of two names equal so, the capital one comes first.
  std::sort(named.begin(), named.end(), [](const THtmlEntity& a, const THtmlEntity& b) {
    int c = strcasecmp(a.Entity.c_str(), b.Entity.c_str());
    return c != 0 ? c < 0 : a.Entity < b.Entity;
  });
  table.insert(table.end(), named.begin(), named.end());
}

std::vector<THtmlEntity> BuildEntityTable() {
  std::vector<THtmlEntity> table;
  AddNumericEntities(table);
  AddNamedEntities(table);
  return table;
}

using TEntityIndex = std::unordered_map<std::string_view, char>;

const TEntityIndex& EntityIndex() {
  static const TEntityIndex index = [] {
    TEntityIndex built;
    for (const auto& e : HtmlEntityTable())
      built.emplace(e.Entity, e.Replacement);
    return built;
  }();
  return index;
}

// An entity runs from '&' to a ';' at most this many characters on.
constexpr int kEntityWindow = 8;

} // namespace

const std::vector<THtmlEntity>& HtmlEntityTable() {
  static const std::vector<THtmlEntity> table = BuildEntityTable();
  return table;
}

namespace {

// Moves the text from in up to the next character of reject (or the end) to
// out, leaving both behind it; false at the end of the text.
bool MoveRunUntil(char*& out, const char*& in, const char* reject) {
  const size_t run = std::strcspn(in, reject);
  if (out != in)
    std::memmove(out, in, run);
  out += run;
  in += run;
  return *in != '\0';
}

// Codes up to 511 decode as their reference in the table says; -1 where the
// table has no reference, so the reference disappears.
const std::array<int, 512>& LowCodeBytes() {
  static const std::array<int, 512> bytes = [] {
    std::array<int, 512> built;
    built.fill(-1);
    for (const auto& e : HtmlEntityTable())
      if (e.Entity[1] == '#')
        built[std::stoi(e.Entity.substr(2))] = static_cast<unsigned char>(e.Replacement);
    return built;
  }();
  return bytes;
}

// The code of a numeric reference whose table lookup failed ("&#x...;" in
// any case, or a decimal one above the table); -1 when it is neither.
long NumericCode(std::string_view reference) {
  const bool hex = reference.size() > 3 && (reference[2] == 'x' || reference[2] == 'X');
  const std::string_view digits = reference.substr(hex ? 3 : 2, reference.size() - (hex ? 4 : 3));
  if (digits.empty() || (!hex && digits[0] == '0'))
    return -1;
  long code = 0;
  for (char c : digits) {
    const int digit = std::isdigit(static_cast<unsigned char>(c))
                          ? c - '0'
                          : (hex && std::isxdigit(static_cast<unsigned char>(c))
                                 ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                                 : -1);
    if (digit < 0)
      return -1;
    code = code * (hex ? 16 : 10) + digit;
  }
  return hex || code > 511 ? code : -1;
}

// Writes what a numeric reference outside the table stands for: the table's
// byte for a low code, the Windows-1252 byte of a higher character, else the
// character's UTF-8 bytes (fewer than the reference's own). Nothing for a
// code that is no character.
char* WriteNumericReference(char* out, std::string_view reference) {
  const long code = NumericCode(reference);
  if (code < 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
    return out;
  if (code < 512) {
    const int byte = LowCodeBytes()[code];
    if (byte >= 0)
      *out++ = static_cast<char>(byte);
    return out;
  }
  const int byte = Cp1252ByteOf(static_cast<char32_t>(code));
  if (byte >= 0) {
    *out++ = static_cast<char>(byte);
    return out;
  }
  return out + EncodeUtf8(static_cast<char32_t>(code), out);
}

// The byte a well-formed sequence folds to, -1 when it stays as it is.
int FoldedByte(char32_t codePoint) {
  if (codePoint == 0xA0)
    return ' ';
  return codePoint < 0xA0 ? -1 : Cp1252ByteOf(codePoint);
}

} // namespace

// The text between entities moves in runs, found by the library's search.
int DecodeHtmlEntities(char* text) {
  if (text == nullptr)
    return 0;
  const TEntityIndex& index = EntityIndex();
  char* out = text;
  const char* in = text;
  while (MoveRunUntil(out, in, "&")) {
    int k = 1;
    while (k <= kEntityWindow && in[k] != '\0' && in[k] != ';')
      ++k;
    if (k > kEntityWindow || in[k] != ';') {
      *out++ = *in++;
      continue;
    }
    const std::string_view entity(in, k + 1);
    auto found = index.find(entity);
    if (found != index.end())
      *out++ = found->second;
    else if (in[1] == '#')
      out = WriteNumericReference(out, entity);
    in += k + 1;
  }
  *out = '\0';
  return 0;
}

// Only leads C2 to CB (U+0080 to U+02FF) and E2 (U+2000 to U+2FFF) begin a
// sequence of a character Windows-1252 has, so the text moves in runs up to
// the next of them and every other sequence moves with the run.
constexpr char kFoldLeads[] = "\xC2\xC3\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xE2";

int FoldUtf8(char* text) {
  if (text == nullptr)
    return 0;
  char* out = text;
  const char* in = text;
  while (MoveRunUntil(out, in, kFoldLeads)) {
    char32_t codePoint = 0;
    const size_t length = Utf8SequenceAt(std::string_view(in, strnlen(in, 3)), codePoint);
    const int byte = length > 0 ? FoldedByte(codePoint) : -1;
    if (byte < 0) {
      *out++ = *in++;
      continue;
    }
    *out++ = static_cast<char>(byte);
    in += length;
  }
  *out = '\0';
  return 0;
}

int ControlsToBlanks(char* text) {
  if (text == nullptr)
    return 0;
  int count = 0;
  for (char* p = text + std::strcspn(text, "\t\n\r\x1B"); *p != '\0';
       p += std::strcspn(p, "\t\n\r\x1B")) {
    *p++ = ' ';
    ++count;
  }
  return count;
}

AnsiString ReplaceAll(const AnsiString& text, const AnsiString& pattern,
                      const AnsiString& replacement) {
  if (pattern.empty() || replacement.find(pattern) != AnsiString::npos)
    return text;
  AnsiString result = text;
  // Searching again from the start after each replacement finds nothing before
  // the replaced place except an occurrence that overlaps it, so the search
  // resumes just that far back.
  size_t from = 0;
  for (size_t done = 0; done < text.size(); ++done) {
    size_t at = result.find(pattern, from);
    if (at == AnsiString::npos)
      break;
    result.replace(at, pattern.size(), replacement);
    from = at >= pattern.size() - 1 ? at - (pattern.size() - 1) : 0;
  }
  return result;
}

char* DuplicateBytes(const char* bytes, int n) {
  if (bytes == nullptr)
    return new char[1]{'\0'};
  const size_t count = n > 0 ? static_cast<size_t>(n) : std::strlen(bytes);
  char* copy = new char[count + 1];
  std::memcpy(copy, bytes, count);
  copy[count] = '\0';
  return copy;
}
