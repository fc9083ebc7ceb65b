#include "platform/shell/Fileurl.h"

#include "platform/rtl/Stringlist.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

bool PercentDecode(const AnsiString& text, AnsiString& decoded) {
  decoded.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\0')
      return false;
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
    const int low = high < 0 ? -1 : HexValue(text[i + 2]);
    if (low < 0 || (high == 0 && low == 0))
      return false;
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

// The canonical form of a path that may not exist: what exists of it with
// its links resolved, the rest with its dots resolved.
bool Canonical(const AnsiString& path, AnsiString& canonical) {
  std::error_code error;
  const std::filesystem::path resolved = std::filesystem::weakly_canonical(path.c_str(), error);
  if (error)
    return false;
  canonical = resolved.string();
  return true;
}

} // namespace

bool FileUrlPath(const AnsiString& url, AnsiString& path) {
  const AnsiString scheme = "file://";
  if (url.size() < scheme.size() || !AnsiSameText(url.substr(0, scheme.size()), scheme))
    return false;
  const AnsiString rest = url.substr(scheme.size());
  const size_t slash = rest.find('/');
  if (slash == AnsiString::npos)
    return false;
  const AnsiString host = rest.substr(0, slash);
  if (!host.empty() && !AnsiSameText(host, "localhost"))
    return false;
  return PercentDecode(rest.substr(slash), path);
}

AnsiString FileUrlOf(const AnsiString& canonicalPath) {
  AnsiString url = "file://";
  for (unsigned char c : canonicalPath) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
      url += static_cast<char>(c);
      continue;
    }
    char escape[4];
    std::snprintf(escape, sizeof escape, "%%%02X", c);
    url += escape;
  }
  return url;
}

AnsiString FileUrlInsideFolder(const AnsiString& url, const AnsiString& folder) {
  AnsiString path, file, inside;
  if (folder.empty() || !FileUrlPath(url, path) || !Canonical(path, file) ||
      !Canonical(folder, inside))
    return "";
  if (inside.empty() || inside.back() != '/')
    inside += '/';
  if (file.size() <= inside.size() || file.compare(0, inside.size(), inside) != 0)
    return "";
  return FileUrlOf(file);
}
