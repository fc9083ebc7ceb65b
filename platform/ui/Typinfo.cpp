#include "platform/ui/Typinfo.h"

#include <cstdio>
#include <map>

namespace {

AnsiString UpperKey(const AnsiString& s) {
  AnsiString r = s;
  for (char& c : r)
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return r;
}

std::map<AnsiString, const TMetaClass*>& Registry() {
  static std::map<AnsiString, const TMetaClass*> registry;
  return registry;
}

const char* KindName(TLayoutValue::TKind kind) {
  switch (kind) {
  case TLayoutValue::vkInteger:
    return "an integer";
  case TLayoutValue::vkFloat:
    return "a number";
  case TLayoutValue::vkString:
    return "a string";
  case TLayoutValue::vkIdent:
    return "an identifier";
  case TLayoutValue::vkSet:
    return "a set";
  case TLayoutValue::vkList:
    return "a list";
  case TLayoutValue::vkBinary:
    return "binary data";
  case TLayoutValue::vkCollection:
    return "a collection";
  }
  return "a value";
}

} // namespace

TLayoutValue TLayoutValue::Int(int64_t v) {
  TLayoutValue r;
  r.Kind = vkInteger;
  r.Integer = v;
  return r;
}

TLayoutValue TLayoutValue::Str(const AnsiString& v) {
  TLayoutValue r;
  r.Kind = vkString;
  r.Text = v;
  return r;
}

TLayoutValue TLayoutValue::Ident(const AnsiString& v) {
  TLayoutValue r;
  r.Kind = vkIdent;
  r.Text = v;
  return r;
}

bool TLayoutValue::operator==(const TLayoutValue& other) const {
  if (Kind != other.Kind)
    return false;
  switch (Kind) {
  case vkInteger:
    return Integer == other.Integer;
  case vkFloat:
    return Float == other.Float;
  case vkString:
    return Text == other.Text;
  case vkIdent:
    return AnsiSameText(Text, other.Text);
  case vkSet:
    return Idents == other.Idents;
  case vkList:
    return List == other.List;
  case vkBinary:
    return Bytes == other.Bytes;
  case vkCollection:
    return false;
  }
  return false;
}

AnsiString TLayoutValue::Describe() const {
  switch (Kind) {
  case vkInteger:
    return std::to_string(Integer);
  case vkFloat: {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g", Float);
    AnsiString s = buffer;
    if (s.find_first_of(".e") == AnsiString::npos)
      s += ".0";
    return s;
  }
  case vkString:
    return "'" + Text + "'";
  case vkIdent:
    return Text;
  case vkSet: {
    AnsiString s = "[";
    for (size_t i = 0; i < Idents.size(); ++i)
      s += (i ? ", " : "") + Idents[i];
    return s + "]";
  }
  default:
    return KindName(Kind);
  }
}

const TPropInfo* TMetaClass::FindProperty(const AnsiString& Name) const {
  for (const TMetaClass* m = this; m != nullptr; m = m->Parent)
    for (const auto& p : m->Properties)
      if (AnsiSameText(p.Name, Name))
        return &p;
  return nullptr;
}

const TMethodInfo* TMetaClass::FindMethod(const AnsiString& Name) const {
  for (const TMetaClass* m = this; m != nullptr; m = m->Parent)
    for (const auto& method : m->Methods)
      if (AnsiSameText(method.Name, Name))
        return &method;
  return nullptr;
}

bool TMetaClass::InheritsFrom(const TMetaClass& Other) const {
  for (const TMetaClass* m = this; m != nullptr; m = m->Parent)
    if (m == &Other)
      return true;
  return false;
}

void TMetaClass::ForEachField(const std::function<void(const TFieldInfo&)>& Fn) const {
  for (const TMetaClass* m = this; m != nullptr; m = m->Parent)
    for (const auto& f : m->Fields)
      Fn(f);
}

void RegisterClass(const TMetaClass& Meta) {
  Registry()[UpperKey(Meta.ClassName)] = &Meta;
}

const TMetaClass* FindClass(const AnsiString& ClassName) {
  auto& registry = Registry();
  auto it = registry.find(UpperKey(ClassName));
  return it == registry.end() ? nullptr : it->second;
}

const TMetaClass* MetaClassOf(const TObject& Object) {
  return FindClass(ClassNameOf(typeid(Object)));
}

namespace typinfo_detail {

void WrongKind(const TLayoutValue& v, const char* expected) {
  throw EPropertyError(AnsiString("expected ") + expected + ", found " + v.Describe());
}

} // namespace typinfo_detail

template <> const TMetaClass& MetaOf<TObject>() {
  static const TMetaClass meta = [] {
    TMetaClass m;
    m.ClassName = "TObject";
    return m;
  }();
  return meta;
}

WT_PUBLISH(TPersistent, TObject) {}

WT_PUBLISH(TComponent, TPersistent) {
  p.Property("Tag", &TComponent::Tag, &TComponent::Tag);
}

WT_PUBLISH(TCollectionItem, TPersistent) {}

WT_PUBLISH(TStrings, TPersistent) {
  TPropInfo strings;
  strings.Name = "Strings";
  strings.Kind = pkStrings;
  strings.Set = [](TObject& o, const TLayoutValue& v, TLoadContext&) {
    if (v.Kind != TLayoutValue::vkList)
      typinfo_detail::WrongKind(v, "a list of strings");
    auto& list = static_cast<TStrings&>(o);
    list.BeginUpdate();
    list.Clear();
    for (const auto& line : v.List)
      list.Add(typinfo_detail::FromLayout<AnsiString>(line));
    list.EndUpdate();
  };
  strings.Get = [](const TObject& o) -> std::optional<TLayoutValue> {
    auto& list = static_cast<const TStrings&>(o);
    if (list.Count() == 0)
      return std::nullopt;
    TLayoutValue v;
    v.Kind = TLayoutValue::vkList;
    for (int i = 0; i < list.Count(); ++i)
      v.List.push_back(TLayoutValue::Str(list.Strings(i)));
    return v;
  };
  p.Custom(std::move(strings));
}

WT_PUBLISH(TStringList, TStrings) {}
