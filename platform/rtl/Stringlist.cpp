#include "platform/rtl/Stringlist.h"

#include "platform/rtl/Codepage.h"
#include "platform/rtl/Streams.h"

#include <clocale>
#include <cstring>
#include <cwctype>
#include <locale.h>

#include <algorithm>
#include <cstdio>

namespace {

bool IsBlank(char c) {
  return c >= 1 && static_cast<unsigned char>(c) <= ' ';
}

bool NeedsQuotes(const AnsiString& s) {
  return std::any_of(s.begin(), s.end(), [](char c) {
    return static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',';
  });
}

AnsiString Quoted(const AnsiString& s) {
  AnsiString r = "\"";
  for (char c : s) {
    r += c;
    if (c == '"')
      r += '"';
  }
  return r + '"';
}

// Reads a quoted item from text at pos (on the opening quote); a doubled quote
// stands for one, an unclosed item runs to the end.
AnsiString ExtractQuoted(const AnsiString& text, size_t& pos) {
  AnsiString r;
  ++pos;
  while (pos < text.size()) {
    if (text[pos] == '"') {
      if (pos + 1 < text.size() && text[pos + 1] == '"') {
        r += '"';
        pos += 2;
        continue;
      }
      ++pos;
      return r;
    }
    r += text[pos++];
  }
  return r;
}

// Lower case by the Unicode tables, whatever the user's character type.
locale_t CaseLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  return locale;
}

int Sign(int value) {
  return (value > 0) - (value < 0);
}

} // namespace

std::string LowerScreenText(const AnsiString& s) {
  const std::string screen = Cp1252ToUtf8(s);
  std::string lower;
  lower.reserve(screen.size());
  const locale_t locale = CaseLocale();
  for (size_t i = 0; i < screen.size();) {
    char32_t cp = 0;
    const size_t length = Utf8SequenceAt(std::string_view(screen).substr(i), cp);
    if (length == 0) {
      lower += static_cast<char>(std::tolower(static_cast<unsigned char>(screen[i++])));
      continue;
    }
    const wint_t folded =
        locale != static_cast<locale_t>(0) ? towlower_l(cp, locale) : towlower(cp);
    char bytes[4];
    lower.append(bytes, EncodeUtf8(static_cast<char32_t>(folded), bytes));
    i += length;
  }
  return lower;
}

// In the user's collation of what the screen shows; texts it holds equal
// are ordered by their bytes, so only texts equal (here but for case, there
// exactly) compare as 0.
int AnsiCompareText(const AnsiString& a, const AnsiString& b) {
  const std::string lowerA = LowerScreenText(a);
  const std::string lowerB = LowerScreenText(b);
  const int collated = Sign(std::strcoll(lowerA.c_str(), lowerB.c_str()));
  return collated != 0 ? collated : Sign(lowerA.compare(lowerB));
}

bool AnsiSameText(const AnsiString& a, const AnsiString& b) {
  const auto ascii = [](const AnsiString& s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  };
  if (!ascii(a) || !ascii(b))
    return LowerScreenText(a) == LowerScreenText(b);
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string CaseBlindKey(const AnsiString& s) {
  const bool ascii =
      std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (!ascii)
    return LowerScreenText(s);
  // What the fold gives plain ASCII, without its conversions.
  std::string key = s;
  for (char& c : key)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return key;
}

int AnsiCompareStr(const AnsiString& a, const AnsiString& b) {
  const int collated = Sign(std::strcoll(Cp1252ToUtf8(a).c_str(), Cp1252ToUtf8(b).c_str()));
  return collated != 0 ? collated : Sign(a.compare(b));
}

// ---- TStrings

void TStrings::Error(const char* format, int index) {
  char buffer[96];
  std::snprintf(buffer, sizeof buffer, format, index);
  throw EStringListError(buffer);
}

TObject* TStrings::GetObject(int) const {
  return nullptr;
}

void TStrings::Put(int index, const AnsiString& s) {
  TObject* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

void TStrings::PutObject(int, TObject*) {}

void TStrings::InsertObject(int index, const AnsiString& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex)
    return;
  BeginUpdate();
  const AnsiString s = Get(curIndex);
  TObject* object = GetObject(curIndex);
  Delete(curIndex);
  InsertObject(newIndex, s, object);
  EndUpdate();
}

void TStrings::Exchange(int index1, int index2) {
  BeginUpdate();
  const AnsiString s = Get(index1);
  TObject* object = GetObject(index1);
  Put(index1, Get(index2));
  PutObject(index1, GetObject(index2));
  Put(index2, s);
  PutObject(index2, object);
  EndUpdate();
}

int TStrings::CompareStrings(const AnsiString& a, const AnsiString& b) const {
  return AnsiCompareText(a, b);
}

int TStrings::IndexOf(const AnsiString& s) const {
  for (int i = 0; i < GetCount(); ++i)
    if (CompareStrings(Get(i), s) == 0)
      return i;
  return -1;
}

int TStrings::Add(const AnsiString& s) {
  const int index = GetCount();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const AnsiString& s, TObject* object) {
  const int index = Add(s);
  PutObject(index, object);
  return index;
}

void TStrings::AddStrings(const TStrings& strings) {
  BeginUpdate();
  for (int i = 0; i < strings.GetCount(); ++i)
    AddObject(strings.Get(i), strings.GetObject(i));
  EndUpdate();
}

void TStrings::Assign(const TPersistent* Source) {
  const auto* source = dynamic_cast<const TStrings*>(Source);
  if (source == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (source == this)
    return;
  BeginUpdate();
  Clear();
  AddStrings(*source);
  EndUpdate();
}

bool TStrings::Equals(const TStrings& other) const {
  if (GetCount() != other.GetCount())
    return false;
  for (int i = 0; i < GetCount(); ++i)
    if (Get(i) != other.Get(i))
      return false;
  return true;
}

int TStrings::IndexOfName(const AnsiString& name) const {
  for (int i = 0; i < GetCount(); ++i) {
    const AnsiString s = Get(i);
    const size_t eq = s.find('=');
    if (eq != AnsiString::npos && CompareStrings(s.substr(0, eq), name) == 0)
      return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0; i < GetCount(); ++i)
    if (GetObject(i) == object)
      return i;
  return -1;
}

AnsiString TStrings::Text() const {
  AnsiString r;
  for (int i = 0; i < GetCount(); ++i)
    r += Get(i) + "\r\n";
  return r;
}

void TStrings::SetText(const AnsiString& text) {
  BeginUpdate();
  Clear();
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = text.find_first_of("\r\n", pos);
    if (end == AnsiString::npos) {
      Add(text.substr(pos));
      break;
    }
    Add(text.substr(pos, end - pos));
    pos = end + 1;
    if (text[end] == '\r' && pos < text.size() && text[pos] == '\n')
      ++pos;
  }
  EndUpdate();
}

AnsiString TStrings::CommaText() const {
  if (GetCount() == 1 && Get(0).empty())
    return "\"\"";
  AnsiString r;
  for (int i = 0; i < GetCount(); ++i) {
    if (i > 0)
      r += ',';
    const AnsiString s = Get(i);
    r += NeedsQuotes(s) ? Quoted(s) : s;
  }
  return r;
}

void TStrings::SetCommaText(const AnsiString& text) {
  BeginUpdate();
  Clear();
  size_t pos = 0;
  auto skipBlanks = [&] {
    while (pos < text.size() && IsBlank(text[pos]))
      ++pos;
  };
  skipBlanks();
  while (pos < text.size()) {
    if (text[pos] == '"') {
      Add(ExtractQuoted(text, pos));
    } else {
      const size_t start = pos;
      while (pos < text.size() && static_cast<unsigned char>(text[pos]) > ' ' && text[pos] != ',')
        ++pos;
      Add(text.substr(start, pos - start));
    }
    skipBlanks();
    if (pos < text.size() && text[pos] == ',') {
      if (pos + 1 == text.size())
        Add("");
      ++pos;
      skipBlanks();
    }
  }
  EndUpdate();
}

AnsiString TStrings::Names(int index) const {
  const AnsiString s = Get(index);
  const size_t eq = s.find('=');
  return eq == AnsiString::npos ? AnsiString() : s.substr(0, eq);
}

AnsiString TStrings::Values(const AnsiString& name) const {
  const int index = IndexOfName(name);
  return index < 0 ? AnsiString() : ValueFromIndex(index);
}

void TStrings::SetValues(const AnsiString& name, const AnsiString& value) {
  const int index = IndexOfName(name);
  if (value.empty()) {
    if (index >= 0)
      Delete(index);
    return;
  }
  if (index < 0)
    Add(name + "=" + value);
  else
    Put(index, name + "=" + value);
}

AnsiString TStrings::ValueFromIndex(int index) const {
  const AnsiString s = Get(index);
  const size_t eq = s.find('=');
  return eq == AnsiString::npos ? AnsiString() : s.substr(eq + 1);
}

void TStrings::BeginUpdate() {
  if (updateCount == 0)
    SetUpdateState(true);
  ++updateCount;
}

void TStrings::EndUpdate() {
  if (updateCount == 0)
    return;
  if (--updateCount == 0)
    SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::LoadFromStream(TStream& stream) {
  const int64_t size = stream.Size() - stream.Position();
  AnsiString text(static_cast<size_t>(size > 0 ? size : 0), '\0');
  stream.ReadBuffer(text.data(), static_cast<int>(text.size()));
  SetText(text);
}

void TStrings::SaveToStream(TStream& stream) const {
  const AnsiString text = Text();
  stream.WriteBuffer(text.data(), static_cast<int>(text.size()));
}

void TStrings::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TStrings::SaveToFile(const AnsiString& fileName) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
  stream.FlushBuffer();
}

// ---- TStringList

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount())
    Error("List index out of bounds (%d)", index);
}

AnsiString TStringList::Get(int index) const {
  CheckIndex(index);
  return items[index].text;
}

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return items[index].object;
}

void TStringList::Put(int index, const AnsiString& s) {
  if (sorted)
    Error("Operation not allowed on sorted list", 0);
  CheckIndex(index);
  Changing();
  items[index].text = s;
  Changed();
}

void TStringList::PutObject(int index, TObject* object) {
  CheckIndex(index);
  Changing();
  items[index].object = object;
  Changed();
}

void TStringList::Clear() {
  if (items.empty())
    return;
  Changing();
  items.clear();
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  items.erase(items.begin() + index);
  Changed();
}

void TStringList::Insert(int index, const AnsiString& s) {
  InsertObject(index, s, nullptr);
}

void TStringList::InsertObject(int index, const AnsiString& s, TObject* object) {
  if (sorted)
    Error("Operation not allowed on sorted list", 0);
  if (index < 0 || index > GetCount())
    Error("List index out of bounds (%d)", index);
  InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, const AnsiString& s, TObject* object) {
  Changing();
  items.insert(items.begin() + index, Item{s, object});
  Changed();
}

void TStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(items[index1], items[index2]);
  Changed();
}

int TStringList::IndexOf(const AnsiString& s) const {
  if (!sorted)
    return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

int TStringList::Add(const AnsiString& s) {
  return AddObject(s, nullptr);
}

int TStringList::AddObject(const AnsiString& s, TObject* object) {
  int index = GetCount();
  if (sorted && Find(s, index)) {
    if (duplicates == dupIgnore)
      return index;
    if (duplicates == dupError)
      Error("String list does not allow duplicates", 0);
  }
  InsertItem(index, s, object);
  return index;
}

bool TStringList::Find(const AnsiString& s, int& index) const {
  // Lands on the first of equal strings so that Find and IndexOf agree.
  int low = 0;
  int high = GetCount() - 1;
  bool found = false;
  while (low <= high) {
    const int mid = (low + high) / 2;
    const int c = CompareStrings(items[mid].text, s);
    if (c < 0) {
      low = mid + 1;
      continue;
    }
    high = mid - 1;
    if (c == 0)
      found = true;
  }
  index = low;
  return found;
}

void TStringList::Sort() {
  if (items.size() < 2)
    return;
  Changing();
  std::stable_sort(items.begin(), items.end(), [this](const Item& a, const Item& b) {
    return CompareStrings(a.text, b.text) < 0;
  });
  Changed();
}

void TStringList::SetSorted(bool value) {
  if (value == sorted)
    return;
  if (value)
    Sort();
  sorted = value;
}

void TStringList::SetCaseSensitive(bool value) {
  if (value == caseSensitive)
    return;
  caseSensitive = value;
  if (sorted)
    Sort();
}

int TStringList::CompareStrings(const AnsiString& a, const AnsiString& b) const {
  return caseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange)
    OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging)
    OnChanging(this);
}
