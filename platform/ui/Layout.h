#pragma once
// Stored layouts: a form, its controls and its non-visual components written
// as nested objects in text, read back into live components.
//
//   object frmMain: TfrmMain          // the root: a form or other component
//     Left = 10                       // integers, also $1F hexadecimal
//     Caption = 'News'#13#10'today'   // strings with #n control characters
//     Visible = True                  // booleans and enumeration identifiers
//     Color = clBtnFace               // colours: identifiers or integers
//     Anchors = [akLeft, akTop]       // sets
//     Font.Name = 'Arial'             // properties of owned sub-objects
//     Items.Strings = ('one' 'two')   // lists
//     Glyph.Data = {0A0B0C}           // binary blocks, in hexadecimal
//     Columns = <                     // collections
//       item
//         Width = 40
//       end>
//     OnClick = btnPlayClick          // events: a method of the root's class
//     PopupMenu = popSort             // references: any component by name
//     object btnPlay: TepMorphButton  // components made and owned by the root;
//       Spacing = 0                   //  nesting gives controls their parent
//     end
//   end
//
// Layouts live in resources/ as <Name>.lay; wt_embed_layouts() in the build
// compiles them into the executable, where ReadLayout(this, "frmMain") finds
// them. Anything the loader cannot read raises EReadError naming the file, the
// line and the property; the components it made are freed again, so nothing
// is left half loaded.
#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Classes.h"
#include "platform/ui/Typinfo.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

// EReadError (platform/rtl/Streams.h) is what a broken layout raises.

struct TLayoutObject {
  AnsiString Name;
  AnsiString ClassName;
  int Line = 0;
  std::vector<TLayoutProperty> Properties;
  std::vector<TLayoutObject> Children;
};

// Text -> tree; syntax errors raise EReadError with the file and line.
TLayoutObject ParseLayout(const AnsiString& Text, const AnsiString& FileName);
// Tree -> text, in the same format.
AnsiString FormatLayout(const TLayoutObject& Object);

// Reads one defined property's value.
class TReader : public TFiler {
public:
  void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

  const TLayoutValue& Value() const { return *value; }
  int64_t ReadInteger() const;
  AnsiString ReadString() const;
  AnsiString ReadIdent() const;
  bool ReadBoolean() const;

private:
  friend class TLayoutLoader;
  AnsiString wanted;
  const TLayoutValue* value = nullptr;
  bool found = false;
};

// Collects the values of defined properties for writing.
class TWriter : public TFiler {
public:
  void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

  void WriteValue(TLayoutValue Value) { current = std::move(Value); }
  void WriteInteger(int64_t Value) { current = TLayoutValue::Int(Value); }
  void WriteString(const AnsiString& Value) { current = TLayoutValue::Str(Value); }
  void WriteIdent(const AnsiString& Value) { current = TLayoutValue::Ident(Value); }
  void WriteBoolean(bool Value) { current = TLayoutValue::Ident(Value ? "True" : "False"); }

private:
  friend class TLayoutWriter;
  std::vector<TLayoutProperty>* out = nullptr;
  TLayoutValue current;
};

// Reads a layout into Root: sets Root's properties, makes every nested
// component (owned by Root), resolves references, binds events and fields,
// then calls Loaded on Root and on every component made, in that order. The
// layout's root class must be Root's class.
void ReadComponentLayout(TComponent* Root, const AnsiString& Text, const AnsiString& FileName);
// The same with a layout embedded in the executable ("frmMain" for
// resources/frmMain.lay); EReadError when there is none of that name.
void ReadLayout(TComponent* Root, const AnsiString& ResourceName);
// Makes a new root of the layout's class, owned by Owner, and reads it.
TComponent* CreateFromLayout(const AnsiString& Text, const AnsiString& FileName, TComponent* Owner);

// Root and the components it owns, nested by GetChildren, in the layout
// format. Events are not written: a handler cannot be named from its value.
AnsiString WriteComponentLayout(TComponent* Root);

// Embedded layouts, registered by the code that wt_embed_layouts() generates.
bool RegisterLayoutResource(const char* Name, const char* Text, std::size_t Size);
std::optional<AnsiString> FindLayoutResource(const AnsiString& Name);

// Finds a component outside the root for a reference like "frmMain.hint":
// the forms set it. Empty by default.
extern std::function<TComponent*(const AnsiString& Name)> FindGlobalComponent;
