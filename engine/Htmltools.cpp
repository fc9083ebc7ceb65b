#include "engine/Htmltools.h"

#include <cstring>

#include "engine/Miscstr.h"

namespace {

bool EndsWithSlash(const AnsiString& s) {
  return !s.empty() && s.back() == '/';
}

// The scheme and host with the '/' after them ("http://host/"); empty
// without "://".
AnsiString HostRoot(const AnsiString& url) {
  const size_t scheme = url.find("://");
  if (scheme == AnsiString::npos)
    return "";
  const size_t slash = url.find('/', scheme + 3);
  return slash == AnsiString::npos ? url + "/" : url.substr(0, slash + 1);
}

// Going up one directory never leaves the host: a page in the root directory
// has the root as its parent.
AnsiString ParentWithinHost(const AnsiString& url) {
  AnsiString parent = ParentUrl(url);
  AnsiString root = HostRoot(url);
  return !root.empty() && parent.size() < root.size() ? root : parent;
}

AnsiString ResolveParentHref(const AnsiString& base, AnsiString href) {
  AnsiString result = base;
  while (href.compare(0, 3, "../") == 0) {
    href.erase(0, 3);
    if (CountPathSlashes(result) > 0)
      result = ParentWithinHost(result);
  }
  if (!EndsWithSlash(result))
    result += '/';
  return result + href;
}

AnsiString ResolveCurrentDirHref(const AnsiString& base, const AnsiString& href) {
  return EndsWithSlash(base) ? base + href.substr(2) : base + href.substr(1);
}

AnsiString ResolveRootHref(const AnsiString& base, const AnsiString& href) {
  // The first '/' after the host and before the last character. It is looked
  // for past the scheme's "://" (so that "https://" works like "http://"), or
  // from the 8th character on in a base without one.
  const size_t scheme = base.find("://");
  const size_t from = scheme == AnsiString::npos ? 7 : scheme + 3;
  const size_t slash = base.size() > from ? base.find('/', from) : AnsiString::npos;
  if (slash != AnsiString::npos && slash + 1 < base.size())
    return base.substr(0, slash) + href;
  return (EndsWithSlash(base) ? base.substr(0, base.size() - 1) : base) + href;
}

AnsiString ResolveRelativeHref(const AnsiString& base, const AnsiString& href) {
  if (EndsWithSlash(base))
    return base + href;
  const size_t slash = base.rfind('/');
  if (slash != AnsiString::npos && slash >= 8)
    return base.substr(0, slash + 1) + href;
  return base + "/" + href;
}

AnsiString ResolveHrefRules(const AnsiString& base, const AnsiString& href) {
  if (href.find("://") != AnsiString::npos)
    return href;
  if (href.compare(0, 3, "../") == 0)
    return ResolveParentHref(base, href);
  if (href.compare(0, 2, "./") == 0)
    return ResolveCurrentDirHref(base, href);
  if (!href.empty() && href[0] == '/')
    return ResolveRootHref(base, href);
  return ResolveRelativeHref(base, href);
}

} // namespace

bool IsTrimmed(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string_view TrimmedView(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsTrimmed(text[begin]))
    ++begin;
  while (end > begin && IsTrimmed(text[end - 1]))
    --end;
  return text.substr(begin, end - begin);
}

AnsiString Trim(const AnsiString& text) {
  return AnsiString(TrimmedView(text));
}

AnsiString ResolveHref(const AnsiString& base, const AnsiString& href) {
  return ReplaceAll(ResolveHrefRules(base, href), "/./", "/");
}

AnsiString ParentUrl(const AnsiString& url) {
  const size_t last = url.rfind('/');
  if (last == AnsiString::npos)
    return url;
  const size_t before = last == 0 ? AnsiString::npos : url.rfind('/', last - 1);
  if (before == AnsiString::npos)
    return url.substr(0, last);
  return url.substr(0, before + 1);
}

int CountPathSlashes(const AnsiString& url) {
  const size_t scheme = url.find("://");
  if (scheme == AnsiString::npos)
    return 0;
  int count = 0;
  for (size_t i = scheme + 3; i + 1 < url.size(); ++i)
    count += url[i] == '/' ? 1 : 0;
  return count;
}

AnsiString HtmlToText(const AnsiString& html) {
  AnsiString text = html;
  text.resize(HtmlToText(text.data()));
  return text;
}

size_t HtmlToText(char* text) {
  StripTags(text);
  DecodeHtmlEntities(text);
  FoldUtf8(text);
  ControlsToBlanks(text);
  const std::string_view trimmed = TrimmedView(text);
  std::memmove(text, trimmed.data(), trimmed.size());
  text[trimmed.size()] = '\0';
  return trimmed.size();
}

void TTextSpare::Keep(AnsiString& text) {
  if (text.capacity() > spare_.capacity())
    text.swap(spare_);
  AnsiString().swap(text);
}

void TTextSpare::Lend(AnsiString& text, const char* bytes, size_t length) {
  if (spare_.capacity() > text.capacity())
    text.swap(spare_);
  text.clear();
  if (length > 0)
    text.append(bytes, length);
}

AnsiString RemoveWhiteSpace(const AnsiString& text) {
  AnsiString result;
  result.reserve(text.size());
  for (char c : text) {
    if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
      result += c;
  }
  return result;
}

// The text between tags moves in runs, found by the library's search.
int StripTags(char* text) {
  if (text == nullptr)
    return 0;
  int tags = 0;
  char* out = text;
  const char* in = text;
  for (;;) {
    const char* open = std::strchr(in, '<');
    const size_t run = open != nullptr ? static_cast<size_t>(open - in) : std::strlen(in);
    if (out != in)
      std::memmove(out, in, run);
    out += run;
    if (open == nullptr)
      break;
    ++tags;
    const char* close = std::strchr(open, '>');
    if (close == nullptr)
      break;
    in = close + 1;
  }
  *out = '\0';
  return tags;
}

char TQuoteMask::Feed(char c) {
  if (c == '<' && !inQuote)
    inTag = true;
  else if (c == '>' && !inQuote)
    inTag = false;
  else if (c == '"' && inTag)
    inQuote = !inQuote;
  else if (c == '\n' || c == '\r')
    inQuote = false;
  if (inQuote && c == '<')
    return '{';
  if (inQuote && c == '>')
    return '}';
  return c;
}

// The same states as TQuoteMask, but each state skips at once to the next
// character that can change something in it: outside tags only '<' does.
int MaskQuotedBrackets(char* text) {
  if (text == nullptr)
    return 0;
  int count = 0;
  TQuoteMask mask;
  for (char* p = text; *p != '\0';) {
    if (!mask.inTag) {
      p = std::strchr(p, '<');
      if (p == nullptr)
        break;
    } else {
      p += std::strcspn(p, mask.inQuote ? "<>\"\n\r" : ">\"");
      if (*p == '\0')
        break;
    }
    const char masked = mask.Feed(*p);
    count += masked != *p ? 1 : 0;
    *p++ = masked;
  }
  return count;
}
