#include "platform/ui/Actnlist.h"

#include <algorithm>

// ---------------------------------------------------------------- TCustomImageList

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::~TCustomImageList() {
  Destroying();
}

// A new size empties the list, as its images no longer fit.
void TCustomImageList::SetWidth(int Value) {
  if (Value == width || Value <= 0)
    return;
  width = Value;
  Clear();
}

void TCustomImageList::SetHeight(int Value) {
  if (Value == height || Value <= 0)
    return;
  height = Value;
  Clear();
}

int TCustomImageList::Add(const TBitmap* Image) {
  auto copy = std::make_unique<TBitmap>();
  if (Image != nullptr && !Image->Empty()) {
    copy->SetSize(std::min(width, Image->Width()), std::min(height, Image->Height()));
    copy->Canvas()->Draw(0, 0, const_cast<TBitmap*>(Image));
  }
  images.push_back(std::move(copy));
  return Count() - 1;
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index) const {
  if (Index >= 0 && Index < Count() && !images[Index]->Empty())
    Canvas->Draw(X, Y, images[Index].get());
}

// ---------------------------------------------------------------- TBasicAction

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  Destroying();
}

bool TBasicAction::Execute() {
  if (!OnExecute)
    return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate)
    return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::RegisterChanges(TActionLink* Link) {
  clients.push_back(Link);
}

void TBasicAction::UnRegisterChanges(TActionLink* Link) {
  std::erase(clients, Link);
}

void TBasicAction::Change() {
  // A client may drop its link while it follows.
  const std::vector<TActionLink*> now = clients;
  for (TActionLink* link : now)
    if (std::find(clients.begin(), clients.end(), link) != clients.end())
      link->Changed();
}

// ---------------------------------------------------------------- TCustomAction

TCustomAction::TCustomAction(TComponent* AOwner) : TBasicAction(AOwner) {}

TCustomAction::~TCustomAction() {
  Destroying();
  SetActionList(nullptr);
}

namespace {

template <class T> bool Replace(T& Field, const T& Value) {
  if (Field == Value)
    return false;
  Field = Value;
  return true;
}

} // namespace

void TCustomAction::SetCaption(const AnsiString& Value) {
  if (Replace(caption, Value))
    Change();
}

void TCustomAction::SetChecked(bool Value) {
  if (Replace(checked, Value))
    Change();
}

void TCustomAction::SetEnabled(bool Value) {
  if (Replace(enabled, Value))
    Change();
}

void TCustomAction::SetHint(const AnsiString& Value) {
  if (Replace(hint, Value))
    Change();
}

void TCustomAction::SetImageIndex(int Value) {
  if (Replace(imageIndex, Value))
    Change();
}

void TCustomAction::SetVisible(bool Value) {
  if (Replace(visible, Value))
    Change();
}

void TCustomAction::SetActionList(TCustomActionList* Value) {
  if (actionList == Value)
    return;
  if (actionList != nullptr)
    std::erase(actionList->actions, this);
  actionList = Value;
  if (Value != nullptr)
    Value->actions.push_back(this);
}

TComponent* TCustomAction::GetParentComponent() const {
  return actionList;
}

void TCustomAction::SetParentComponent(TComponent* Value) {
  SetActionList(dynamic_cast<TCustomActionList*>(Value));
}

// ---------------------------------------------------------------- TCustomActionList

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomActionList::~TCustomActionList() {
  Destroying();
  while (!actions.empty())
    actions.back()->SetActionList(nullptr);
}

void TCustomActionList::SetImages(TCustomImageList* Value) {
  ReferTo(this, images, Value);
}

void TCustomActionList::GetChildren(const std::function<void(TComponent*)>& Proc,
                                    TComponent* Root) const {
  for (TCustomAction* action : actions)
    if (action->Owner() == Root)
      Proc(action);
}

void TCustomActionList::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove)
    ForgetRemoved(images, AComponent);
}

// ---------------------------------------------------------------- TActionLink

TActionLink::TActionLink(TBasicAction* AAction, std::function<void(TBasicAction*)> AChanged)
    : action(AAction), changed(std::move(AChanged)) {
  action->RegisterChanges(this);
}

TActionLink::~TActionLink() {
  // An action being freed tells its clients from its component part, when
  // its own list of them is already gone.
  if (!action->ComponentState().Contains(csDestroying))
    action->UnRegisterChanges(this);
}

// ---------------------------------------------------------------- publishing

WT_PUBLISH(TCustomImageList, TComponent) {
  p.Property("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth).Default(16);
  p.Property("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight).Default(16);
}

WT_PUBLISH(TImageList, TCustomImageList) {}

WT_PUBLISH(TBasicAction, TComponent) {
  p.Event("OnExecute", &TBasicAction::OnExecute);
  p.Event("OnUpdate", &TBasicAction::OnUpdate);
}

WT_PUBLISH(TCustomAction, TBasicAction) {
  p.Property("Caption", &TCustomAction::Caption, &TCustomAction::SetCaption);
  p.Property("Checked", &TCustomAction::Checked, &TCustomAction::SetChecked).Default(false);
  p.Property("Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled).Default(true);
  p.Property("Hint", &TCustomAction::Hint, &TCustomAction::SetHint);
  p.Property("ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex).Default(-1);
  p.Property("Visible", &TCustomAction::Visible, &TCustomAction::SetVisible).Default(true);
}

WT_PUBLISH(TAction, TCustomAction) {}

WT_PUBLISH(TCustomActionList, TComponent) {
  p.Property("Images", &TCustomActionList::Images, &TCustomActionList::SetImages);
}

WT_PUBLISH(TActionList, TCustomActionList) {}
