// Labels, buttons, editors, panels and images on a real (offscreen) form.
#include "platform/rtl/Codepage.h"
#include "platform/ui/Extctrls.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Stdctrls.h"
#include "tests/platform/ui/FormFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using StdControls = FormTest;

TEST_F(StdControls, EditKeyHandlersSeeKeysFirstAndMayChangeOrSwallowThem) {
  auto* edit = Make<TEdit>(10, 10, 150, 22);
  std::vector<std::string> log;
  edit->OnChange = [&](TObject*) { log.push_back("change " + edit->Text()); };
  edit->OnKeyDown = [&](TObject*, uint16_t& key, TShiftState) {
    log.push_back("down " + std::to_string(key));
    if (key == 'X')
      key = 0; // swallowed: no character follows
  };
  edit->OnKeyPress = [&](TObject*, char& ch) {
    if (ch == 'a')
      ch = 'b';
    if (ch == '!')
      ch = 0;
  };
  form->FocusControl(edit);
  Pump();
  ASSERT_TRUE(edit->Focused());
  Type("ax!c");
  EXPECT_EQ(edit->Text(), "bc");
  // '!' is told as its key, the shifted 1; OnKeyPress swallows its character.
  EXPECT_EQ(log, (std::vector<std::string>{"down 65", "change b", "down 88", "down 49", "down 67",
                                           "change bc"}));
  // The pointer over the editing widget is over the control (hints need it).
  SimulateMouseMove(At(edit, 20, 5));
  EXPECT_EQ(MouseControl(), edit);
  SimulateMouseMove(At(form, 250, 200));
  EXPECT_EQ(MouseControl(), form);
  // The program's own change is reported too, and shows in the editor.
  edit->SetText("new");
  EXPECT_EQ(log.back(), "change new");
  EXPECT_EQ(edit->SelStart(), 3);
}

TEST_F(StdControls, EditHonoursMaxLengthReadOnlyAndTheCaret) {
  auto* edit = Make<TEdit>(10, 10, 150, 22);
  edit->SetMaxLength(3);
  form->FocusControl(edit);
  Pump();
  Type("abcde");
  EXPECT_EQ(edit->Text(), "abc");
  edit->SetMaxLength(0);
  edit->SetSelStart(1);
  Type("z");
  EXPECT_EQ(edit->Text(), "azbc");
  EXPECT_EQ(edit->SelStart(), 2);
  edit->SelectAll();
  EXPECT_EQ(edit->SelLength(), 4);
  edit->SetReadOnly(true);
  edit->SetSelStart(4);
  Type("q");
  EXPECT_EQ(edit->Text(), "azbc");
  // Text is Windows-1252 inside: e acute is one byte, typed or set.
  edit->SetReadOnly(false);
  SimulateKey(0, {}, '\xE9');
  EXPECT_EQ(edit->Text(), "azbc\xE9");
}

// A character the code page lacks is kept as its UTF-8 bytes: set, it shows
// as itself; typed, it arrives as those bytes, so a Cyrillic keyword can be
// matched against a Cyrillic headline.
TEST_F(StdControls, EditShowsAndTakesCharactersTheCodePageLacks) {
  auto* edit = Make<TEdit>(10, 10, 150, 22);
  edit->SetText("\xD0\x9D\xD0\xBE\xD0\xB2 \x92 \xE9 \xC3\xA9");
  auto* line = static_cast<QWidget*>(edit->Impl()->Native())->findChild<QLineEdit*>();
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->text(), QString::fromUtf8("Нов ’ é Ã©"));
  form->FocusControl(edit);
  Pump();
  edit->SetText("");
  for (const char* typed : {"Ж", "中", "’", "é"}) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString::fromUtf8(typed));
    QCoreApplication::sendEvent(QApplication::focusWidget(), &press);
  }
  EXPECT_EQ(edit->Text(), "\xD0\x96\xE4\xB8\xAD\x92\xE9");
}

TEST_F(StdControls, MemoLinesAndTextAreOne) {
  auto* memo = Make<TMemo>(10, 10, 200, 100);
  memo->Lines()->Add("first");
  memo->Lines()->Add("second");
  EXPECT_EQ(memo->Text(), "first\r\nsecond");
  memo->SetText("a\r\nb\r\n");
  ASSERT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Lines()->Strings(1), "b");
  form->FocusControl(memo);
  memo->SetSelStart(static_cast<int>(memo->Text().size()));
  Type("c");
  EXPECT_EQ(memo->Lines()->Count(), 3);
  EXPECT_EQ(memo->Lines()->Strings(2), "c");
}

// Lines added one at a time reach the editor as additions; every other change
// shows the whole text again. Either way the text is the lines joined and the
// editor shows the text.
TEST_F(StdControls, MemoEditorShowsTheLinesHoweverTheyChange) {
  auto* memo = Make<TMemo>(10, 10, 200, 100);
  form->FocusControl(memo);
  Pump();
  QPlainTextEdit* editor = nullptr;
  for (QWidget* widget : QApplication::allWidgets())
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
      editor = plain;
  ASSERT_NE(editor, nullptr);
  const auto joined = [&] {
    AnsiString text;
    for (int i = 0; i < memo->Lines()->Count(); ++i)
      text += (i > 0 ? "\r\n" : "") + memo->Lines()->Strings(i);
    return text;
  };
  const auto shown = [&] {
    std::string text = memo->Text();
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return QString::fromStdString(Cp1252ToUtf8(text));
  };
  struct TStep {
    const char* Name;
    std::function<void()> Change;
    bool TextIsJoined;
  };
  TStrings* lines = memo->Lines();
  const std::vector<TStep> steps = {
      {"a first line", [&] { lines->Add("first"); }, true},
      {"a second line", [&] { lines->Add("second"); }, true},
      {"an empty line", [&] { lines->Add(""); }, true},
      {"a line after the empty one", [&] { lines->Add("caf\xE9"); }, true},
      {"a line put first", [&] { lines->Insert(0, "zero"); }, true},
      {"a line inserted at the end", [&] { lines->Insert(lines->Count(), "end"); }, true},
      {"the text set with bare line feeds", [&] { memo->SetText("x\ny\n"); }, false},
      {"a line after the text was set", [&] { lines->Add("after set"); }, true},
      {"lines added in one update",
       [&] {
         lines->BeginUpdate();
         lines->Add("a");
         lines->Add("b");
         lines->EndUpdate();
       },
       true},
      {"the first line gone, one added",
       [&] {
         lines->Delete(0);
         lines->Add("last");
       },
       true},
      {"typed by the user",
       [&] {
         memo->SetSelStart(static_cast<int>(memo->Text().size()));
         Type("t");
       },
       false},
      {"a line after typing", [&] { lines->Add("after typing"); }, true},
      {"all lines cleared, one added",
       [&] {
         lines->Clear();
         lines->Add("alone");
       },
       true},
  };
  for (const TStep& step : steps) {
    SCOPED_TRACE(step.Name);
    step.Change();
    if (step.TextIsJoined) {
      EXPECT_EQ(memo->Text(), joined());
    }
    EXPECT_EQ(editor->toPlainText(), shown());
  }
  EXPECT_EQ(memo->Text(), "alone");
}

TEST_F(StdControls, ReturnInAnEditPressesTheDefaultButtonAndEscapeTheCancelButton) {
  auto* edit = Make<TEdit>(10, 10, 150, 22);
  auto* ok = Make<TButton>(10, 40, 75, 25);
  auto* cancel = Make<TButton>(90, 40, 75, 25);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  cancel->SetCancel(true);
  cancel->SetModalResult(mrCancel);
  std::vector<TObject*> clicks;
  ok->OnClick = cancel->OnClick = [&](TObject* s) { clicks.push_back(s); };
  form->FocusControl(edit);
  Pump();
  SimulateKey(VK_RETURN, {}, '\r');
  EXPECT_EQ(form->ModalResult, mrOk);
  SimulateKey(VK_ESCAPE, {}, '\x1b');
  EXPECT_EQ(form->ModalResult, mrCancel);
  EXPECT_EQ(clicks, (std::vector<TObject*>{ok, cancel}));
  // A mouse click, and the space bar on the focused button.
  SimulateMouseDown(At(ok, 10, 10), mbLeft);
  SimulateMouseUp(At(ok, 10, 10), mbLeft);
  EXPECT_TRUE(ok->Focused());
  SimulateKey(VK_SPACE, {}, ' ');
  EXPECT_EQ(clicks, (std::vector<TObject*>{ok, cancel, ok, ok}));
}

TEST_F(StdControls, LabelSizesToItsCaptionAndTakesMouseEvents) {
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetBounds(20, 150, 10, 10);
  label->SetCaption("A rather longer caption");
  const int wide = label->Width();
  EXPECT_GT(wide, 100);
  EXPECT_GT(label->Height(), 8);
  label->SetCaption("A");
  EXPECT_LT(label->Width(), wide / 4);
  label->SetAutoSize(false);
  label->SetWidth(200);
  label->SetCaption("Fixed");
  EXPECT_EQ(label->Width(), 200);

  std::vector<std::string> log;
  label->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int x, int y) {
    log.push_back("down " + std::to_string(x) + "," + std::to_string(y));
  };
  label->OnClick = [&](TObject*) { log.push_back("click"); };
  label->OnDblClick = [&](TObject*) { log.push_back("dblclick"); };
  SimulateMouseDown(At(label, 3, 4), mbLeft);
  SimulateMouseUp(At(label, 3, 4), mbLeft);
  SimulateDoubleClick(At(label, 5, 5));
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[0], "down 3,4");
  EXPECT_EQ(log[1], "click");
  EXPECT_NE(std::find(log.begin(), log.end(), "dblclick"), log.end());
}

TEST_F(StdControls, PanelKeepsAlignedChildrenInsideItsBevelsAndBorder) {
  auto* panel = Make<TPanel>(10, 10, 200, 150);
  panel->SetBevelOuter(bvRaised);
  panel->SetBevelInner(bvLowered);
  panel->SetBevelWidth(2);
  panel->SetBorderWidth(3);
  auto* top = Make<TPanel>(0, 0, 50, 20, panel);
  top->SetAlign(alTop);
  auto* rest = Make<TPanel>(0, 0, 50, 20, panel);
  rest->SetAlign(alClient);
  // 2 + 3 + 2 pixels of frame on each side.
  EXPECT_EQ(top->BoundsRect(), Rect(7, 7, 193, 27));
  EXPECT_EQ(rest->BoundsRect(), Rect(7, 27, 193, 143));
  panel->SetBevelInner(bvNone);
  EXPECT_EQ(rest->BoundsRect(), Rect(5, 25, 195, 145));
  // The raised outer bevel is light at the top left, dark at the bottom right.
  panel->SetColor(clBtnFace);
  EXPECT_EQ(PixelAt(panel, 0, 0), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(PixelAt(panel, 199, 149), ColorToRGB(clBtnShadow));
}

TEST_F(StdControls, ImageShowsItsPictureCentredOrAtItsOwnSize) {
  auto* image = new TImage(form);
  image->SetParent(form);
  image->SetBounds(100, 100, 40, 40);
  TBitmap bmp;
  bmp.SetSize(10, 10);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(Rect(0, 0, 10, 10));
  image->Picture()->SetGraphic(&bmp);
  form->SetColor(clBlue);
  EXPECT_EQ(PixelAt(form, 105, 105), ColorToRGB(clRed));
  EXPECT_EQ(PixelAt(form, 120, 120), ColorToRGB(clBlue));
  image->SetCenter(true);
  EXPECT_EQ(PixelAt(form, 120, 120), ColorToRGB(clRed));
  EXPECT_EQ(PixelAt(form, 105, 105), ColorToRGB(clBlue));
  image->SetAutoSize(true);
  EXPECT_EQ(image->Width(), 10);
  EXPECT_EQ(image->Height(), 10);
}

} // namespace

namespace {

// An owner-drawn combo box whose items paint in colours of their own.
TEST_F(StdControls, OwnerDrawnComboPaintsItemsThroughOnDrawItemAndPicksFromItsList) {
  auto* combo = Make<TComboBox>(10, 10, 120, 22);
  combo->SetStyle(csOwnerDrawFixed);
  combo->SetItemHeight(16);
  for (const char* s : {"red", "green", "blue"})
    combo->Items()->Add(s);
  const TColor colours[] = {clRed, clLime, clBlue};
  std::vector<std::string> drawn;
  combo->OnDrawItem = [&](TWinControl* c, int i, TRect r, TOwnerDrawState state) {
    drawn.push_back(std::to_string(i) + (state.Contains(odComboBoxEdit) ? " box" : " list"));
    TCanvas* canvas = static_cast<TComboBox*>(c)->Canvas();
    canvas->Brush()->SetColor(colours[i]);
    canvas->FillRect(r);
  };
  std::vector<int> changes;
  combo->OnChange = [&](TObject*) { changes.push_back(combo->ItemIndex()); };
  combo->SetItemIndex(1);
  EXPECT_EQ(PixelAt(combo, 10, 10), ColorToRGB(clLime));
  EXPECT_EQ(drawn.back(), "1 box");

  ClickAt(combo, 10, 10);
  ASSERT_TRUE(combo->DroppedDown());
  // The open list leaves the keys with the box.
  EXPECT_TRUE(combo->Focused());
  const TPoint third = At(combo, 10, combo->Height() + 1 + 2 * 16 + 8);
  TWinControl* list = FindVCLWindow(third);
  ASSERT_NE(list, nullptr);
  ASSERT_NE(list, form);
  Pump(); // the list's window is shown
  drawn.clear();
  EXPECT_EQ(PixelAt(list, 10, 1 + 2 * 16 + 8), ColorToRGB(clBlue));
  EXPECT_EQ(drawn, (std::vector<std::string>{"0 list", "1 list", "2 list"}));
  SimulateMouseDown(third, mbLeft);
  SimulateMouseUp(third, mbLeft);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(combo->ItemIndex(), 2);
  // The keyboard steps through the items; the last one stays the last.
  SimulateKey(VK_UP);
  SimulateKey(VK_DOWN);
  SimulateKey(VK_DOWN);
  EXPECT_EQ(changes, (std::vector<int>{2, 1, 2}));
}

} // namespace

namespace {

// Defaults named by identifiers are left out of a written layout, whichever
// unit's start-up registers the identifiers first.
TEST(StdControlsLayout, EnumerationDefaultsAreNotWritten) {
  Application->Initialize();
  TForm host(nullptr);
  auto* label = new TLabel(&host);
  label->SetName("label");
  label->SetParent(&host);
  auto* panel = new TPanel(&host);
  panel->SetName("panel");
  panel->SetParent(&host);
  const AnsiString written = WriteComponentLayout(&host);
  EXPECT_EQ(written.find("Alignment"), AnsiString::npos) << written;
  panel->SetAlignment(taLeftJustify);
  const AnsiString changed = WriteComponentLayout(&host);
  EXPECT_NE(changed.find("Alignment = taLeftJustify"), AnsiString::npos) << changed;
}

TEST(StdControlsLayout, ComboIndexStoredBeforeItsItemsHolds) {
  Application->Initialize();
  TForm host(nullptr);
  ReadComponentLayout(&host,
                      "object F: TForm\n"
                      "  object samples: TComboBox\n"
                      "    Style = csOwnerDrawFixed\n"
                      "    ItemIndex = 2\n"
                      "    Items.Strings = (\n      'a'\n      'b'\n      'c')\n"
                      "  end\n"
                      "  object broken: TComboBox\n"
                      "    ItemIndex = 5\n"
                      "  end\n"
                      "end\n",
                      "combo.lay");
  auto* samples = dynamic_cast<TComboBox*>(host.FindComponent("samples"));
  ASSERT_NE(samples, nullptr);
  EXPECT_EQ(samples->Style(), csOwnerDrawFixed);
  EXPECT_EQ(samples->ItemIndex(), 2);
  auto* broken = dynamic_cast<TComboBox*>(host.FindComponent("broken"));
  ASSERT_NE(broken, nullptr);
  EXPECT_EQ(broken->ItemIndex(), -1);
}

} // namespace

namespace {

TEST_F(StdControls, CheckBoxTogglesByMouseAndSpaceAndTellsEveryChange) {
  auto* box = Make<TCheckBox>(10, 10, 120, 18);
  box->SetCaption("Use a script");
  std::vector<bool> clicks;
  box->OnClick = [&](TObject*) { clicks.push_back(box->Checked()); };
  ClickAt(box, 5, 9);
  EXPECT_TRUE(box->Checked());
  SimulateKey(VK_SPACE, {}, ' ');
  EXPECT_FALSE(box->Checked());
  // A press released outside is no toggle; the program's change is a click.
  SimulateMouseDown(At(box, 5, 9), mbLeft);
  SimulateMouseUp(At(box, 200, 100), mbLeft);
  box->SetChecked(true);
  box->SetChecked(true);
  EXPECT_EQ(clicks, (std::vector<bool>{true, false, true}));
}

} // namespace
