#include "platform/ui/Layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

enum TShape { shBox, shFrame, shLine };
enum TOption { opOne, opTwo, opThree };
using TOptions = TSet<TOption>;
[[maybe_unused]] const bool shapes =
    RegisterEnum<TShape>({{"shBox", shBox}, {"shFrame", shFrame}, {"shLine", shLine}});
[[maybe_unused]] const bool options =
    RegisterEnum<TOption>({{"opOne", opOne}, {"opTwo", opTwo}, {"opThree", opThree}});

// A sub-object like a font.
class TStyle : public TPersistent {
public:
  AnsiString Name = "Default";
  int Size = 8;
};

class TGadget;

class TSwatch : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  int Width = 0;
};

// Carries one property of every kind.
class TGadget : public TComponent {
public:
  explicit TGadget(TComponent* AOwner) : TComponent(AOwner) {}

  int Count = 0;
  unsigned char Small = 0;
  bool Flag = false;
  double Ratio = 0;
  AnsiString Caption;
  TShape Shape = shBox;
  TOptions Options;
  int32_t Color = 0;
  TNotifyEvent OnClick;
  std::function<void(TObject*, int&)> OnCount;
  TGadget* Buddy = nullptr;
  TStyle Style;
  TStringList Lines;
  TOwnedCollection<TSwatch> Swatches;
  std::vector<uint8_t> Data;
  int Spacing = 0; // the constructor's value differs from the published default

  int LoadedCalls = 0;
  int ChangesSeen = 0;
  bool LoadingSeenByLoaded = false;
  bool BuddySetBeforeLoaded = false;

  TStyle* GetStyle() { return &Style; }
  TStringList* GetLines() { return &Lines; }
  TOwnedCollection<TSwatch>* GetSwatches() { return &Swatches; }

  int GetCount() const { return Count; }
  // A change event that the layout's values must not fire.
  void SetCount(int Value) {
    Count = Value;
    if (!ComponentState().Contains(csLoading))
      ++ChangesSeen;
  }

  void Loaded() override {
    TComponent::Loaded();
    if (Caption == "refuse")
      throw Exception("Loaded refused");
    ++LoadedCalls;
    BuddySetBeforeLoaded = Buddy != nullptr || Name() != "first";
  }

  void DefineProperties(TFiler& Filer) override {
    Filer.DefineBinaryProperty(
        "Data",
        [this](TStream& s) {
          Data.resize(static_cast<size_t>(s.Size()));
          s.ReadBuffer(Data.data(), static_cast<int>(Data.size()));
        },
        [this](TStream& s) { s.WriteBuffer(Data.data(), static_cast<int>(Data.size())); },
        !Data.empty());
  }
};

// Publishes an inherited property again with a default of its own.
class TPlainGadget : public TGadget {
public:
  using TGadget::TGadget;
};

class TTestForm : public TComponent {
public:
  explicit TTestForm(TComponent* AOwner) : TComponent(AOwner) {}
  TGadget* first = nullptr;
  TGadget* second = nullptr;
  std::vector<TObject*> Clicks;
  void FirstClick(TObject* Sender) { Clicks.push_back(Sender); }
  void CountIt(TObject*, int& n) { n += 5; }
  void WrongShape(int) {}
};

} // namespace

WT_DECLARE_META(TStyle)
WT_DECLARE_META(TSwatch)
WT_DECLARE_META(TGadget)
WT_DECLARE_META(TTestForm)
WT_DECLARE_META(TPlainGadget)

WT_PUBLISH(TStyle, TPersistent) {
  p.Property("Name", &TStyle::Name, &TStyle::Name);
  p.Property("Size", &TStyle::Size, &TStyle::Size);
}

WT_PUBLISH(TSwatch, TCollectionItem) {
  p.Property("Width", &TSwatch::Width, &TSwatch::Width);
}

WT_PUBLISH(TGadget, TComponent) {
  p.Property("Count", &TGadget::GetCount, &TGadget::SetCount);
  p.Property("Small", &TGadget::Small, &TGadget::Small);
  p.Property("Flag", &TGadget::Flag, &TGadget::Flag);
  p.Property("Ratio", &TGadget::Ratio, &TGadget::Ratio);
  p.Property("Caption", &TGadget::Caption, &TGadget::Caption);
  p.Property("Shape", &TGadget::Shape, &TGadget::Shape).Default(shBox);
  p.Property("Options", &TGadget::Options, &TGadget::Options);
  p.Color("Color", &TGadget::Color, &TGadget::Color);
  p.Event("OnClick", &TGadget::OnClick);
  p.Event("OnCount", &TGadget::OnCount);
  p.Property("Buddy", &TGadget::Buddy, &TGadget::Buddy);
  p.Object("Style", &TGadget::GetStyle);
  p.Object("Lines", &TGadget::GetLines);
  p.Collection("Swatches", &TGadget::GetSwatches, MetaOf<TSwatch>());
  p.Property("Spacing", &TGadget::Spacing, &TGadget::Spacing).Default(4);
}

WT_PUBLISH(TPlainGadget, TGadget) {
  p.Color("Color", &TGadget::Color, &TGadget::Color).Default(clWindow);
}

WT_PUBLISH(TTestForm, TComponent) {
  p.Method("FirstClick", &TTestForm::FirstClick);
  p.Method("CountIt", &TTestForm::CountIt);
  p.Method("WrongShape", &TTestForm::WrongShape);
  p.Field("first", &TTestForm::first);
  p.Field("second", &TTestForm::second);
}

namespace {

const char* const kLayout = R"(object Form1: TTestForm
  Tag = 3
  object first: TGadget
    Count = -42
    Small = $FF
    Flag = True
    Ratio = 1.5
    Caption = 'It''s'#13#10'two lines' +
      ' and more'
    Shape = shLine
    Options = [opOne, opThree]
    Color = clRed
    OnClick = FirstClick
    OnCount = CountIt
    Buddy = second
    Style.Name = 'Arial'
    Lines.Strings = (
      'alpha'
      'beta')
    Swatches = <
      item
        Width = 10
      end
      item
        Width = 20
      end>
    Data = {
      0001FEff}
  end
  object second: TGadget
    Color = 255
    Buddy = Form1.first
  end
end
)";

TEST(Layout, EveryPropertyKindLoads) {
  TTestForm form(nullptr);
  FindGlobalComponent = [&](const AnsiString& name) -> TComponent* {
    return name == "Form1" ? &form : nullptr;
  };
  ReadComponentLayout(&form, kLayout, "test.lay");
  FindGlobalComponent = nullptr;

  EXPECT_EQ(form.Name(), "Form1");
  EXPECT_EQ(form.Tag, 3);
  ASSERT_NE(form.first, nullptr);
  ASSERT_NE(form.second, nullptr);
  TGadget& g = *form.first;
  EXPECT_EQ(g.Owner(), &form);
  EXPECT_EQ(g.Count, -42);
  EXPECT_EQ(g.Small, 255);
  EXPECT_TRUE(g.Flag);
  EXPECT_DOUBLE_EQ(g.Ratio, 1.5);
  EXPECT_EQ(g.Caption, "It's\r\ntwo lines and more");
  EXPECT_EQ(g.Shape, shLine);
  EXPECT_EQ(g.Options, (TOptions{opOne, opThree}));
  EXPECT_EQ(g.Color, 0x0000FF);
  EXPECT_EQ(form.second->Color, 255);
  EXPECT_EQ(g.Style.Name, "Arial");
  EXPECT_EQ(g.Style.Size, 8); // absent: the constructor's value stays
  EXPECT_EQ(g.Lines.Text(), "alpha\r\nbeta\r\n");
  ASSERT_EQ(g.Swatches.Count(), 2);
  EXPECT_EQ(g.Swatches[1]->Width, 20);
  EXPECT_EQ(g.Data, (std::vector<uint8_t>{0x00, 0x01, 0xFE, 0xFF}));
  EXPECT_EQ(g.Spacing, 0); // absent: the constructor's 0, not the published 4

  // References resolve after every component exists, also across roots.
  EXPECT_EQ(g.Buddy, form.second);
  EXPECT_EQ(form.second->Buddy, form.first);

  // Events are bound to the root's methods.
  ASSERT_TRUE(g.OnClick);
  g.OnClick(&g);
  EXPECT_EQ(form.Clicks, std::vector<TObject*>{&g});
  int n = 1;
  g.OnCount(&g, n);
  EXPECT_EQ(n, 6);

  // Loaded once each, after every reference was set, with loading over.
  EXPECT_EQ(g.LoadedCalls, 1);
  EXPECT_EQ(form.second->LoadedCalls, 1);
  EXPECT_TRUE(g.BuddySetBeforeLoaded);
  EXPECT_FALSE(g.ComponentState().Contains(csLoading));
  EXPECT_FALSE(form.ComponentState().Contains(csLoading));
  // Setters ran while loading: no change events.
  EXPECT_EQ(g.ChangesSeen, 0);
  g.SetCount(1);
  EXPECT_EQ(g.ChangesSeen, 1);
}

TEST(Layout, FieldsAreClearedWhenTheirComponentGoes) {
  TTestForm form(nullptr);
  ReadComponentLayout(&form, "object F: TTestForm\n object first: TGadget\n end\nend\n", "f.lay");
  ASSERT_NE(form.first, nullptr);
  delete form.first;
  EXPECT_EQ(form.first, nullptr);
}

TEST(Layout, WrittenLayoutReadsBackTheSame) {
  TTestForm form(nullptr);
  FindGlobalComponent = [&](const AnsiString&) -> TComponent* { return &form; };
  ReadComponentLayout(&form, kLayout, "test.lay");
  const AnsiString written = WriteComponentLayout(&form);
  // The constructor's 0 differs from the published default 4: it is written.
  EXPECT_NE(written.find("Spacing = 0"), AnsiString::npos) << written;
  EXPECT_NE(written.find("Caption = 'It''s'#13#10'two lines and more'"), AnsiString::npos)
      << written;

  TTestForm copy(nullptr);
  ReadComponentLayout(&copy, written, "written.lay");
  FindGlobalComponent = nullptr;
  EXPECT_EQ(WriteComponentLayout(&copy), written);
  EXPECT_EQ(copy.first->Data, form.first->Data);
  EXPECT_EQ(copy.first->Swatches[0]->Width, 10);

  // A value equal to the published default is left out.
  copy.first->Spacing = 4;
  copy.second->Spacing = 4;
  EXPECT_EQ(WriteComponentLayout(&copy).find("Spacing"), AnsiString::npos);
}

TEST(Layout, ComponentsWithoutANameReadAndWriteBack) {
  const AnsiString text = "object form: TTestForm\n"
                          "  object TGadget\n"
                          "    Count = 1\n"
                          "  end\n"
                          "  object named: TGadget\n"
                          "  end\n"
                          "end\n";
  const TLayoutObject tree = ParseLayout(text, "unnamed.lay");
  ASSERT_EQ(tree.Children.size(), 2u);
  EXPECT_EQ(tree.Children[0].Name, "");
  EXPECT_EQ(tree.Children[0].ClassName, "TGadget");
  EXPECT_EQ(tree.Children[0].Properties.size(), 1u);
  EXPECT_EQ(tree.Children[1].Name, "named");
  EXPECT_EQ(FormatLayout(tree), text);
}

struct TBrokenCase {
  const char* Layout;
  const char* Message; // the whole message: file, line, property, reason
};

class LayoutErrors : public testing::TestWithParam<TBrokenCase> {};

TEST_P(LayoutErrors, NameFileLineAndPropertyAndLoadNothing) {
  TTestForm form(nullptr);
  try {
    ReadComponentLayout(&form, GetParam().Layout, "broken.lay");
    FAIL() << "loaded";
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message, GetParam().Message);
  }
  EXPECT_EQ(form.ComponentCount(), 0);
  EXPECT_EQ(form.first, nullptr);
  EXPECT_FALSE(form.ComponentState().Contains(csLoading));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LayoutErrors,
    testing::Values(
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n  Count = 'x'\n end\nend\n",
                    "broken.lay(3): first.Count: expected an integer, found 'x'"},
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n end\n object second: "
                    "TGadget\n  Small = 256\n end\nend\n",
                    "broken.lay(5): second.Small: 256 is out of range"},
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n  Nope = 1\n end\nend\n",
                    "broken.lay(3): first.Nope: property Nope does not exist"},
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n  Style.Colour = 1\n "
                    "end\nend\n",
                    "broken.lay(3): first.Style.Colour: property Colour does not exist"},
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n  Shape = shRound\n "
                    "end\nend\n",
                    "broken.lay(3): first.Shape: 'shRound' is not a valid value"},
        TBrokenCase{"object F: TTestForm\n object first: TNothing\n end\nend\n",
                    "broken.lay(2): first: class TNothing not found"},
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n  Buddy = ghost\n end\nend\n",
                    "broken.lay(3): first.Buddy: component ghost not found"},
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n  OnClick = Missing\n "
                    "end\nend\n",
                    "broken.lay(3): first.OnClick: method Missing not found in TTestForm"},
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n  OnClick = WrongShape\n "
                    "end\nend\n",
                    "broken.lay(3): first.OnClick: method WrongShape does not fit this event"},
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n end\n object first: "
                    "TGadget\n end\nend\n",
                    "broken.lay(4): first: A component named first already exists"},
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n  Caption = 'open\n end\nend\n",
                    "broken.lay(3): unterminated string"},
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n  Data = {0A1}\n end\nend\n",
                    "broken.lay(3): odd number of hexadecimal digits in binary data"},
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n  Count = 1\n",
                    "broken.lay(4): 'end' missing for object first"},
        TBrokenCase{"object F: TTestForm\n object first: TGadget\n end\n object second: "
                    "TGadget\n  Caption = 'refuse'\n end\nend\n",
                    "broken.lay(4): second: Loaded refused"},
        TBrokenCase{"object F: TGadget\nend\n",
                    "broken.lay(1): the layout is of class TGadget, not TTestForm"}),
    [](const testing::TestParamInfo<TBrokenCase>& Info) { return std::to_string(Info.index); });

TEST(Layout, EmbeddedResourcesAreFoundByName) {
  RegisterLayoutResource("unitTestLayout", "object F: TTestForm\nend\n", 24);
  TTestForm form(nullptr);
  ReadLayout(&form, "UNITTESTLAYOUT");
  EXPECT_EQ(form.Name(), "F");
  EXPECT_THROW(ReadLayout(&form, "noSuchLayout"), EReadError);
}

} // namespace

TEST(Layout, ARepublishedPropertyIsWrittenOnceWithItsOwnDefault) {
  TComponent root(nullptr);
  auto* gadget = new TPlainGadget(&root);
  gadget->SetName("plain");
  gadget->Color = static_cast<int32_t>(clWindow);
  EXPECT_EQ(WriteComponentLayout(&root).find("Color"), AnsiString::npos);
  gadget->Color = clRed;
  const AnsiString written = WriteComponentLayout(&root);
  const size_t at = written.find("Color = clRed");
  ASSERT_NE(at, AnsiString::npos) << written;
  EXPECT_EQ(written.find("Color", at + 1), AnsiString::npos) << written;
  // The ancestor's own declaration, without a default, still writes it.
  TComponent holder(nullptr);
  auto* other = new TGadget(&holder);
  other->SetName("other");
  other->Color = static_cast<int32_t>(clWindow);
  EXPECT_NE(WriteComponentLayout(&holder).find("Color = clWindow"), AnsiString::npos);
}
