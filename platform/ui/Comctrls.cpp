#include "platform/ui/Comctrls.h"

#include "platform/ui/Extctrls.h"

#include <algorithm>

namespace {

int TextWidthOf(const TFont* Font, const AnsiString& Text) {
  TBitmap scratch;
  scratch.SetSize(1, 1);
  scratch.Canvas()->Font()->Assign(Font);
  return scratch.Canvas()->TextWidth(Text);
}

} // namespace

// ---------------------------------------------------------------- TTabSheet

TTabSheet::TTabSheet(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle << csAcceptsControls;
  SetVisibleFlag(false);
  SetParentColor(true);
}

TTabSheet::~TTabSheet() {
  Destroying();
  SetPageControl(nullptr);
}

void TTabSheet::SetParent(TWinControl* AParent) {
  TCustomControl::SetParent(AParent);
  auto* pc = dynamic_cast<TPageControl*>(AParent);
  if (pc != pageControl) {
    if (pageControl != nullptr)
      pageControl->RemovePage(this);
    pageControl = nullptr;
    if (pc != nullptr)
      pc->InsertPage(this);
  }
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (Value != pageControl)
    SetParent(Value);
}

int TTabSheet::PageIndex() const {
  if (pageControl == nullptr)
    return -1;
  const auto& list = pageControl->pages;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TTabSheet::SetPageIndex(int Value) {
  if (pageControl == nullptr)
    return;
  auto& list = pageControl->pages;
  list.erase(list.begin() + PageIndex());
  list.insert(list.begin() + std::clamp(Value, 0, static_cast<int>(list.size())), this);
  pageControl->Invalidate();
}

void TTabSheet::SetTabVisible(bool Value) {
  tabVisible = Value;
  if (pageControl == nullptr)
    return;
  if (!Value && pageControl->activePage == this)
    pageControl->SelectNextPage(true);
  pageControl->Invalidate();
}

void TTabSheet::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  if (pageControl != nullptr)
    pageControl->Invalidate();
}

void TTabSheet::Paint() {
  Canvas()->Brush()->SetStyle(bsSolid);
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

WT_PUBLISH(TTabSheet, TCustomControl) {
  p.Property("PageIndex", &TTabSheet::PageIndex, &TTabSheet::SetPageIndex);
  p.Property("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible).Default(true);
}

// ---------------------------------------------------------------- TPageControl

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner) {
  ControlStyle << csAcceptsControls;
  SetBounds(0, 0, 289, 193);
  SetColor(clBtnFace);
  SetTabStop(true);
}

TPageControl::~TPageControl() {
  Destroying();
  for (TTabSheet* page : pages)
    page->pageControl = nullptr;
}

void TPageControl::InsertPage(TTabSheet* Page) {
  Page->pageControl = this;
  pages.push_back(Page);
  Page->SetVisible(false);
  if (activePage == nullptr)
    SetActivePage(Page);
  Realign();
  Invalidate();
}

void TPageControl::RemovePage(TTabSheet* Page) {
  const int index = Page->PageIndex();
  pages.erase(std::remove(pages.begin(), pages.end(), Page), pages.end());
  Page->pageControl = nullptr;
  if (activePage == Page) {
    activePage = nullptr;
    if (!ComponentState().Contains(csDestroying) && !pages.empty())
      SetActivePage(pages[std::min(index, PageCount() - 1)]);
  }
  Invalidate();
}

void TPageControl::SetActivePage(TTabSheet* Value) {
  if (Value != nullptr && Value->pageControl != this)
    return;
  activePage = Value;
  for (TTabSheet* page : pages)
    if (page != Value)
      page->SetVisible(false);
  if (Value != nullptr) {
    Value->SetBoundsRect(DisplayRect());
    Value->SetVisible(true);
    Value->BringToFront();
  }
  Invalidate();
}

int TPageControl::ActivePageIndex() const {
  return activePage != nullptr ? activePage->PageIndex() : -1;
}

void TPageControl::SetActivePageIndex(int Value) {
  SetActivePage(Value >= 0 && Value < PageCount() ? pages[Value] : nullptr);
}

void TPageControl::SelectNextPage(bool GoForward) {
  const int count = PageCount();
  const int start = std::max(0, ActivePageIndex());
  for (int step = 1; step <= count; ++step) {
    const int i = ((start + (GoForward ? step : -step)) % count + count) % count;
    if (pages[i]->TabVisible() && pages[i] != activePage) {
      ChangeByUser(pages[i]);
      return;
    }
  }
}

void TPageControl::ChangeByUser(TTabSheet* Page) {
  if (Page == activePage)
    return;
  SetActivePage(Page);
  if (OnChange)
    OnChange(this);
}

int TPageControl::TabHeight() const {
  return std::abs(Font()->Height()) + 10;
}

TRect TPageControl::DisplayRect() const {
  const int top = TabHeight();
  return Rect(4, top + 4, std::max(4, Width() - 4), std::max(top + 4, Height() - 4));
}

TRect TPageControl::TabRect(int Index) const {
  int x = 2;
  for (int i = 0; i < PageCount(); ++i) {
    if (!pages[i]->TabVisible())
      continue;
    const int w = TextWidthOf(Font(), pages[i]->Caption()) + 16;
    if (i == Index)
      return Rect(x, 2, x + w, TabHeight());
    x += w;
  }
  return TRect{};
}

int TPageControl::IndexOfTabAt(int X, int Y) const {
  for (int i = 0; i < PageCount(); ++i)
    if (TabRect(i).Contains(Point(X, Y)))
      return i;
  return -1;
}

void TPageControl::AlignControls(TControl* AControl, TRect& Rect) {
  if (activePage != nullptr)
    activePage->SetBoundsRect(DisplayRect());
  TCustomControl::AlignControls(AControl, Rect);
}

void TPageControl::Loaded() {
  TCustomControl::Loaded();
  SetActivePage(activePage != nullptr ? activePage : pages.empty() ? nullptr : pages.front());
}

void TPageControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const int i = IndexOfTabAt(X, Y);
  if (Button == mbLeft && i >= 0) {
    if (CanFocus())
      SetFocus();
    ChangeByUser(pages[i]);
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TPageControl::KeyDown(uint16_t& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const bool tab = Key == VK_TAB && Shift.Contains(ssCtrl);
  if (Key != VK_LEFT && Key != VK_RIGHT && !tab)
    return;
  SelectNextPage(Key == VK_RIGHT || (tab && !Shift.Contains(ssShift)));
  Key = 0;
}

void TPageControl::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS;
}

void TPageControl::CMFontChanged(TMessage& Message) {
  TCustomControl::CMFontChanged(Message);
  Realign();
  Invalidate();
}

void TPageControl::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  TRect body = Rect(0, TabHeight(), Width(), Height());
  Frame3D(c, body, clBtnHighlight, cl3DDkShadow, 1);
  Frame3D(c, body, Color(), clBtnShadow, 1);
  for (int i = 0; i < PageCount(); ++i) {
    TRect tab = TabRect(i);
    if (tab.Width() == 0)
      continue;
    const bool active = pages[i] == activePage;
    if (active)
      tab = Rect(tab.Left - 2, tab.Top - 2, tab.Right + 2, tab.Bottom + 1);
    c->Brush()->SetColor(Color());
    c->FillRect(tab);
    c->Pen()->SetColor(clBtnHighlight);
    c->MoveTo(tab.Left, tab.Bottom - 1);
    c->LineTo(tab.Left, tab.Top);
    c->LineTo(tab.Right - 1, tab.Top);
    c->Pen()->SetColor(cl3DDkShadow);
    c->LineTo(tab.Right - 1, tab.Bottom);
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(pages[i]->Enabled() ? Font()->Color() : clGrayText);
    c->DrawText(pages[i]->Caption(), tab, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    c->Brush()->SetStyle(bsSolid);
    if (active && Focused())
      c->DrawFocusRect(Rect(tab.Left + 3, tab.Top + 3, tab.Right - 3, tab.Bottom - 2));
  }
}

WT_PUBLISH(TPageControl, TCustomControl) {
  p.Property("ActivePage", &TPageControl::ActivePage, &TPageControl::SetActivePage);
  p.Event("OnChange", &TPageControl::OnChange);
}
