#include "platform/ui/Checklst.h"

#include "platform/ui/Extctrls.h"

#include <algorithm>

namespace {
constexpr int boxSize = 13;
}

// The items, with each one's check state kept beside it as items come and go.
class TCheckListItems : public TStringList {
public:
  explicit TCheckListItems(TCheckListBox* ABox) : box(ABox) {}

  std::vector<bool> States;

  int AddObject(const AnsiString& s, TObject* object) override {
    const int before = GetCount();
    const int index = TStringList::AddObject(s, object);
    if (GetCount() > before)
      Inserted(index);
    return index;
  }
  void InsertObject(int index, const AnsiString& s, TObject* object) override {
    TStringList::InsertObject(index, s, object);
    Inserted(index);
  }
  void Delete(int index) override {
    TStringList::Delete(index);
    if (index < static_cast<int>(States.size()))
      States.erase(States.begin() + index);
    Repaint();
  }
  void Clear() override {
    TStringList::Clear();
    States.clear();
    Repaint();
  }
  void Exchange(int index1, int index2) override {
    TStringList::Exchange(index1, index2);
    States.resize(
        std::max<size_t>(States.size(), static_cast<size_t>(std::max(index1, index2) + 1)));
    std::vector<bool>::swap(States[index1], States[index2]);
    Repaint();
  }

private:
  void Inserted(int index) {
    States.resize(std::max<size_t>(States.size(), static_cast<size_t>(index)));
    States.insert(States.begin() + index, false);
    Repaint();
  }
  void Repaint() {
    if (box->itemIndex >= GetCount())
      box->itemIndex = -1;
    box->Invalidate();
  }

  TCheckListBox* box;
};

TCheckListBox::TCheckListBox(TComponent* AOwner)
    : TCustomControl(AOwner), items(std::make_unique<TCheckListItems>(this)) {
  SetBounds(0, 0, 121, 97);
  SetColor(clWindow);
  SetTabStop(true);
}

TCheckListBox::~TCheckListBox() = default;

TStrings* TCheckListBox::Items() const {
  return items.get();
}

void TCheckListBox::SetItems(const TStrings* Value) {
  items->Assign(Value);
}

bool TCheckListBox::Checked(int Index) const {
  return Index >= 0 && Index < static_cast<int>(items->States.size()) && items->States[Index];
}

void TCheckListBox::SetChecked(int Index, bool Value) {
  if (Index < 0 || Index >= items->Count())
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
  items->States.resize(std::max<size_t>(items->States.size(), static_cast<size_t>(items->Count())));
  items->States[Index] = Value;
  Invalidate();
}

void TCheckListBox::SetItemIndex(int Value) {
  itemIndex = Value >= 0 && Value < items->Count() ? Value : -1;
  ScrollIntoView(itemIndex);
  Invalidate();
}

void TCheckListBox::SetItemHeight(int Value) {
  itemHeight = std::max(1, Value);
  Invalidate();
}

void TCheckListBox::SetTopIndex(int Value) {
  topIndex = std::clamp(Value, 0, std::max(0, items->Count() - 1));
  Invalidate();
}

int TCheckListBox::VisibleRows() const {
  return std::max(1, (Height() - 4) / itemHeight);
}

void TCheckListBox::ScrollIntoView(int Index) {
  if (Index < 0)
    return;
  if (Index < topIndex)
    topIndex = Index;
  else if (Index >= topIndex + VisibleRows())
    topIndex = Index - VisibleRows() + 1;
}

TRect TCheckListBox::ItemRect(int Index) const {
  const int y = 2 + (Index - topIndex) * itemHeight;
  return Rect(2, y, Width() - 2, y + itemHeight);
}

int TCheckListBox::ItemAtPos(TPoint Pos) const {
  if (Pos.X < 2 || Pos.X >= Width() - 2 || Pos.Y < 2)
    return -1;
  const int i = topIndex + (Pos.Y - 2) / itemHeight;
  return i < items->Count() && ItemRect(i).Bottom <= Height() - 2 + itemHeight ? i : -1;
}

void TCheckListBox::ToggleByUser(int Index) {
  SetChecked(Index, !Checked(Index));
  if (OnClickCheck)
    OnClickCheck(this);
}

void TCheckListBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    if (CanFocus())
      SetFocus();
    const int i = ItemAtPos(Point(X, Y));
    if (i >= 0) {
      SetItemIndex(i);
      if (X < ItemRect(i).Left + boxSize + 4)
        ToggleByUser(i);
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCheckListBox::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const int step = Key == VK_DOWN ? 1 : Key == VK_UP ? -1 : 0;
  if (step == 0 || items->Count() == 0)
    return;
  SetItemIndex(std::clamp(itemIndex + step, 0, items->Count() - 1));
  Click();
  Key = 0;
}

void TCheckListBox::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == ' ' && itemIndex >= 0) {
    ToggleByUser(itemIndex);
    Key = 0;
  }
}

void TCheckListBox::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
}

void TCheckListBox::CMFocusChanged(TMessage& Message) {
  TCustomControl::CMFocusChanged(Message);
  Invalidate();
}

void TCheckListBox::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  // Without the 3-D look, a flat line in the frame's colour.
  if (Ctl3D()) {
    Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    Frame3D(c, r, cl3DDkShadow, clBtnFace, 1);
  } else {
    Frame3D(c, r, clWindowFrame, clWindowFrame, 1);
    Frame3D(c, r, Color(), Color(), 1);
  }
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  for (int i = topIndex; i < items->Count() && ItemRect(i).Top < r.Bottom; ++i) {
    const TRect item = ItemRect(i);
    const bool selected = i == itemIndex;
    TRect box = Bounds(item.Left + 2, item.Top + (itemHeight - boxSize) / 2, boxSize, boxSize);
    Frame3D(c, box, clBtnShadow, clBtnHighlight, 1);
    c->Brush()->SetColor(Enabled() ? clWindow : clBtnFace);
    c->FillRect(box);
    if (Checked(i)) {
      c->Pen()->SetColor(clWindowText);
      for (int d = 0; d < 3; ++d) {
        c->MoveTo(box.Left + 2, box.Top + 4 + d);
        c->LineTo(box.Left + 4, box.Top + 6 + d);
        c->LineTo(box.Left + 9, box.Top + 1 + d);
      }
    }
    TRect text = Rect(item.Left + boxSize + 4, item.Top, item.Right, item.Bottom);
    c->Brush()->SetColor(selected ? clHighlight : Color());
    c->FillRect(text);
    c->Font()->SetColor(!Enabled() ? clGrayText : selected ? clHighlightText : Font()->Color());
    c->Brush()->SetStyle(bsClear);
    TRect inner = Rect(text.Left + 2, text.Top, text.Right, text.Bottom);
    c->DrawText(items->Strings(i), inner, DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    c->Brush()->SetStyle(bsSolid);
    if (selected && Focused())
      c->DrawFocusRect(text);
  }
}

WT_PUBLISH(TCheckListBox, TCustomControl) {
  p.Object("Items", &TCheckListBox::Items);
  p.Property("ItemHeight", &TCheckListBox::ItemHeight, &TCheckListBox::SetItemHeight);
  p.Event("OnClickCheck", &TCheckListBox::OnClickCheck);
}
