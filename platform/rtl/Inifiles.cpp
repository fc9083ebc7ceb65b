#include "platform/rtl/Inifiles.h"

#include "platform/rtl/Fileutils.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t';
}

AnsiString Trim(const AnsiString& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsSpace(s[b]))
    ++b;
  while (e > b && IsSpace(s[e - 1]))
    --e;
  return s.substr(b, e - b);
}

// The section a header line names, or false when the line is no header.
bool SectionName(const AnsiString& line, AnsiString& name) {
  const AnsiString t = Trim(line);
  if (t.empty() || t[0] != '[')
    return false;
  const size_t close = t.find(']');
  name = Trim(t.substr(1, close == AnsiString::npos ? AnsiString::npos : close - 1));
  return true;
}

bool KeyLine(const AnsiString& line, AnsiString& key, AnsiString& value) {
  const size_t eq = line.find('=');
  if (eq == AnsiString::npos)
    return false;
  key = Trim(line.substr(0, eq));
  if (key.empty() || key[0] == ';')
    return false;
  value = Trim(line.substr(eq + 1));
  return true;
}

// Where one section lies in the file: the header line and the line after its
// last line; header -1 when the section is missing.
struct Span {
  int header = -1;
  int end = -1;
};

Span FindSection(const std::vector<AnsiString>& lines, const AnsiString& section) {
  Span span;
  AnsiString name;
  for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
    if (!SectionName(lines[i], name))
      continue;
    if (span.header >= 0) {
      span.end = i;
      return span;
    }
    if (AnsiSameText(name, section))
      span.header = i;
  }
  if (span.header >= 0)
    span.end = static_cast<int>(lines.size());
  return span;
}

int FindKey(const std::vector<AnsiString>& lines, Span span, const AnsiString& ident) {
  AnsiString key, value;
  for (int i = span.header + 1; i < span.end; ++i)
    if (KeyLine(lines[i], key, value) && AnsiSameText(key, ident))
      return i;
  return -1;
}

AnsiString Unquoted(const AnsiString& value) {
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    return value.substr(1, value.size() - 2);
  return value;
}

bool ParseInteger(const AnsiString& text, int& result) {
  AnsiString s = Trim(text);
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.erase(0, 1);
  }
  int base = 10;
  if (s.size() > 1 && s[0] == '$') {
    base = 16;
    s.erase(0, 1);
  } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.erase(0, 2);
  }
  if (s.empty() || !std::isxdigit(static_cast<unsigned char>(s[0])))
    return false;
  errno = 0;
  char* end = nullptr;
  const unsigned long long magnitude = std::strtoull(s.c_str(), &end, base);
  if (*end != '\0' || errno == ERANGE)
    return false;
  // Hexadecimal spells the 32 bits; decimal must stay inside the range.
  if (base == 16) {
    if (magnitude > 0xFFFFFFFFull)
      return false;
    const auto bits = static_cast<int>(static_cast<unsigned>(magnitude));
    result = negative ? -bits : bits;
    return true;
  }
  const unsigned long long limit = negative ? 2147483648ull : 2147483647ull;
  if (magnitude > limit)
    return false;
  result = static_cast<int>(negative ? -static_cast<long long>(magnitude)
                                     : static_cast<long long>(magnitude));
  return true;
}

// The file's lines; false when a file is there but cannot be read whole (no
// permission, a folder, a device, a failing read). A missing file has none.
bool ReadLines(const AnsiString& fileName, std::vector<AnsiString>& lines) {
  lines.clear();
  // Non-blocking, so that a pipe put in the file's place cannot stall the open.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0)
    return errno == ENOENT;
  struct stat st;
  bool whole = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  AnsiString text;
  char buffer[65536];
  while (whole) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0)
      break;
    if (n < 0 && errno == EINTR)
      continue;
    whole = n > 0;
    if (whole)
      text.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  if (!whole)
    return false;
  TStringList list;
  list.SetText(text);
  for (int i = 0; i < list.Count(); ++i)
    lines.push_back(list.Strings(i));
  return true;
}

} // namespace

bool TIniFile::Unreadable() const {
  Lines lines;
  return !ReadLines(fileName, lines);
}

TIniFile::Lines TIniFile::Load() const {
  Lines lines;
  ReadLines(fileName, lines);
  return lines;
}

TIniFile::Lines TIniFile::LoadForChange() const {
  Lines lines;
  if (!ReadLines(fileName, lines))
    throw EIniFileException("Unable to read " + fileName);
  return lines;
}

void TIniFile::Store(const Lines& lines) const {
  AnsiString text;
  for (const auto& line : lines)
    text += line + "\r\n";
  if (!WriteFileSafely(fileName,
                       [&text](FILE* file) { std::fwrite(text.data(), 1, text.size(), file); }))
    throw EIniFileException("Unable to write to " + fileName);
}

AnsiString TIniFile::ReadString(const AnsiString& section, const AnsiString& ident,
                                const AnsiString& defaultValue) const {
  const Lines lines = Load();
  const Span span = FindSection(lines, section);
  const int at = span.header < 0 ? -1 : FindKey(lines, span, ident);
  AnsiString key, value;
  if (at < 0 || !KeyLine(lines[at], key, value))
    return defaultValue;
  return Unquoted(value);
}

int TIniFile::ReadInteger(const AnsiString& section, const AnsiString& ident,
                          int defaultValue) const {
  int value = 0;
  return ParseInteger(ReadString(section, ident, ""), value) ? value : defaultValue;
}

bool TIniFile::ReadBool(const AnsiString& section, const AnsiString& ident,
                        bool defaultValue) const {
  return ReadInteger(section, ident, defaultValue ? 1 : 0) != 0;
}

void TIniFile::WriteString(const AnsiString& section, const AnsiString& ident,
                           const AnsiString& value) {
  Lines lines = LoadForChange();
  const AnsiString line = ident + "=" + value;
  const Span span = FindSection(lines, section);
  if (span.header < 0) {
    if (!lines.empty() && !Trim(lines.back()).empty())
      lines.push_back("");
    lines.push_back("[" + section + "]");
    lines.push_back(line);
    Store(lines);
    return;
  }
  const int at = FindKey(lines, span, ident);
  if (at >= 0) {
    lines[at] = line;
    Store(lines);
    return;
  }
  // A new key goes after the section's last line that is not blank.
  int after = span.end;
  while (after - 1 > span.header && Trim(lines[after - 1]).empty())
    --after;
  lines.insert(lines.begin() + after, line);
  Store(lines);
}

void TIniFile::WriteInteger(const AnsiString& section, const AnsiString& ident, int value) {
  WriteString(section, ident, std::to_string(value));
}

void TIniFile::WriteBool(const AnsiString& section, const AnsiString& ident, bool value) {
  WriteString(section, ident, value ? "1" : "0");
}

bool TIniFile::SectionExists(const AnsiString& section) const {
  return FindSection(Load(), section).header >= 0;
}

bool TIniFile::ValueExists(const AnsiString& section, const AnsiString& ident) const {
  const Lines lines = Load();
  const Span span = FindSection(lines, section);
  return span.header >= 0 && FindKey(lines, span, ident) >= 0;
}

void TIniFile::ReadSection(const AnsiString& section, TStrings& strings) const {
  strings.BeginUpdate();
  strings.Clear();
  const Lines lines = Load();
  const Span span = FindSection(lines, section);
  AnsiString key, value;
  for (int i = span.header + 1; span.header >= 0 && i < span.end; ++i)
    if (KeyLine(lines[i], key, value))
      strings.Add(key);
  strings.EndUpdate();
}

void TIniFile::ReadSections(TStrings& strings) const {
  strings.BeginUpdate();
  strings.Clear();
  AnsiString name;
  for (const auto& line : Load())
    if (SectionName(line, name))
      strings.Add(name);
  strings.EndUpdate();
}

void TIniFile::EraseSection(const AnsiString& section) {
  Lines lines = LoadForChange();
  const Span span = FindSection(lines, section);
  if (span.header < 0)
    return;
  lines.erase(lines.begin() + span.header, lines.begin() + span.end);
  Store(lines);
}

void TIniFile::DeleteKey(const AnsiString& section, const AnsiString& ident) {
  Lines lines = LoadForChange();
  const Span span = FindSection(lines, section);
  const int at = span.header < 0 ? -1 : FindKey(lines, span, ident);
  if (at < 0)
    return;
  lines.erase(lines.begin() + at);
  Store(lines);
}
