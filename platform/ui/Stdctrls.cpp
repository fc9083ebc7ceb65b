#include "platform/ui/Stdctrls.h"

#include "platform/gfx/ScreenText.h"
#include "platform/ui/Extctrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/WindowImpl.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextBlock>

#include <algorithm>

namespace {

QFont QtFont(const TFont* f) {
  QFont q(AnsiToQString(f->Name()));
  q.setPixelSize(std::max(1, std::abs(f->Height())));
  q.setBold(f->Style().Contains(fsBold));
  q.setItalic(f->Style().Contains(fsItalic));
  q.setUnderline(f->Style().Contains(fsUnderline));
  q.setStrikeOut(f->Style().Contains(fsStrikeOut));
  return q;
}

QColor QtColor(TColor c) {
  const COLORREF v = ColorToRGB(c);
  return QColor(GetRValue(v), GetGValue(v), GetBValue(v));
}

} // namespace

// ---------------------------------------------------------------- TLabel

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  ControlStyle << csSetCaption;
  SetBounds(0, 0, 65, 17);
}

void TLabel::SetAlignment(TAlignment Value) {
  alignment = Value;
  Invalidate();
}
void TLabel::SetLayout(TTextLayout Value) {
  layout = Value;
  Invalidate();
}
void TLabel::SetAutoSize(bool Value) {
  autoSize = Value;
  AdjustBounds();
}
void TLabel::SetTransparent(bool Value) {
  transparent = Value;
  Invalidate();
}
void TLabel::SetWordWrap(bool Value) {
  wordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TLabel::Loaded() {
  TGraphicControl::Loaded();
  AdjustBounds();
}

void TLabel::CMTextChanged(TMessage& Message) {
  TGraphicControl::CMTextChanged(Message);
  AdjustBounds();
  Invalidate();
}

void TLabel::CMFontChanged(TMessage& Message) {
  TGraphicControl::CMFontChanged(Message);
  AdjustBounds();
}

unsigned TLabel::TextFlags() const {
  static const unsigned align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
  static const unsigned vertical[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
  unsigned flags = align[alignment] | DT_EXPANDTABS;
  if (wordWrap)
    return flags | DT_WORDBREAK;
  return flags | DT_SINGLELINE | vertical[layout];
}

// A label that sizes itself keeps its left edge (its right edge when right
// aligned); a word-wrapping one keeps its width and takes the height.
void TLabel::AdjustBounds() {
  if (!autoSize || ComponentState().Contains(csLoading))
    return;
  TBitmap scratch;
  scratch.SetSize(1, 1);
  TCanvas* c = scratch.Canvas();
  c->Font()->Assign(Font());
  TRect r = Rect(0, 0, wordWrap ? Width() : 0, 0);
  c->DrawText(Caption().empty() ? AnsiString(" ") : Caption(), r, TextFlags() | DT_CALCRECT);
  const int w = wordWrap ? Width() : r.Width();
  const int left = alignment == taRightJustify ? Left() + Width() - w : Left();
  SetBounds(left, Top(), w, r.Height());
}

void TLabel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (!transparent) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
  }
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  if (!Enabled())
    c->Font()->SetColor(clGrayText);
  c->DrawText(Caption(), r, TextFlags());
}

WT_PUBLISH(TLabel, TGraphicControl) {
  p.Property("Alignment", &TLabel::Alignment, &TLabel::SetAlignment).Default(taLeftJustify);
  p.Property("Layout", &TLabel::Layout, &TLabel::SetLayout).Default(tlTop);
  p.Property("AutoSize", &TLabel::AutoSize, &TLabel::SetAutoSize).Default(true);
  p.Property("Transparent", &TLabel::Transparent, &TLabel::SetTransparent).Default(false);
  p.Property("WordWrap", &TLabel::WordWrap, &TLabel::SetWordWrap).Default(false);
}

namespace {
[[maybe_unused]] const bool textIdents =
    RegisterEnum<TAlignment>({{"taLeftJustify", taLeftJustify},
                              {"taRightJustify", taRightJustify},
                              {"taCenter", taCenter}}) &&
    RegisterEnum<TTextLayout>({{"tlTop", tlTop}, {"tlCenter", tlCenter}, {"tlBottom", tlBottom}});
}

// ---------------------------------------------------------------- TButton

TButton::TButton(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle << csSetCaption << csClickEvents;
  SetBounds(0, 0, 75, 25);
  SetColor(clBtnFace);
  SetTabStop(true);
}

void TButton::Click() {
  if (modalResult != 0)
    if (TCustomForm* form = GetParentForm())
      form->ModalResult = modalResult;
  TCustomControl::Click();
}

void TButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    pressed = true;
    if (CanFocus())
      SetFocus();
    Invalidate();
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && pressed) {
    pressed = false;
    Invalidate();
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TButton::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == ' ') {
    Key = 0;
    Click();
  }
}

void TButton::CMDialogKey(TMessage& Message) {
  const bool enter = Message.WParam == VK_RETURN && isDefault;
  const bool escape = Message.WParam == VK_ESCAPE && isCancel;
  if ((enter || escape) && Showing() && Enabled()) {
    Click();
    Message.Result = 1;
    return;
  }
  TCustomControl::CMDialogKey(Message);
}

void TButton::CMFocusChanged(TMessage& Message) {
  TCustomControl::CMFocusChanged(Message);
  Invalidate();
}

void TButton::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  Invalidate();
}

void TButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  if (isDefault || Focused())
    Frame3D(c, r, cl3DDkShadow, cl3DDkShadow, 1);
  if (pressed)
    Frame3D(c, r, clBtnShadow, clBtnShadow, 1);
  else
    Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
  if (pressed)
    r = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
  c->DrawText(Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (Focused())
    c->DrawFocusRect(Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2));
}

WT_PUBLISH(TButton, TCustomControl) {
  p.Property("Default", &TButton::Default, &TButton::SetDefault).Default(false);
  p.Property("Cancel", &TButton::Cancel, &TButton::SetCancel).Default(false);
  p.Property("ModalResult", &TButton::ModalResult, &TButton::SetModalResult).Default(0);
}

// ---------------------------------------------------------------- TCheckBox

TCheckBox::TCheckBox(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle << csSetCaption;
  SetBounds(0, 0, 97, 17);
  SetColor(clBtnFace);
  SetTabStop(true);
}

void TCheckBox::SetChecked(bool Value) {
  if (Value == checked)
    return;
  checked = Value;
  Invalidate();
  if (!ComponentState().Contains(csLoading))
    TCustomControl::Click();
}

// The user's click is the toggle; the toggle tells.
void TCheckBox::Click() {
  SetChecked(!checked);
}

void TCheckBox::SetAlignment(TAlignment Value) {
  alignment = Value;
  Invalidate();
}

void TCheckBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && CanFocus())
    SetFocus();
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCheckBox::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == ' ') {
    Key = 0;
    Click();
  }
}

void TCheckBox::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  Invalidate();
}

void TCheckBox::CMFocusChanged(TMessage& Message) {
  TCustomControl::CMFocusChanged(Message);
  Invalidate();
}

void TCheckBox::Paint() {
  constexpr int box = 13;
  TCanvas* c = Canvas();
  const TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  const bool left = alignment == taRightJustify;
  const int bx = left ? 0 : r.Right - box;
  TRect frame = Bounds(bx, (r.Height() - box) / 2, box, box);
  Frame3D(c, frame, clBtnShadow, clBtnHighlight, 1);
  c->Brush()->SetColor(Enabled() ? clWindow : clBtnFace);
  c->FillRect(frame);
  if (checked) {
    c->Pen()->SetColor(Enabled() ? clWindowText : clGrayText);
    for (int d = 0; d < 3; ++d) {
      c->MoveTo(frame.Left + 1, frame.Top + 4 + d);
      c->LineTo(frame.Left + 3, frame.Top + 6 + d);
      c->LineTo(frame.Left + 8, frame.Top + 1 + d);
    }
  }
  TRect text = left ? Rect(box + 4, 0, r.Right, r.Bottom) : Rect(0, 0, r.Right - box - 4, r.Bottom);
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetColor(Enabled() ? Font()->Color() : clGrayText);
  c->DrawText(Caption(), text, DT_VCENTER | DT_SINGLELINE | (left ? DT_LEFT : DT_RIGHT));
  if (Focused()) {
    c->Brush()->SetStyle(bsSolid);
    c->DrawFocusRect(text);
  }
}

WT_PUBLISH(TCheckBox, TCustomControl) {
  p.Property("Checked", &TCheckBox::Checked, &TCheckBox::SetChecked).Default(false);
  p.Property("Alignment", &TCheckBox::Alignment, &TCheckBox::SetAlignment).Default(taRightJustify);
}

// ---------------------------------------------------------------- editors

// The toolkit editor behind a TEdit or TMemo; it lives as long as the
// control's window.
struct TNativeEditor {
  explicit TNativeEditor(TEdit* AControl, bool MultiLine) : control(AControl) {
    if (MultiLine) {
      memo = new QPlainTextEdit();
      memo->setFrameShape(QFrame::Box);
      QObject::connect(memo, &QPlainTextEdit::textChanged, [this] {
        if (!setting)
          Changed(memo->toPlainText());
      });
    } else {
      line = new QLineEdit();
      QObject::connect(line, &QLineEdit::textEdited, [this](const QString& s) { Changed(s); });
    }
    control->Impl()->AdoptNative(Widget());
  }

  QWidget* Widget() const {
    return line ? static_cast<QWidget*>(line.data()) : static_cast<QWidget*>(memo.data());
  }

  void Changed(const QString& s) {
    try {
      control->EditorChanged(QStringToAnsi(s));
    } catch (...) {
      HandleEventException();
    }
  }

  // A memo's document takes only what was added at the end: laying out the
  // whole of a long trace again for every line would take ever longer.
  void SetText(const AnsiString& s, size_t AppendedFrom = AnsiString::npos) {
    if (memo && AppendedFrom <= s.size()) {
      setting = true;
      QTextCursor cursor(memo->document());
      cursor.movePosition(QTextCursor::End);
      cursor.insertText(AnsiToQString(std::string_view(s).substr(AppendedFrom)));
      memo->moveCursor(QTextCursor::End);
      setting = false;
      return;
    }
    const QString q = AnsiToQString(s);
    setting = true;
    if (line && line->text() != q)
      line->setText(q);
    if (memo && memo->toPlainText() != q) {
      memo->setPlainText(q);
      memo->moveCursor(QTextCursor::End);
    }
    setting = false;
  }

  void Apply() {
    QWidget* w = Widget();
    if (w == nullptr)
      return;
    w->setFont(QtFont(control->Font()));
    QPalette pal = w->palette();
    pal.setColor(QPalette::Base, QtColor(control->Color()));
    pal.setColor(QPalette::Text, QtColor(control->Font()->Color()));
    w->setPalette(pal);
    if (line) {
      line->setMaxLength(control->MaxLength() > 0 ? control->MaxLength() : 32767);
      line->setReadOnly(control->ReadOnly());
    }
    if (memo) {
      memo->setReadOnly(control->ReadOnly());
      const bool wrap = static_cast<TMemo*>(control)->WordWrap();
      memo->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    }
    SetText(control->Text());
  }

  int SelStart() const {
    if (line)
      return line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
    return memo ? memo->textCursor().selectionStart() : 0;
  }

  int SelLength() const {
    if (line)
      return static_cast<int>(line->selectedText().size());
    return memo ? memo->textCursor().selectionEnd() - memo->textCursor().selectionStart() : 0;
  }

  void Select(int Start, int Length) {
    if (line) {
      line->setSelection(Start, Length);
      if (Length == 0)
        line->setCursorPosition(Start);
    }
    if (memo) {
      QTextCursor cursor = memo->textCursor();
      const int end = static_cast<int>(memo->toPlainText().size());
      cursor.setPosition(std::clamp(Start, 0, end));
      cursor.setPosition(std::clamp(Start + Length, 0, end), QTextCursor::KeepAnchor);
      memo->setTextCursor(cursor);
    }
  }

  TEdit* control;
  QPointer<QLineEdit> line;
  QPointer<QPlainTextEdit> memo;
  bool setting = false;
};

TEdit::TEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetBounds(0, 0, 121, 21);
  SetColor(clWindow);
  SetTabStop(true);
  SetCursor(crIBeam);
}

TEdit::~TEdit() = default;

void TEdit::WndProc(TMessage& Message) {
  TWinControl::WndProc(Message);
  if (Message.Msg != WM_CREATE)
    return;
  editor = std::make_unique<TNativeEditor>(this, MultiLine());
  editor->Apply();
}

TNativeEditor* TEdit::Editor() {
  HandleNeeded();
  return editor.get();
}

void TEdit::SetMaxLength(int Value) {
  maxLength = std::max(0, Value);
  if (editor)
    editor->Apply();
}

void TEdit::SetReadOnly(bool Value) {
  readOnly = Value;
  if (editor)
    editor->Apply();
}

int TEdit::SelStart() {
  return Editor()->SelStart();
}
void TEdit::SetSelStart(int Value) {
  Editor()->Select(Value, 0);
}
int TEdit::SelLength() {
  return Editor()->SelLength();
}
void TEdit::SetSelLength(int Value) {
  TNativeEditor* e = Editor();
  e->Select(e->SelStart(), Value);
}
void TEdit::SelectAll() {
  Editor()->Select(0, static_cast<int>(Text().size()));
}

void TEdit::Change() {
  if (OnChange)
    OnChange(this);
}

void TEdit::EditorChanged(const AnsiString& Value) {
  fromEditor = true;
  try {
    SetText(Value);
  } catch (...) {
    fromEditor = false;
    throw;
  }
  fromEditor = false;
}

void TEdit::CMTextChanged(TMessage& Message) {
  TWinControl::CMTextChanged(Message);
  if (editor && !fromEditor)
    editor->SetText(Text(), appendedFrom);
  Change();
}

void TEdit::CMFontChanged(TMessage& Message) {
  TWinControl::CMFontChanged(Message);
  if (editor)
    editor->Apply();
}

void TEdit::CMColorChanged(TMessage& Message) {
  TWinControl::CMColorChanged(Message);
  if (editor)
    editor->Apply();
}

void TEdit::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

WT_PUBLISH(TEdit, TWinControl) {
  p.Property("MaxLength", &TEdit::MaxLength, &TEdit::SetMaxLength).Default(0);
  p.Property("ReadOnly", &TEdit::ReadOnly, &TEdit::SetReadOnly).Default(false);
  p.Event("OnChange", &TEdit::OnChange);
}

namespace {

// A memo's lines, which tell whether a change only added one line at the end.
class TMemoLines : public TStringList {
public:
  int AddObject(const AnsiString& s, TObject* object) override {
    const TAppending scope(appending, !Sorted());
    return TStringList::AddObject(s, object);
  }
  void InsertObject(int index, const AnsiString& s, TObject* object) override {
    const TAppending scope(appending, index == GetCount());
    TStringList::InsertObject(index, s, object);
  }
  // True while the change told is the one line added at the end.
  bool Appending() const { return appending && UpdateCount() == 0; }

private:
  // Set for one addition, cleared however it ends.
  struct TAppending {
    TAppending(bool& AFlag, bool Value) : flag(AFlag) { flag = Value; }
    ~TAppending() { flag = false; }
    TAppending(const TAppending&) = delete;
    TAppending& operator=(const TAppending&) = delete;
    bool& flag;
  };

  bool appending = false;
};

} // namespace

TMemo::TMemo(TComponent* AOwner) : TEdit(AOwner), lines(std::make_unique<TMemoLines>()) {
  lines->OnChange = [this](TObject* Sender) { LinesChanged(Sender); };
  SetBounds(0, 0, 185, 89);
}

TMemo::~TMemo() {
  lines->OnChange = nullptr;
}

void TMemo::SetWordWrap(bool Value) {
  wordWrap = Value;
  if (editor && editor->memo)
    editor->memo->setLineWrapMode(Value ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

// Lines and Text are one: a change of either is carried to the other.
void TMemo::LinesChanged(TObject*) {
  if (syncing)
    return;
  syncing = true;
  AnsiString text;
  if (textIsLines && static_cast<const TMemoLines*>(lines.get())->Appending()) {
    // A trace grows a line at a time: only the line is joined and shown.
    text = Text();
    appendedFrom = text.size();
    if (lines->Count() > 1)
      text += "\r\n";
    text += lines->Strings(lines->Count() - 1);
  } else {
    for (int i = 0; i < lines->Count(); ++i) {
      if (i > 0)
        text += "\r\n";
      text += lines->Strings(i);
    }
  }
  try {
    SetText(text);
  } catch (...) {
    appendedFrom = AnsiString::npos;
    syncing = false;
    throw;
  }
  appendedFrom = AnsiString::npos;
  textIsLines = true;
  syncing = false;
}

void TMemo::CMTextChanged(TMessage& Message) {
  if (!syncing) {
    syncing = true;
    textIsLines = false;
    AnsiString text = Text();
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    lines->BeginUpdate();
    lines->Clear();
    // A line break at the very end starts no further line.
    for (size_t start = 0; start < text.size();) {
      const size_t end = std::min(text.find('\n', start), text.size());
      lines->Add(text.substr(start, end - start));
      start = end + 1;
    }
    lines->EndUpdate();
    syncing = false;
  }
  TEdit::CMTextChanged(Message);
}

void TMemo::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_WANTALLKEYS;
}

WT_PUBLISH(TMemo, TEdit) {
  p.Object("Lines", &TMemo::Lines);
  p.Property("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap).Default(true);
}

// ---------------------------------------------------------------- TComboBox

// The open list of a combo box: a window of its own below the box.
class TComboDropDown : public TCustomControl {
public:
  explicit TComboDropDown(TComboBox* ABox) : TCustomControl(nullptr), box(ABox) {
    SetVisibleFlag(false);
    SetColor(clWindow);
  }

  int Hot = -1;

  void Open() {
    const int rows = std::clamp(box->Items()->Count(), 1, box->DropDownCount());
    const TPoint at = box->ClientToScreen(Point(0, box->Height()));
    SetBounds(at.X, at.Y, box->Width(), rows * box->ItemHeight() + 2);
    Hot = box->ItemIndex();
    top = std::clamp(Hot - rows + 1, 0, std::max(0, box->Items()->Count() - rows));
    Show();
    BringToFront();
  }

  int ItemAt(int Y) const {
    const int i = top + (Y - 1) / box->ItemHeight();
    return Y >= 1 && i < box->Items()->Count() ? i : -1;
  }

  TRect ItemRect(int Index) const {
    const int y = 1 + (Index - top) * box->ItemHeight();
    return Rect(1, y, Width() - 1, y + box->ItemHeight());
  }

  void MoveHot(int Delta) {
    const int count = box->Items()->Count();
    if (count == 0)
      return;
    Hot = std::clamp(Hot + Delta, 0, count - 1);
    const int rows = (Height() - 2) / box->ItemHeight();
    top = std::clamp(top, Hot - rows + 1, Hot);
    Invalidate();
  }

protected:
  void CreateParams(TCreateParams& Params) override {
    TCustomControl::CreateParams(Params);
    Params.Style = WS_POPUP | WS_BORDER;
    Params.ExStyle |= WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  }

  void Paint() override {
    TCanvas* c = Canvas();
    TRect frame = ClientRect();
    Frame3D(c, frame, cl3DDkShadow, cl3DDkShadow, 1);
    c->Brush()->SetColor(Color());
    c->FillRect(frame);
    // The box's canvas draws here while its items are painted.
    TCanvas* target = box->Canvas();
    target->Lock();
    target->SetHandle(c->Handle());
    target->Font()->Assign(box->Font());
    try {
      for (int i = top; i < box->Items()->Count() && ItemRect(i).Top < Height() - 1; ++i) {
        TOwnerDrawState state;
        if (i == Hot)
          state << odSelected << odFocused;
        box->DrawItem(i, ItemRect(i), state);
      }
    } catch (...) {
      target->SetHandle(nullptr);
      target->Unlock();
      throw;
    }
    target->SetHandle(nullptr);
    target->Unlock();
  }

  void MouseMove(TShiftState Shift, int X, int Y) override {
    const int i = ItemAt(Y);
    if (i >= 0 && i != Hot) {
      Hot = i;
      Invalidate();
    }
    TCustomControl::MouseMove(Shift, X, Y);
  }

  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override {
    TCustomControl::MouseUp(Button, Shift, X, Y);
    const int i = ItemAt(Y);
    if (Button == mbLeft && i >= 0)
      box->Pick(i);
  }

private:
  TComboBox* box;
  int top = 0;
};

TComboBox::TComboBox(TComponent* AOwner)
    : TCustomControl(AOwner), items(std::make_unique<TStringList>()) {
  items->OnChange = [this](TObject* Sender) { ItemsChanged(Sender); };
  SetBounds(0, 0, 145, 21);
  SetColor(clWindow);
  SetTabStop(true);
}

TComboBox::~TComboBox() {
  items->OnChange = nullptr;
  dropDown.reset();
}

void TComboBox::SetItemIndex(int Value) {
  // A layout may name the index before the items: it is checked once loaded.
  if (ComponentState().Contains(csLoading)) {
    itemIndex = Value;
    return;
  }
  if (Value < -1 || Value >= items->Count())
    Value = -1;
  itemIndex = Value;
  Invalidate();
}

void TComboBox::SetStyle(TComboBoxStyle Value) {
  style = Value;
  Invalidate();
}

void TComboBox::SetItemHeight(int Value) {
  itemHeight = std::max(1, Value);
  if (style == csOwnerDrawFixed || style == csOwnerDrawVariable)
    SetHeight(itemHeight + 6);
  Invalidate();
}

void TComboBox::Loaded() {
  TCustomControl::Loaded();
  SetItemIndex(itemIndex);
}

bool TComboBox::DroppedDown() const {
  return dropDown != nullptr && dropDown->Visible();
}

void TComboBox::SetDroppedDown(bool Value) {
  if (Value == DroppedDown())
    return;
  if (!Value) {
    dropDown->Hide();
    return;
  }
  if (!dropDown)
    dropDown = std::make_unique<TComboDropDown>(this);
  dropDown->Open();
}

void TComboBox::ItemsChanged(TObject*) {
  if (itemIndex >= items->Count())
    itemIndex = -1;
  Invalidate();
  if (DroppedDown())
    dropDown->Invalidate();
}

void TComboBox::Pick(int Index) {
  SetDroppedDown(false);
  // A click in the list may have drawn the focus away: it comes back.
  if (CanFocus())
    SetFocus();
  const bool changed = Index != itemIndex;
  SetItemIndex(Index);
  if (changed && OnChange)
    OnChange(this);
  Click();
}

void TComboBox::DrawItem(int Index, const TRect& Rect, TOwnerDrawState State) {
  TCanvas* c = Canvas();
  const bool owner = style == csOwnerDrawFixed || style == csOwnerDrawVariable;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(State.Contains(odSelected) ? clHighlight : Color());
  c->Font()->SetColor(State.Contains(odSelected) ? clHighlightText : Font()->Color());
  if (owner && OnDrawItem) {
    OnDrawItem(this, Index, Rect, State);
    return;
  }
  c->FillRect(Rect);
  if (Index >= 0 && Index < items->Count())
    c->TextOut(Rect.Left + 2, Rect.Top, items->Strings(Index));
}

void TComboBox::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
  Frame3D(c, r, cl3DDkShadow, clBtnFace, 1);
  const int button = std::min(r.Width(), 16);
  TRect arrow = Rect(r.Right - button, r.Top, r.Right, r.Bottom);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(arrow);
  Frame3D(c, arrow, clBtnHighlight, clBtnShadow, 1);
  const int cx = (arrow.Left + arrow.Right) / 2, cy = (arrow.Top + arrow.Bottom) / 2;
  c->Pen()->SetColor(Enabled() ? clBtnText : clGrayText);
  for (int i = 0; i < 4; ++i) {
    c->MoveTo(cx - 3 + i, cy - 1 + i);
    c->LineTo(cx + 4 - i, cy - 1 + i);
  }
  const TRect face = Rect(r.Left, r.Top, arrow.Left, r.Bottom);
  c->Brush()->SetColor(Color());
  c->FillRect(face);
  const TRect item = Rect(face.Left + 1, face.Top + 1, face.Right - 1, face.Bottom - 1);
  TOwnerDrawState state{odComboBoxEdit};
  if (Focused() && !DroppedDown())
    state << odSelected << odFocused;
  if (itemIndex >= 0)
    DrawItem(itemIndex, item, state);
  else if (Focused())
    c->DrawFocusRect(item);
}

void TComboBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (CanFocus())
      SetFocus();
    SetDroppedDown(!DroppedDown());
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TComboBox::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const int step = Key == VK_DOWN ? 1 : Key == VK_UP ? -1 : 0;
  if (DroppedDown()) {
    if (step != 0)
      dropDown->MoveHot(step);
    else if (Key == VK_RETURN && dropDown->Hot >= 0)
      Pick(dropDown->Hot);
    else if (Key == VK_ESCAPE)
      SetDroppedDown(false);
    else
      return;
    Key = 0;
    return;
  }
  if (step == 0 || items->Count() == 0)
    return;
  Pick(std::clamp(itemIndex + step, 0, items->Count() - 1));
  Key = 0;
}

void TComboBox::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS;
}

// Another window of this or another program took the keys: the list goes.
void TComboBox::WMKillFocus(TMessage& Message) {
  TCustomControl::WMKillFocus(Message);
  SetDroppedDown(false);
  Invalidate();
}

void TComboBox::CMFocusChanged(TMessage& Message) {
  TCustomControl::CMFocusChanged(Message);
  if (reinterpret_cast<TWinControl*>(Message.LParam) != this)
    SetDroppedDown(false);
  Invalidate();
}

WT_PUBLISH(TComboBox, TCustomControl) {
  p.Object("Items", &TComboBox::Items);
  p.Property("ItemIndex", &TComboBox::ItemIndex, &TComboBox::SetItemIndex).Default(-1);
  p.Property("Style", &TComboBox::Style, &TComboBox::SetStyle).Default(csDropDown);
  p.Property("ItemHeight", &TComboBox::ItemHeight, &TComboBox::SetItemHeight);
  p.Property("DropDownCount", &TComboBox::DropDownCount, &TComboBox::SetDropDownCount).Default(8);
  p.Event("OnChange", &TComboBox::OnChange);
  p.Event("OnDrawItem", &TComboBox::OnDrawItem);
}

namespace {
[[maybe_unused]] const bool comboIdents =
    RegisterEnum<TComboBoxStyle>({{"csDropDown", csDropDown},
                                  {"csSimple", csSimple},
                                  {"csDropDownList", csDropDownList},
                                  {"csOwnerDrawFixed", csOwnerDrawFixed},
                                  {"csOwnerDrawVariable", csOwnerDrawVariable}});
}
