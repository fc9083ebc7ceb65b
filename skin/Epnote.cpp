#include "skin/Epnote.h"

#include "platform/ui/Forms.h"

#include <algorithm>
#include <utility>

// ---------------------------------------------------------------- TepPage

TepPage::TepPage(TComponent* AOwner)
    : TCustomControl(AOwner), wallPaper(std::make_unique<TBitmap>()) {
  ControlStyle << csAcceptsControls << csOpaque;
  SetVisibleFlag(false);
  SetAlign(alClient);
  wallPaper->OnChange = [this](TObject*) { Invalidate(); };
}

TepPage::~TepPage() {
  Destroying();
  if (notebook != nullptr)
    notebook->RemovePage(this);
}

void TepPage::SetWallPaper(const TBitmap* Value) {
  wallPaper->Assign(Value);
  Invalidate();
}

void TepPage::SetParentComponent(TComponent* Value) {
  TCustomControl::SetParentComponent(Value);
  auto* owner = dynamic_cast<TepNoteBook*>(Value);
  if (owner == nullptr || owner == notebook)
    return;
  notebook = owner;
  owner->pageList.push_back(this);
}

void TepPage::Paint() {
  TCanvas* canvas = Canvas();
  if (wallPaper->Empty()) {
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(ClientRect());
    return;
  }
  const int w = wallPaper->Width(), h = wallPaper->Height();
  if (w <= 0 || h <= 0)
    return;
  // One tile more each way than fits whole, so the edges are covered too.
  const int cols = Width() / w, rows = Height() / h;
  for (int i = 0; i <= cols; ++i)
    for (int j = 0; j <= rows; ++j)
      canvas->Draw(i * w, j * h, wallPaper.get());
}

void TepPage::WMNCHitTest(TMessage& Message) {
  if (ComponentState().Contains(csDesigning)) {
    TCustomControl::WMNCHitTest(Message);
    return;
  }
  Message.Result = HTTRANSPARENT;
}

// ---------------------------------------------------------------- TepPageAccess

TepPageAccess::TepPageAccess(std::vector<TepPage*>& APageList, TepNoteBook* ANotebook)
    : pageList(APageList), notebook(ANotebook) {}

void TepPageAccess::CheckIndex(int Index) const {
  if (Index < 0 || Index >= GetCount())
    Error("List index out of bounds (%d)", Index);
}

AnsiString TepPageAccess::Get(int Index) const {
  CheckIndex(Index);
  return pageList[Index]->Caption();
}

int TepPageAccess::GetCount() const {
  return static_cast<int>(pageList.size());
}

TObject* TepPageAccess::GetObject(int Index) const {
  CheckIndex(Index);
  return pageList[Index];
}

void TepPageAccess::Put(int Index, const AnsiString& S) {
  CheckIndex(Index);
  pageList[Index]->SetCaption(S);
}

void TepPageAccess::Clear() {
  // A page takes itself out of the list as it goes.
  while (!pageList.empty())
    delete pageList.back();
}

void TepPageAccess::Delete(int Index) {
  CheckIndex(Index);
  delete pageList[Index];
  notebook->SetPageIndex(0);
}

void TepPageAccess::Insert(int Index, const AnsiString& S) {
  if (Index < 0 || Index > GetCount())
    Error("List index out of bounds (%d)", Index);
  auto* page = new TepPage(notebook);
  page->SetCaption(S);
  page->SetParent(notebook);
  page->notebook = notebook;
  pageList.insert(pageList.begin() + Index, page);
  // The shown page moved one place on.
  if (Index <= notebook->pageIndex)
    ++notebook->pageIndex;
  notebook->SetPageIndex(Index);
}

void TepPageAccess::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex)
    return;
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  std::swap(pageList[CurIndex], pageList[NewIndex]);
  // The index follows the shown page to its new place.
  int& shown = notebook->pageIndex;
  if (shown == CurIndex)
    shown = NewIndex;
  else if (shown == NewIndex)
    shown = CurIndex;
}

// ---------------------------------------------------------------- TepNoteBook

TepNoteBook::TepNoteBook(TComponent* AOwner)
    : TCustomControl(AOwner), pages(std::make_unique<TepPageAccess>(pageList, this)) {
  SetBounds(0, 0, 150, 150);
}

TepNoteBook::~TepNoteBook() {
  Destroying();
  pages->Clear();
}

void TepNoteBook::SetPages(const TStrings* Value) {
  pages->Assign(Value);
}

void TepNoteBook::BringUp(TepPage* Page) {
  Page->BringToFront();
  Page->SetVisible(true);
  Page->SetAlign(alClient);
}

void TepNoteBook::RemovePage(TepPage* Page) {
  const int index = IndexOfPage(Page);
  if (index < 0)
    return;
  pageList.erase(pageList.begin() + index);
  // The index keeps naming the shown page, or none once that one is gone.
  if (index < pageIndex)
    --pageIndex;
  else if (index == pageIndex)
    pageIndex = -1;
}

void TepNoteBook::SetPageIndex(int Value) {
  if (ComponentState().Contains(csLoading)) {
    pageIndex = Value;
    return;
  }
  const int count = static_cast<int>(pageList.size());
  if (Value < 0 || Value >= count)
    return;
  if (Value == pageIndex && pageList[Value]->Visible())
    return;
  TCustomForm* form = GetParentForm();
  // The focus must not stay on a control of a page that goes out of sight.
  if (form != nullptr && form->ActiveControl() != nullptr && ContainsControl(form->ActiveControl()))
    form->SetActiveControl(this);
  BringUp(pageList[Value]);
  for (int i = 0; i < count; ++i)
    if (i != Value)
      pageList[i]->SetVisible(false);
  pageIndex = Value;
  if (form != nullptr && form->ActiveControl() == this)
    if (TWinControl* first = FindNextControl(nullptr, true, true, false))
      first->SetFocus();
  if (OnPageChanged)
    OnPageChanged(this);
}

AnsiString TepNoteBook::ActivePage() const {
  if (pageIndex < 0 || pageIndex >= static_cast<int>(pageList.size()))
    return AnsiString();
  return pageList[pageIndex]->Caption();
}

void TepNoteBook::SetActivePage(const AnsiString& Value) {
  for (size_t i = 0; i < pageList.size(); ++i)
    if (pageList[i]->Caption() == Value) {
      SetPageIndex(static_cast<int>(i));
      return;
    }
}

void TepNoteBook::InvalidatePage(int Index) {
  if (Index >= 0 && Index < static_cast<int>(pageList.size()))
    pageList[Index]->Invalidate();
}

int TepNoteBook::IndexOfPage(const TControl* Control) const {
  const auto it = std::find(pageList.begin(), pageList.end(), Control);
  return it == pageList.end() ? -1 : static_cast<int>(it - pageList.begin());
}

void TepNoteBook::ShowControl(TControl* Control) {
  const int index = IndexOfPage(Control);
  if (index >= 0) {
    SetPageIndex(index);
    return;
  }
  for (TWinControl* p = Parent(); p != nullptr; p = p->Parent()) {
    auto* page = dynamic_cast<TepPage*>(p);
    if (page != nullptr && page->notebook != nullptr) {
      page->notebook->ShowControl(page);
      return;
    }
  }
}

void TepNoteBook::GetChildren(const std::function<void(TComponent*)>& Proc,
                              TComponent* Root) const {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c->Owner() == Root && IndexOfPage(c) < 0)
      Proc(c);
  }
  for (TepPage* page : pageList)
    Proc(page);
}

void TepNoteBook::Paint() {
  if (!ComponentState().Contains(csDesigning) || pageIndex >= 0)
    return;
  TCanvas* canvas = Canvas();
  canvas->Pen()->SetStyle(psDash);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Rectangle(0, 0, Width(), Height());
}

void TepNoteBook::Loaded() {
  TCustomControl::Loaded();
  if (pageIndex >= 0 && pageIndex < static_cast<int>(pageList.size()))
    BringUp(pageList[pageIndex]);
  else
    pageIndex = -1;
}

// ---------------------------------------------------------------- publishing

namespace {

// Published for reading but never stored: the pages are stored as children.
TPropInfo ActivePageProperty() {
  TPropInfo info;
  info.Name = "ActivePage";
  info.Kind = pkString;
  info.Set = [](TObject& o, const TLayoutValue& v, TLoadContext&) {
    static_cast<TepNoteBook&>(o).SetActivePage(typinfo_detail::FromLayout<AnsiString>(v));
  };
  info.Get = [](const TObject&) -> std::optional<TLayoutValue> { return std::nullopt; };
  return info;
}

TPropInfo PagesProperty() {
  TPropInfo info;
  info.Name = "Pages";
  info.Kind = pkStrings;
  info.Set = [](TObject& o, const TLayoutValue& v, TLoadContext&) {
    if (v.Kind != TLayoutValue::vkList)
      typinfo_detail::WrongKind(v, "a list of strings");
    TStringList captions;
    for (const auto& item : v.List)
      captions.Add(typinfo_detail::FromLayout<AnsiString>(item));
    static_cast<TepNoteBook&>(o).SetPages(&captions);
  };
  info.Get = [](const TObject&) -> std::optional<TLayoutValue> { return std::nullopt; };
  return info;
}

} // namespace

WT_PUBLISH(TepPage, TCustomControl) {
  p.Object("WallPaper", &TepPage::WallPaper);
}

WT_PUBLISH(TepNoteBook, TCustomControl) {
  p.Custom(ActivePageProperty());
  p.Property("PageIndex", &TepNoteBook::PageIndex, &TepNoteBook::SetPageIndex).Default(-1);
  p.Custom(PagesProperty());
  p.Event("OnPageChanged", &TepNoteBook::OnPageChanged);
}
