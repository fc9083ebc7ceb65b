#include "platform/ui/Layout.h"

#include "platform/rtl/Stringlist.h"

#include <cctype>
#include <cstdio>
#include <map>

std::function<TComponent*(const AnsiString& Name)> FindGlobalComponent;

namespace {

// A read error that already names its file, line and property; any other
// error raised while a property is applied gets them added.
class ELocatedReadError : public EReadError {
public:
  using EReadError::EReadError;
};

// ---------------------------------------------------------------- parsing

class TLayoutParser {
public:
  TLayoutParser(const AnsiString& AText, const AnsiString& AFileName)
      : text(AText), fileName(AFileName) {}

  TLayoutObject ParseRoot() {
    SkipBlanks();
    TLayoutObject root = ParseObject();
    SkipBlanks();
    if (pos < text.size())
      Fail("text after the last 'end'");
    return root;
  }

private:
  [[noreturn]] void Fail(const AnsiString& what) const {
    throw EReadError(fileName + "(" + std::to_string(line) + "): " + what);
  }

  bool AtEnd() const { return pos >= text.size(); }
  char Peek() const { return AtEnd() ? '\0' : text[pos]; }

  void SkipBlanks() {
    while (!AtEnd()) {
      const char c = text[pos];
      if (c == '\n') {
        ++line;
        ++pos;
      } else if (c == ' ' || c == '\t' || c == '\r') {
        ++pos;
      } else if (c == '/' && pos + 1 < text.size() && text[pos + 1] == '/') {
        while (!AtEnd() && text[pos] != '\n')
          ++pos;
      } else {
        return;
      }
    }
  }

  static bool IdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
  static bool IdentPart(char c) {
    return IdentStart(c) || std::isdigit(static_cast<unsigned char>(c));
  }

  AnsiString ReadIdent(const char* what) {
    SkipBlanks();
    if (!IdentStart(Peek()))
      Fail(AnsiString("expected ") + what);
    const size_t start = pos;
    while (!AtEnd() && IdentPart(text[pos]))
      ++pos;
    return text.substr(start, pos - start);
  }

  // Dotted names: "Font.Name", "Items.Strings".
  AnsiString ReadQualified(const char* what) {
    AnsiString name = ReadIdent(what);
    while (Peek() == '.') {
      ++pos;
      name += '.';
      name += ReadIdent(what);
    }
    return name;
  }

  bool IsKeyword(const AnsiString& ident, const char* keyword) const {
    return AnsiSameText(ident, keyword);
  }

  void Expect(char c) {
    SkipBlanks();
    if (Peek() != c)
      Fail(AnsiString("expected '") + c + "'");
    ++pos;
  }

  TLayoutObject ParseObject() {
    TLayoutObject obj;
    obj.Line = line;
    const AnsiString keyword = ReadIdent("'object'");
    if (!IsKeyword(keyword, "object"))
      Fail("expected 'object', found '" + keyword + "'");
    // "object Name: TClass", or "object TClass" for a component without a
    // name (pages that a container made for itself).
    obj.ClassName = ReadIdent("a component name");
    SkipBlanks();
    if (Peek() == ':') {
      ++pos;
      obj.Name = obj.ClassName;
      obj.ClassName = ReadIdent("a class name");
    }
    for (;;) {
      SkipBlanks();
      if (AtEnd())
        Fail("'end' missing for object " + obj.Name);
      const size_t mark = pos;
      const int markLine = line;
      const AnsiString word = ReadIdent("a property, 'object' or 'end'");
      if (IsKeyword(word, "end"))
        return obj;
      if (IsKeyword(word, "object")) {
        pos = mark;
        line = markLine;
        obj.Children.push_back(ParseObject());
        continue;
      }
      pos = mark;
      obj.Properties.push_back(ParseProperty());
    }
  }

  TLayoutProperty ParseProperty() {
    TLayoutProperty prop;
    prop.Line = line;
    prop.Name = ReadQualified("a property name");
    Expect('=');
    prop.Value = ParseValue();
    return prop;
  }

  TLayoutValue ParseValue() {
    SkipBlanks();
    TLayoutValue v;
    v.Line = line;
    const char c = Peek();
    if (c == '\'' || c == '#')
      return ParseString(v);
    if (c == '-' || c == '$' || std::isdigit(static_cast<unsigned char>(c)))
      return ParseNumber(v);
    if (c == '[')
      return ParseSet(v);
    if (c == '(')
      return ParseList(v);
    if (c == '{')
      return ParseBinary(v);
    if (c == '<')
      return ParseCollection(v);
    if (IdentStart(c)) {
      v.Kind = TLayoutValue::vkIdent;
      v.Text = ReadQualified("a value");
      return v;
    }
    Fail(AnsiString("unexpected character '") + c + "'");
  }

  // 'text'#13#10'more', parts joined with '+' across lines.
  TLayoutValue ParseString(TLayoutValue& v) {
    v.Kind = TLayoutValue::vkString;
    for (;;) {
      ParseStringPart(v.Text);
      SkipBlanks();
      if (Peek() != '+')
        return v;
      ++pos;
      SkipBlanks();
      if (Peek() != '\'' && Peek() != '#')
        Fail("expected a string after '+'");
    }
  }

  void ParseStringPart(AnsiString& out) {
    while (!AtEnd()) {
      if (text[pos] == '\'') {
        ++pos;
        for (;;) {
          if (AtEnd() || text[pos] == '\n')
            Fail("unterminated string");
          if (text[pos] == '\'') {
            if (pos + 1 < text.size() && text[pos + 1] == '\'') {
              out += '\'';
              pos += 2;
              continue;
            }
            ++pos;
            break;
          }
          out += text[pos++];
        }
      } else if (text[pos] == '#') {
        ++pos;
        const size_t start = pos;
        while (!AtEnd() && std::isdigit(static_cast<unsigned char>(text[pos])))
          ++pos;
        if (start == pos || pos - start > 3)
          Fail("expected a character code after '#'");
        const int code = std::stoi(text.substr(start, pos - start));
        if (code > 255)
          Fail("character code " + std::to_string(code) + " is out of range");
        out += static_cast<char>(code);
      } else {
        return;
      }
    }
  }

  TLayoutValue ParseNumber(TLayoutValue& v) {
    bool negative = false;
    if (Peek() == '-') {
      negative = true;
      ++pos;
    }
    if (Peek() == '$') {
      ++pos;
      const size_t start = pos;
      while (!AtEnd() && std::isxdigit(static_cast<unsigned char>(text[pos])))
        ++pos;
      if (start == pos || pos - start > 16)
        Fail("expected hexadecimal digits after '$'");
      v.Kind = TLayoutValue::vkInteger;
      v.Integer = static_cast<int64_t>(std::stoull(text.substr(start, pos - start), nullptr, 16));
      if (negative)
        v.Integer = -v.Integer;
      return v;
    }
    const size_t start = pos;
    while (!AtEnd() && std::isdigit(static_cast<unsigned char>(text[pos])))
      ++pos;
    if (start == pos)
      Fail("expected a number");
    bool isFloat = false;
    if (Peek() == '.' && pos + 1 < text.size() &&
        std::isdigit(static_cast<unsigned char>(text[pos + 1]))) {
      isFloat = true;
      ++pos;
      while (!AtEnd() && std::isdigit(static_cast<unsigned char>(text[pos])))
        ++pos;
    }
    if (Peek() == 'e' || Peek() == 'E') {
      isFloat = true;
      ++pos;
      if (Peek() == '+' || Peek() == '-')
        ++pos;
      while (!AtEnd() && std::isdigit(static_cast<unsigned char>(text[pos])))
        ++pos;
    }
    const AnsiString digits = text.substr(start, pos - start);
    try {
      if (isFloat) {
        v.Kind = TLayoutValue::vkFloat;
        v.Float = std::stod(digits) * (negative ? -1 : 1);
      } else {
        v.Kind = TLayoutValue::vkInteger;
        v.Integer = std::stoll(digits) * (negative ? -1 : 1);
      }
    } catch (const std::out_of_range&) {
      Fail("number " + digits + " is out of range");
    }
    return v;
  }

  TLayoutValue ParseSet(TLayoutValue& v) {
    v.Kind = TLayoutValue::vkSet;
    Expect('[');
    SkipBlanks();
    if (Peek() == ']') {
      ++pos;
      return v;
    }
    for (;;) {
      v.Idents.push_back(ReadIdent("a set member"));
      SkipBlanks();
      if (Peek() == ']') {
        ++pos;
        return v;
      }
      Expect(',');
    }
  }

  TLayoutValue ParseList(TLayoutValue& v) {
    v.Kind = TLayoutValue::vkList;
    Expect('(');
    for (;;) {
      SkipBlanks();
      if (AtEnd())
        Fail("')' missing");
      if (Peek() == ')') {
        ++pos;
        return v;
      }
      v.List.push_back(ParseValue());
    }
  }

  TLayoutValue ParseBinary(TLayoutValue& v) {
    v.Kind = TLayoutValue::vkBinary;
    Expect('{');
    int high = -1;
    for (;;) {
      SkipBlanks();
      if (AtEnd())
        Fail("'}' missing");
      const char c = text[pos++];
      if (c == '}')
        break;
      if (!std::isxdigit(static_cast<unsigned char>(c)))
        Fail(AnsiString("'") + c + "' in binary data");
      const int digit = std::isdigit(static_cast<unsigned char>(c))
                            ? c - '0'
                            : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
      if (high < 0) {
        high = digit;
      } else {
        v.Bytes.push_back(static_cast<uint8_t>(high * 16 + digit));
        high = -1;
      }
    }
    if (high >= 0)
      Fail("odd number of hexadecimal digits in binary data");
    return v;
  }

  TLayoutValue ParseCollection(TLayoutValue& v) {
    v.Kind = TLayoutValue::vkCollection;
    Expect('<');
    for (;;) {
      SkipBlanks();
      if (Peek() == '>') {
        ++pos;
        return v;
      }
      TLayoutValue::TItem item;
      item.Line = line;
      const AnsiString word = ReadIdent("'item' or '>'");
      if (!IsKeyword(word, "item"))
        Fail("expected 'item', found '" + word + "'");
      for (;;) {
        SkipBlanks();
        if (AtEnd())
          Fail("'end' missing for item");
        const size_t mark = pos;
        const int markLine = line;
        if (IsKeyword(ReadIdent("a property or 'end'"), "end"))
          break;
        pos = mark;
        line = markLine;
        item.Properties.push_back(ParseProperty());
      }
      v.Items.push_back(std::move(item));
    }
  }

  const AnsiString& text;
  const AnsiString& fileName;
  size_t pos = 0;
  int line = 1;
};

// ---------------------------------------------------------------- formatting

AnsiString QuoteString(const AnsiString& s) {
  if (s.empty())
    return "''";
  AnsiString out;
  bool quoted = false;
  for (unsigned char c : s) {
    if (c < 32) {
      if (quoted)
        out += '\'';
      quoted = false;
      out += '#';
      out += std::to_string(c);
      continue;
    }
    if (!quoted)
      out += '\'';
    quoted = true;
    out += static_cast<char>(c);
    if (c == '\'')
      out += '\'';
  }
  if (quoted)
    out += '\'';
  return out;
}

void FormatValue(AnsiString& out, const TLayoutValue& v, const AnsiString& indent);

void FormatProperties(AnsiString& out, const std::vector<TLayoutProperty>& props,
                      const AnsiString& indent) {
  for (const auto& p : props) {
    out += indent + p.Name + " = ";
    FormatValue(out, p.Value, indent);
    out += "\n";
  }
}

void FormatValue(AnsiString& out, const TLayoutValue& v, const AnsiString& indent) {
  static const char hex[] = "0123456789ABCDEF";
  switch (v.Kind) {
  case TLayoutValue::vkInteger:
  case TLayoutValue::vkFloat:
  case TLayoutValue::vkIdent:
  case TLayoutValue::vkSet:
    out += v.Describe();
    return;
  case TLayoutValue::vkString:
    out += QuoteString(v.Text);
    return;
  case TLayoutValue::vkList:
    out += "(";
    for (const auto& e : v.List) {
      out += "\n" + indent + "  ";
      FormatValue(out, e, indent + "  ");
    }
    out += ")";
    return;
  case TLayoutValue::vkBinary:
    out += "{";
    for (size_t i = 0; i < v.Bytes.size(); ++i) {
      if (i % 32 == 0)
        out += "\n" + indent + "  ";
      out += hex[v.Bytes[i] >> 4];
      out += hex[v.Bytes[i] & 15];
    }
    out += "}";
    return;
  case TLayoutValue::vkCollection:
    out += "<";
    for (const auto& item : v.Items) {
      out += "\n" + indent + "  item\n";
      FormatProperties(out, item.Properties, indent + "    ");
      out += indent + "  end";
    }
    out += ">";
    return;
  }
}

void FormatObject(AnsiString& out, const TLayoutObject& obj, const AnsiString& indent) {
  out += indent + "object " + (obj.Name.empty() ? "" : obj.Name + ": ") + obj.ClassName + "\n";
  FormatProperties(out, obj.Properties, indent + "  ");
  for (const auto& child : obj.Children)
    FormatObject(out, child, indent + "  ");
  out += indent + "end\n";
}

std::map<AnsiString, AnsiString>& LayoutResources() {
  static std::map<AnsiString, AnsiString> resources;
  return resources;
}

AnsiString Upper(const AnsiString& s) {
  AnsiString r = s;
  for (char& c : r)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

} // namespace

TLayoutObject ParseLayout(const AnsiString& Text, const AnsiString& FileName) {
  return TLayoutParser(Text, FileName).ParseRoot();
}

AnsiString FormatLayout(const TLayoutObject& Object) {
  AnsiString out;
  FormatObject(out, Object, "");
  return out;
}

// ---------------------------------------------------------------- filers

void TReader::DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc, bool) {
  if (found || !AnsiSameText(Name, wanted) || !ReadData)
    return;
  found = true;
  ReadData(*this);
}

void TReader::DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc,
                                   bool) {
  if (found || !AnsiSameText(Name, wanted) || !ReadData)
    return;
  found = true;
  if (value->Kind != TLayoutValue::vkBinary)
    typinfo_detail::WrongKind(*value, "binary data");
  TMemoryStream stream;
  if (!value->Bytes.empty())
    stream.WriteBuffer(value->Bytes.data(), static_cast<int>(value->Bytes.size()));
  stream.SetPosition(0);
  ReadData(stream);
}

int64_t TReader::ReadInteger() const {
  if (value->Kind != TLayoutValue::vkInteger)
    typinfo_detail::WrongKind(*value, "an integer");
  return value->Integer;
}

AnsiString TReader::ReadString() const {
  if (value->Kind != TLayoutValue::vkString)
    typinfo_detail::WrongKind(*value, "a string");
  return value->Text;
}

AnsiString TReader::ReadIdent() const {
  if (value->Kind != TLayoutValue::vkIdent)
    typinfo_detail::WrongKind(*value, "an identifier");
  return value->Text;
}

bool TReader::ReadBoolean() const {
  return typinfo_detail::FromLayout<bool>(*value);
}

void TWriter::DefineProperty(const AnsiString& Name, TReaderProc, TWriterProc WriteData,
                             bool HasData) {
  if (!HasData || !WriteData)
    return;
  current = TLayoutValue();
  WriteData(*this);
  out->push_back({Name, current, 0});
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, TStreamProc, TStreamProc WriteData,
                                   bool HasData) {
  if (!HasData || !WriteData)
    return;
  TMemoryStream stream;
  WriteData(stream);
  TLayoutValue v;
  v.Kind = TLayoutValue::vkBinary;
  v.Bytes.assign(stream.Memory(), stream.Memory() + stream.Size());
  out->push_back({Name, v, 0});
}

// ---------------------------------------------------------------- loading

class TLayoutLoader : public TLoadContext {
public:
  TLayoutLoader(TComponent* ARoot, const AnsiString& AFileName)
      : root(ARoot), fileName(AFileName) {}

  void Load(const TLayoutObject& obj) {
    const TMetaClass* meta = MetaClassOf(*root);
    if (meta == nullptr)
      Fail(obj.Line, "", "class " + root->ClassName() + " is not registered");
    if (!AnsiSameText(meta->ClassName, obj.ClassName))
      Fail(obj.Line, "", "the layout is of class " + obj.ClassName + ", not " + meta->ClassName);
    rootMeta = meta;
    try {
      Guard(obj.Line, "", [&] { root->SetName(obj.Name); });
      ReadObject(root, obj, *meta);
      ResolveFixups();
      BindFields();
      for (TComponent* c : loaded) {
        const auto line = lines.find(c);
        Guard(line != lines.end() ? line->second : obj.Line, c->Name(), [c] { c->Loaded(); });
        c->SetLoading(false);
      }
    } catch (...) {
      // Free what was made, last first; a parent frees its children itself.
      for (auto it = created.rbegin(); it != created.rend(); ++it)
        if (IsAlive(*it))
          delete *it;
      root->SetReading(false);
      root->SetLoading(false);
      throw;
    }
  }

  TComponent* Root() const override { return root; }

  std::any FindMethod(const AnsiString& Name, const std::type_info& Type) const override {
    const TMethodInfo* method = rootMeta->FindMethod(Name);
    if (method == nullptr)
      throw EPropertyError("method " + Name + " not found in " + rootMeta->ClassName);
    if (method->Type != std::type_index(Type))
      throw EPropertyError("method " + Name + " does not fit this event");
    return method->Bind(root);
  }

  void AddFixup(const AnsiString& Name, std::function<void(TComponent*)> Apply) override {
    fixups.push_back({Name, std::move(Apply), currentLine, currentPath});
  }

private:
  struct TFixup {
    AnsiString Name;
    std::function<void(TComponent*)> Apply;
    int Line;
    AnsiString Path;
  };

  [[noreturn]] void Fail(int line, const AnsiString& path, const AnsiString& what) const {
    AnsiString where = fileName + "(" + std::to_string(line) + "): ";
    if (!path.empty())
      where += path + ": ";
    throw ELocatedReadError(where + what);
  }

  // Runs Fn and turns what it raises into EReadError at line and path.
  template <class F> void Guard(int line, const AnsiString& path, F&& Fn) {
    try {
      Fn();
    } catch (const ELocatedReadError&) {
      throw;
    } catch (const std::bad_any_cast&) {
      Fail(line, path, "handler does not fit the event");
    } catch (const std::exception& e) {
      Fail(line, path, e.what());
    }
  }

  bool IsAlive(TComponent* c) const {
    for (int i = 0; i < root->ComponentCount(); ++i)
      if (root->Components(i) == c)
        return true;
    return false;
  }

  void ReadObject(TComponent* comp, const TLayoutObject& obj, const TMetaClass& meta) {
    comp->SetLoading(true);
    comp->SetReading(true);
    loaded.push_back(comp);
    for (const auto& prop : obj.Properties) {
      const AnsiString path = obj.Name + "." + prop.Name;
      currentLine = prop.Line;
      currentPath = path;
      Guard(prop.Line, path, [&] { ApplyProperty(*comp, meta, prop.Name, prop.Value); });
    }
    comp->SetReading(false);
    for (const auto& child : obj.Children)
      ReadChild(comp, child);
  }

  void ReadChild(TComponent* parent, const TLayoutObject& obj) {
    const TMetaClass* meta = FindClass(obj.ClassName);
    if (meta == nullptr)
      Fail(obj.Line, obj.Name, "class " + obj.ClassName + " not found");
    if (!meta->Create)
      Fail(obj.Line, obj.Name, "class " + obj.ClassName + " cannot be made");
    TComponent* c = nullptr;
    Guard(obj.Line, obj.Name, [&] { c = meta->Create(root); });
    created.push_back(c);
    lines[c] = obj.Line;
    Guard(obj.Line, obj.Name, [&] {
      c->SetName(obj.Name);
      c->SetParentComponent(parent);
    });
    ReadObject(c, obj, *meta);
  }

  void ApplyProperty(TObject& target, const TMetaClass& meta, const AnsiString& path,
                     const TLayoutValue& value) {
    const auto dot = path.find('.');
    const AnsiString head = path.substr(0, dot);
    const TPropInfo* info = meta.FindProperty(head);
    if (dot != AnsiString::npos) {
      if (info == nullptr || !info->SubObject)
        throw EPropertyError("property " + head + " does not exist");
      TObject* sub = info->SubObject(target);
      if (sub == nullptr)
        throw EPropertyError("property " + head + " holds no object");
      const TMetaClass* subMeta = MetaClassOf(*sub);
      ApplyProperty(*sub, subMeta != nullptr ? *subMeta : *info->ObjectClass, path.substr(dot + 1),
                    value);
      return;
    }
    if (info == nullptr) {
      ApplyDefined(target, head, value);
      return;
    }
    switch (info->Kind) {
    case pkObject:
      throw EPropertyError("property " + head + " is an object: set its properties");
    case pkCollection:
      ReadCollection(*info, target, value);
      return;
    case pkBinary: {
      if (value.Kind != TLayoutValue::vkBinary)
        typinfo_detail::WrongKind(value, "binary data");
      TMemoryStream stream;
      if (!value.Bytes.empty())
        stream.WriteBuffer(value.Bytes.data(), static_cast<int>(value.Bytes.size()));
      stream.SetPosition(0);
      info->ReadData(target, stream);
      return;
    }
    default:
      info->Set(target, value, *this);
    }
  }

  void ApplyDefined(TObject& target, const AnsiString& name, const TLayoutValue& value) {
    auto* persistent = dynamic_cast<TPersistent*>(&target);
    if (persistent != nullptr) {
      TReader reader;
      reader.wanted = name;
      reader.value = &value;
      persistent->DefineProperties(reader);
      if (reader.found)
        return;
    }
    throw EPropertyError("property " + name + " does not exist");
  }

  void ReadCollection(const TPropInfo& info, TObject& target, const TLayoutValue& value) {
    if (value.Kind != TLayoutValue::vkCollection)
      typinfo_detail::WrongKind(value, "a collection");
    auto* collection = dynamic_cast<TCollection*>(info.SubObject(target));
    if (collection == nullptr)
      throw EPropertyError("property " + info.Name + " holds no collection");
    collection->Clear();
    for (const auto& item : value.Items) {
      TCollectionItem* made = collection->Add();
      for (const auto& prop : item.Properties) {
        const AnsiString path =
            currentPath + "[" + std::to_string(made->Index()) + "]." + prop.Name;
        Guard(prop.Line, path,
              [&] { ApplyProperty(*made, *info.ObjectClass, prop.Name, prop.Value); });
      }
    }
  }

  TComponent* FindByName(const AnsiString& name) const {
    if (AnsiSameText(name, root->Name()))
      return root;
    if (TComponent* c = root->FindComponent(name))
      return c;
    const auto dot = name.find('.');
    if (dot == AnsiString::npos || !FindGlobalComponent)
      return nullptr;
    TComponent* other = FindGlobalComponent(name.substr(0, dot));
    return other != nullptr ? other->FindComponent(name.substr(dot + 1)) : nullptr;
  }

  void ResolveFixups() {
    for (const auto& f : fixups) {
      TComponent* target = FindByName(f.Name);
      if (target == nullptr)
        Fail(f.Line, f.Path, "component " + f.Name + " not found");
      Guard(f.Line, f.Path, [&] { f.Apply(target); });
    }
  }

  void BindFields() {
    for (int i = 0; i < root->ComponentCount(); ++i) {
      TComponent* c = root->Components(i);
      rootMeta->ForEachField([&](const TFieldInfo& field) {
        if (AnsiSameText(field.Name, c->Name()) && !field.Assign(root, c))
          Fail(LineOf(c), c->Name(),
               "field " + field.Name + " of " + rootMeta->ClassName + " does not fit class " +
                   c->ClassName());
      });
    }
  }

  int LineOf(TComponent* c) const {
    auto it = lines.find(c);
    return it == lines.end() ? 0 : it->second;
  }

  TComponent* root;
  const AnsiString& fileName;
  const TMetaClass* rootMeta = nullptr;
  std::vector<TComponent*> created;
  std::vector<TComponent*> loaded;
  std::vector<TFixup> fixups;
  std::map<TComponent*, int> lines;
  int currentLine = 0;
  AnsiString currentPath;
};

void ReadComponentLayout(TComponent* Root, const AnsiString& Text, const AnsiString& FileName) {
  const TLayoutObject tree = ParseLayout(Text, FileName);
  TLayoutLoader(Root, FileName).Load(tree);
}

void ReadLayout(TComponent* Root, const AnsiString& ResourceName) {
  const auto text = FindLayoutResource(ResourceName);
  if (!text)
    throw EReadError("layout resource " + ResourceName + " not found");
  ReadComponentLayout(Root, *text, ResourceName + ".lay");
}

TComponent* CreateFromLayout(const AnsiString& Text, const AnsiString& FileName,
                             TComponent* Owner) {
  const TLayoutObject tree = ParseLayout(Text, FileName);
  const TMetaClass* meta = FindClass(tree.ClassName);
  if (meta == nullptr || !meta->Create)
    throw EReadError(FileName + "(" + std::to_string(tree.Line) + "): class " + tree.ClassName +
                     " not found");
  TComponent* root = meta->Create(Owner);
  try {
    TLayoutLoader(root, FileName).Load(tree);
  } catch (...) {
    delete root;
    throw;
  }
  return root;
}

bool RegisterLayoutResource(const char* Name, const char* Text, std::size_t Size) {
  LayoutResources()[Upper(Name)] = AnsiString(Text, Size);
  return true;
}

std::optional<AnsiString> FindLayoutResource(const AnsiString& Name) {
  auto& resources = LayoutResources();
  auto it = resources.find(Upper(Name));
  if (it == resources.end())
    return std::nullopt;
  return it->second;
}

// ---------------------------------------------------------------- writing

class TLayoutWriter {
public:
  explicit TLayoutWriter(TComponent* ARoot) : root(ARoot) {}

  TLayoutObject WriteObject(TComponent* comp) {
    TLayoutObject obj;
    obj.Name = comp->Name();
    obj.ClassName = comp->ClassName();
    WriteProperties(*comp, "", obj.Properties);
    comp->GetChildren([&](TComponent* child) { obj.Children.push_back(WriteObject(child)); }, root);
    return obj;
  }

private:
  void WriteProperties(const TObject& target, const AnsiString& prefix,
                       std::vector<TLayoutProperty>& out) {
    const TMetaClass* meta = MetaClassOf(target);
    std::vector<const TMetaClass*> chain;
    for (const TMetaClass* m = meta; m != nullptr; m = m->Parent)
      chain.insert(chain.begin(), m);
    // A property that a descendant publishes again (with a default of its
    // own) is written once, as the descendant declares it.
    for (const TMetaClass* m : chain)
      for (const auto& info : m->Properties)
        if (meta->FindProperty(info.Name) == &info)
          WriteProperty(target, info, prefix, out);
    if (auto* persistent = dynamic_cast<const TPersistent*>(&target)) {
      std::vector<TLayoutProperty> defined;
      TWriter writer;
      writer.out = &defined;
      const_cast<TPersistent*>(persistent)->DefineProperties(writer);
      for (auto& p : defined)
        out.push_back({prefix + p.Name, p.Value, 0});
    }
  }

  void WriteProperty(const TObject& target, const TPropInfo& info, const AnsiString& prefix,
                     std::vector<TLayoutProperty>& out) {
    switch (info.Kind) {
    case pkEvent:
      return;
    case pkObject: {
      TObject* sub = info.SubObject(const_cast<TObject&>(target));
      if (sub != nullptr)
        WriteProperties(*sub, prefix + info.Name + ".", out);
      return;
    }
    case pkCollection: {
      auto* collection = dynamic_cast<TCollection*>(info.SubObject(const_cast<TObject&>(target)));
      if (collection == nullptr)
        return;
      TLayoutValue v;
      v.Kind = TLayoutValue::vkCollection;
      for (int i = 0; i < collection->Count(); ++i) {
        TLayoutValue::TItem item;
        WriteProperties(*collection->Items(i), "", item.Properties);
        v.Items.push_back(std::move(item));
      }
      out.push_back({prefix + info.Name, v, 0});
      return;
    }
    case pkBinary: {
      TMemoryStream stream;
      info.WriteData(target, stream);
      TLayoutValue v;
      v.Kind = TLayoutValue::vkBinary;
      v.Bytes.assign(stream.Memory(), stream.Memory() + stream.Size());
      out.push_back({prefix + info.Name, v, 0});
      return;
    }
    default:
      if (!info.Get)
        return;
      auto value = info.Get(target);
      if (!value || (info.DefaultValue && *value == info.DefaultValue()))
        return;
      out.push_back({prefix + info.Name, *value, 0});
    }
  }

  TComponent* root;
};

AnsiString WriteComponentLayout(TComponent* Root) {
  return FormatLayout(TLayoutWriter(Root).WriteObject(Root));
}
