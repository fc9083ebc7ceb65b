#pragma once
// What a layout may say about a class: its name in the class registry, how to
// make one, and the table of its published properties, methods and fields.
//
// A class publishes itself in its .cpp file:
//
//   WT_PUBLISH(TepMorphButton, TEffectGControl) {
//     p.Property("Interval", &TepMorphButton::GetInterval, &TepMorphButton::SetInterval);
//     p.Property("Spacing", &TepMorphButton::Spacing, &TepMorphButton::SetSpacing).Default(4);
//     p.Object("UpGlyph", &TepMorphButton::UpGlyph);           // owned sub-object
//     p.Property("ClickSound", &TepMorphButton::ClickSound, &TepMorphButton::SetClickSound);
//     p.Event("OnClick", &TepMorphButton::OnClick);
//   }
//
// and declares WT_DECLARE_META(TepMorphButton) after the class in its header.
// A form adds its own event handlers and its component fields:
//
//   p.Method("btnPlayClick", &TfrmMain::btnPlayClick);
//   p.Field("btnPlay", &TfrmMain::btnPlay);
//
// Property value types: integers (range-checked), bool, double, AnsiString,
// enumerations and TSet<> of them with RegisterEnum idents, TColor through
// Color(), std::function events, pointers to components (references, resolved
// by name once the whole layout is read) and sub-objects through Object().
#include "platform/gfx/Graphics.h"
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Sets.h"
#include "platform/rtl/Stringlist.h"
#include "platform/ui/Classes.h"

#include <any>
#include <cstdint>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <type_traits>
#include <typeindex>
#include <vector>

class TStream;
class TReader;
class TWriter;
struct TLayoutValue;

// One property value as a layout holds it.
struct TLayoutValue {
  enum TKind { vkInteger, vkFloat, vkString, vkIdent, vkSet, vkList, vkBinary, vkCollection };
  TKind Kind = vkInteger;
  int Line = 0;
  int64_t Integer = 0;
  double Float = 0;
  AnsiString Text;                // string or identifier
  std::vector<AnsiString> Idents; // set members
  std::vector<TLayoutValue> List; // list elements
  std::vector<uint8_t> Bytes;     // binary block
  struct TItem;
  std::vector<TItem> Items; // collection items

  static TLayoutValue Int(int64_t v);
  static TLayoutValue Str(const AnsiString& v);
  static TLayoutValue Ident(const AnsiString& v);
  bool operator==(const TLayoutValue& other) const;
  AnsiString Describe() const;
};

struct TLayoutProperty {
  AnsiString Name; // may be a path: "Font.Name"
  TLayoutValue Value;
  int Line = 0;
};

struct TLayoutValue::TItem {
  std::vector<TLayoutProperty> Properties;
  int Line = 0;
};

class TMetaClass;

// Raised by a property for a value it cannot take; the loader adds the file,
// line and property.
class EPropertyError : public Exception {
public:
  using Exception::Exception;
};

// What the loader hands a property setter besides the value.
class TLoadContext {
public:
  virtual ~TLoadContext() = default;
  virtual TComponent* Root() const = 0;
  // Binds a handler of the root's class by name; throws EPropertyError.
  virtual std::any FindMethod(const AnsiString& Name, const std::type_info& Type) const = 0;
  // Sets a reference once every component is made.
  virtual void AddFixup(const AnsiString& Name, std::function<void(TComponent*)> Apply) = 0;
};

enum TPropKind {
  pkInteger,
  pkFloat,
  pkString,
  pkBool,
  pkEnum,
  pkSet,
  pkColor,
  pkEvent,
  pkReference,
  pkObject,
  pkCollection,
  pkStrings,
  pkBinary
};

struct TPropInfo {
  AnsiString Name;
  TPropKind Kind = pkInteger;
  const TMetaClass* ObjectClass = nullptr; // of a sub-object
  std::function<void(TObject&, const TLayoutValue&, TLoadContext&)> Set;
  std::function<std::optional<TLayoutValue>(const TObject&)> Get; // nullopt: nothing to store
  std::function<TObject*(TObject&)> SubObject;
  // Binary and list properties that the class reads and writes itself.
  std::function<void(TObject&, TStream&)> ReadData;
  std::function<void(const TObject&, TStream&)> WriteData;
  // The published default; a value equal to it is not written. Made when a
  // layout is written, since an enumeration's identifiers may be registered
  // by another unit's start-up after the class's table was built.
  std::function<TLayoutValue()> DefaultValue;
};

struct TMethodInfo {
  AnsiString Name;
  std::type_index Type;
  std::function<std::any(TComponent* Root)> Bind;
};

struct TFieldInfo {
  AnsiString Name;
  // Sets the field when the component fits its type; false otherwise.
  std::function<bool(TComponent* Root, TComponent* Value)> Assign;
  std::function<void(TComponent* Root, TComponent* Removed)> Clear;
};

class TMetaClass {
public:
  AnsiString ClassName;
  const TMetaClass* Parent = nullptr;
  std::function<TComponent*(TComponent* Owner)> Create; // empty for abstract classes
  std::vector<TPropInfo> Properties;
  std::vector<TMethodInfo> Methods;
  std::vector<TFieldInfo> Fields;

  const TPropInfo* FindProperty(const AnsiString& Name) const;
  const TMethodInfo* FindMethod(const AnsiString& Name) const;
  bool InheritsFrom(const TMetaClass& Other) const;
  // Every field of this class and its ancestors.
  void ForEachField(const std::function<void(const TFieldInfo&)>& Fn) const;
};

// The registry by class name (case-insensitive).
void RegisterClass(const TMetaClass& Meta);
const TMetaClass* FindClass(const AnsiString& ClassName);
// The registered meta class of an object's own class; null when the class
// is not published.
const TMetaClass* MetaClassOf(const TObject& Object);

// Declared here, defined by each published class (WT_PUBLISH).
template <class T> const TMetaClass& MetaOf();

#define WT_DECLARE_META(Class) template <> const TMetaClass& MetaOf<Class>();
WT_DECLARE_META(TObject)
WT_DECLARE_META(TPersistent)
WT_DECLARE_META(TComponent)
WT_DECLARE_META(TStrings)
WT_DECLARE_META(TStringList)
WT_DECLARE_META(TCollectionItem)
// The drawing objects layouts hold: fonts, bitmaps and pictures.
WT_DECLARE_META(TFont)
WT_DECLARE_META(TBitmap)
WT_DECLARE_META(TPicture)

// Identifiers of an enumeration's values, for layouts and messages.
template <class E> struct TEnumIdents {
  static std::vector<std::pair<AnsiString, E>>& Table() {
    static std::vector<std::pair<AnsiString, E>> table;
    return table;
  }
};
// Several units may name the identifiers of one enumeration (each must, for
// the layouts it loads); the first to start up registers them.
template <class E> bool RegisterEnum(std::initializer_list<std::pair<const char*, E>> Idents) {
  auto& table = TEnumIdents<E>::Table();
  if (!table.empty())
    return true;
  for (auto& [name, value] : Idents)
    table.emplace_back(name, value);
  return true;
}

namespace typinfo_detail {

[[noreturn]] void WrongKind(const TLayoutValue& v, const char* expected);

template <class T> struct IsSet : std::false_type {};
template <class E> struct IsSet<TSet<E>> : std::true_type { using Element = E; };
template <class T> struct IsFunction : std::false_type {};
template <class S> struct IsFunction<std::function<S>> : std::true_type {};

template <class E> E EnumFromIdent(const TLayoutValue& v) {
  if (v.Kind != TLayoutValue::vkIdent)
    WrongKind(v, "an identifier");
  for (auto& [name, value] : TEnumIdents<E>::Table())
    if (AnsiSameText(name, v.Text))
      return value;
  throw EPropertyError("'" + v.Text + "' is not a valid value");
}

template <class E> AnsiString EnumToIdent(E e) {
  for (auto& [name, value] : TEnumIdents<E>::Table())
    if (value == e)
      return name;
  return std::to_string(static_cast<int64_t>(e));
}

// Layout value -> C++ value.
template <class V> V FromLayout(const TLayoutValue& v) {
  if constexpr (std::is_same_v<V, bool>) {
    if (v.Kind == TLayoutValue::vkIdent && AnsiSameText(v.Text, "True"))
      return true;
    if (v.Kind == TLayoutValue::vkIdent && AnsiSameText(v.Text, "False"))
      return false;
    WrongKind(v, "True or False");
  } else if constexpr (std::is_enum_v<V>) {
    return EnumFromIdent<V>(v);
  } else if constexpr (std::is_integral_v<V>) {
    if (v.Kind != TLayoutValue::vkInteger)
      WrongKind(v, "an integer");
    if (v.Integer < static_cast<int64_t>(std::numeric_limits<V>::min()) ||
        (v.Integer > 0 &&
         static_cast<uint64_t>(v.Integer) > static_cast<uint64_t>(std::numeric_limits<V>::max())))
      throw EPropertyError(std::to_string(v.Integer) + " is out of range");
    return static_cast<V>(v.Integer);
  } else if constexpr (std::is_floating_point_v<V>) {
    if (v.Kind == TLayoutValue::vkInteger)
      return static_cast<V>(v.Integer);
    if (v.Kind != TLayoutValue::vkFloat)
      WrongKind(v, "a number");
    return static_cast<V>(v.Float);
  } else if constexpr (std::is_same_v<V, AnsiString>) {
    if (v.Kind != TLayoutValue::vkString)
      WrongKind(v, "a string");
    return v.Text;
  } else if constexpr (IsSet<V>::value) {
    if (v.Kind != TLayoutValue::vkSet)
      WrongKind(v, "a set");
    V result;
    for (auto& ident : v.Idents)
      result << EnumFromIdent<typename IsSet<V>::Element>(TLayoutValue::Ident(ident));
    return result;
  } else {
    static_assert(sizeof(V) == 0, "no layout conversion for this type");
  }
}

// C++ value -> layout value.
template <class V> TLayoutValue ToLayout(const V& value) {
  if constexpr (std::is_same_v<V, bool>) {
    return TLayoutValue::Ident(value ? "True" : "False");
  } else if constexpr (std::is_enum_v<V>) {
    return TLayoutValue::Ident(EnumToIdent(value));
  } else if constexpr (std::is_integral_v<V>) {
    return TLayoutValue::Int(static_cast<int64_t>(value));
  } else if constexpr (std::is_floating_point_v<V>) {
    TLayoutValue v;
    v.Kind = TLayoutValue::vkFloat;
    v.Float = value;
    return v;
  } else if constexpr (std::is_same_v<V, AnsiString>) {
    return TLayoutValue::Str(value);
  } else if constexpr (IsSet<V>::value) {
    TLayoutValue v;
    v.Kind = TLayoutValue::vkSet;
    for (auto& [name, e] : TEnumIdents<typename IsSet<V>::Element>::Table())
      if (value.Contains(e))
        v.Idents.push_back(name);
    return v;
  } else {
    static_assert(sizeof(V) == 0, "no layout conversion for this type");
  }
}

template <class V> constexpr TPropKind KindOf() {
  if constexpr (std::is_same_v<V, bool>)
    return pkBool;
  else if constexpr (std::is_enum_v<V>)
    return pkEnum;
  else if constexpr (std::is_integral_v<V>)
    return pkInteger;
  else if constexpr (std::is_floating_point_v<V>)
    return pkFloat;
  else if constexpr (IsSet<V>::value)
    return pkSet;
  else
    return pkString;
}

} // namespace typinfo_detail

// Fills a class's table; handed to the body of WT_PUBLISH.
template <class C> class TPublisher {
public:
  explicit TPublisher(TMetaClass& AMeta) : meta(AMeta) {}

  class TEntry {
  public:
    explicit TEntry(TPropInfo& AInfo) : info(AInfo) {}
    // The published default: a value equal to it is left out when writing.
    // A colour's default is compared as the layout writes the colour: by
    // its identifier where it has one.
    template <class V> TEntry& Default(V Value) {
      if constexpr (std::is_integral_v<V> && !std::is_same_v<V, bool>)
        info.DefaultValue = [Value, kind = info.Kind] {
          AnsiString ident;
          if (kind == pkColor && ColorToIdent(static_cast<TColor>(Value), ident))
            return TLayoutValue::Ident(ident);
          return typinfo_detail::ToLayout(Value);
        };
      else
        info.DefaultValue = [Value] { return typinfo_detail::ToLayout(Value); };
      return *this;
    }

  private:
    TPropInfo& info;
  };

  // A plain or reference property read by Getter and written by Setter (a
  // member function or a data member, of C or an ancestor).
  template <class G, class S> TEntry Property(const char* Name, G Getter, S Setter) {
    using V = std::decay_t<std::invoke_result_t<G, const C&>>;
    TPropInfo info;
    info.Name = Name;
    if constexpr (std::is_pointer_v<V>) {
      using T = std::remove_pointer_t<V>;
      static_assert(std::is_base_of_v<TComponent, T>, "pointer properties refer to components");
      info.Kind = pkReference;
      info.Set = [Setter](TObject& o, const TLayoutValue& v, TLoadContext& ctx) {
        if (v.Kind == TLayoutValue::vkIdent && AnsiSameText(v.Text, "nil")) {
          Apply(Setter, static_cast<C&>(o), static_cast<T*>(nullptr));
          return;
        }
        if (v.Kind != TLayoutValue::vkIdent)
          typinfo_detail::WrongKind(v, "a component name");
        C* self = &static_cast<C&>(o);
        const AnsiString target = v.Text;
        ctx.AddFixup(target, [self, Setter, target](TComponent* c) {
          T* typed = dynamic_cast<T*>(c);
          if (typed == nullptr)
            throw EPropertyError(target + " is not of a fitting class");
          Apply(Setter, *self, typed);
        });
      };
      info.Get = [Getter](const TObject& o) -> std::optional<TLayoutValue> {
        V value = std::invoke(Getter, static_cast<const C&>(o));
        if (value == nullptr)
          return std::nullopt;
        return TLayoutValue::Ident(value->Name());
      };
    } else {
      info.Kind = typinfo_detail::KindOf<V>();
      info.Set = [Setter](TObject& o, const TLayoutValue& v, TLoadContext&) {
        Apply(Setter, static_cast<C&>(o), typinfo_detail::FromLayout<V>(v));
      };
      info.Get = [Getter](const TObject& o) -> std::optional<TLayoutValue> {
        return typinfo_detail::ToLayout<V>(std::invoke(Getter, static_cast<const C&>(o)));
      };
    }
    return Add(std::move(info));
  }

  // A colour: an integer or a colour identifier.
  template <class G, class S> TEntry Color(const char* Name, G Getter, S Setter) {
    using V = std::decay_t<std::invoke_result_t<G, const C&>>;
    TPropInfo info;
    info.Name = Name;
    info.Kind = pkColor;
    info.Set = [Setter](TObject& o, const TLayoutValue& v, TLoadContext&) {
      if (v.Kind == TLayoutValue::vkInteger) {
        Apply(Setter, static_cast<C&>(o), static_cast<V>(v.Integer));
        return;
      }
      if (v.Kind != TLayoutValue::vkIdent)
        typinfo_detail::WrongKind(v, "a colour");
      TColor value = 0;
      if (!IdentToColor(v.Text, value))
        throw EPropertyError("'" + v.Text + "' is not a colour");
      Apply(Setter, static_cast<C&>(o), static_cast<V>(value));
    };
    info.Get = [Getter](const TObject& o) -> std::optional<TLayoutValue> {
      const auto value = static_cast<TColor>(std::invoke(Getter, static_cast<const C&>(o)));
      AnsiString ident;
      if (ColorToIdent(value, ident))
        return TLayoutValue::Ident(ident);
      return TLayoutValue::Int(value);
    };
    return Add(std::move(info));
  }

  // An event: a std::function data member of C or an ancestor, bound to a
  // method of the form whose signature matches exactly.
  template <class F, class B> TEntry Event(const char* Name, F B::*Member) {
    static_assert(typinfo_detail::IsFunction<F>::value, "events are std::function members");
    static_assert(std::is_base_of_v<B, C>, "the event belongs to the class or an ancestor");
    F C::*member = Member;
    TPropInfo info;
    info.Name = Name;
    info.Kind = pkEvent;
    info.Set = [member](TObject& o, const TLayoutValue& v, TLoadContext& ctx) {
      if (v.Kind != TLayoutValue::vkIdent)
        typinfo_detail::WrongKind(v, "a method name");
      static_cast<C&>(o).*member = std::any_cast<F>(ctx.FindMethod(v.Text, typeid(F)));
    };
    return Add(std::move(info));
  }

  // An owned sub-object (Font, Glyph, Items) whose own properties the layout
  // names by path: "Font.Name".
  template <class G> TEntry Object(const char* Name, G Getter) {
    using P = std::decay_t<std::invoke_result_t<G, C&>>;
    using T = std::remove_pointer_t<P>;
    TPropInfo info;
    info.Name = Name;
    info.Kind = pkObject;
    info.ObjectClass = &MetaOf<T>();
    info.SubObject = [Getter](TObject& o) -> TObject* {
      return static_cast<TObject*>(std::invoke(Getter, static_cast<C&>(o)));
    };
    return Add(std::move(info));
  }

  // A collection sub-object: "Columns = < item ... end >".
  template <class G> TEntry Collection(const char* Name, G Getter, const TMetaClass& ItemClass) {
    TPropInfo info;
    info.Name = Name;
    info.Kind = pkCollection;
    info.ObjectClass = &ItemClass;
    info.SubObject = [Getter](TObject& o) -> TObject* {
      return static_cast<TObject*>(std::invoke(Getter, static_cast<C&>(o)));
    };
    return Add(std::move(info));
  }

  // A block of bytes the class reads and writes itself: "Data = { ... }".
  TEntry Binary(const char* Name, std::function<void(C&, TStream&)> Read,
                std::function<void(const C&, TStream&)> Write) {
    TPropInfo info;
    info.Name = Name;
    info.Kind = pkBinary;
    info.ReadData = [Read](TObject& o, TStream& s) { Read(static_cast<C&>(o), s); };
    info.WriteData = [Write](const TObject& o, TStream& s) { Write(static_cast<const C&>(o), s); };
    return Add(std::move(info));
  }

  // A property handled wholly by the given functions.
  TEntry Custom(TPropInfo Info) { return Add(std::move(Info)); }

  // An event handler of the form, by name.
  template <class R, class... Args> void Method(const char* Name, R (C::*Fn)(Args...)) {
    using F = std::function<R(Args...)>;
    meta.Methods.push_back({Name, std::type_index(typeid(F)), [Fn](TComponent* root) -> std::any {
                              C* self = static_cast<C*>(root);
                              return F([self, Fn](Args... a) { return (self->*Fn)(a...); });
                            }});
  }

  // A field of the form that points at the component of the same name.
  template <class T> void Field(const char* Name, T* C::*Member) {
    static_assert(std::is_base_of_v<TComponent, T>, "fields hold components");
    MetaOf<T>(); // a class named by a field is loadable
    meta.Fields.push_back({Name,
                           [Member](TComponent* root, TComponent* value) {
                             T* typed = dynamic_cast<T*>(value);
                             if (typed == nullptr)
                               return false;
                             static_cast<C*>(root)->*Member = typed;
                             return true;
                           },
                           [Member](TComponent* root, TComponent* removed) {
                             C* self = dynamic_cast<C*>(root);
                             if (self != nullptr && self->*Member == removed)
                               self->*Member = nullptr;
                           }});
  }

private:
  template <class S, class V> static void Apply(S Setter, C& self, V&& value) {
    if constexpr (std::is_member_object_pointer_v<S>)
      std::invoke(Setter, self) = std::forward<V>(value);
    else
      std::invoke(Setter, self, std::forward<V>(value));
  }

  TEntry Add(TPropInfo info) {
    meta.Properties.push_back(std::move(info));
    return TEntry(meta.Properties.back());
  }

  TMetaClass& meta;
};

template <class C, class B>
TMetaClass BuildMetaClass(const char* Name, void (*Publish)(TPublisher<C>&)) {
  TMetaClass meta;
  meta.ClassName = Name;
  meta.Parent = &MetaOf<B>();
  if constexpr (std::is_base_of_v<TComponent, C> && !std::is_abstract_v<C> &&
                std::is_constructible_v<C, TComponent*>)
    meta.Create = [](TComponent* owner) -> TComponent* { return new C(owner); };
  TPublisher<C> publisher(meta);
  Publish(publisher);
  return meta;
}

#define WT_PUBLISH(Class, Base)                                                                    \
  static void Publish_##Class(TPublisher<Class>& p);                                               \
  template <> const TMetaClass& MetaOf<Class>() {                                                  \
    static const TMetaClass meta = BuildMetaClass<Class, Base>(#Class, &Publish_##Class);          \
    static const bool registered = (RegisterClass(meta), true);                                    \
    (void)registered;                                                                              \
    return meta;                                                                                   \
  }                                                                                                \
  [[maybe_unused]] static const bool registered_##Class = (MetaOf<Class>(), true);                 \
  static void Publish_##Class([[maybe_unused]] TPublisher<Class>& p)
