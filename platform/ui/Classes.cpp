#include "platform/ui/Classes.h"

#include "platform/rtl/Stringlist.h"
#include "platform/ui/Typinfo.h"

#include <algorithm>
#include <cctype>

bool IsValidIdent(const AnsiString& Ident) {
  if (Ident.empty())
    return false;
  auto alpha = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
  if (!alpha(Ident[0]))
    return false;
  return std::all_of(Ident.begin(), Ident.end(), [&](char c) {
    return alpha(c) || std::isdigit(static_cast<unsigned char>(c));
  });
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner != nullptr)
    AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  while (!freeNotifies.empty()) {
    TComponent* other = freeNotifies.back();
    freeNotifies.pop_back();
    other->RemoveNotification(this);
    other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (owner != nullptr)
    owner->RemoveComponent(this);
}

void TComponent::Destroying() {
  state << csDestroying;
}

void TComponent::SetLoading(bool Value) {
  Value ? void(state << csLoading) : void(state >> csLoading);
}
void TComponent::SetReading(bool Value) {
  Value ? void(state << csReading) : void(state >> csReading);
}

void TComponent::Loaded() {
  state >> csLoading;
}

void TComponent::SetName(const AnsiString& NewName) {
  if (NewName == name)
    return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError("'" + NewName + "' is not a valid component name");
  if (owner != nullptr)
    owner->ValidateRename(this, NewName);
  name = NewName;
}

void TComponent::ValidateRename(TComponent* AComponent, const AnsiString& NewName) const {
  if (NewName.empty())
    return;
  TComponent* existing = FindComponent(NewName);
  if (existing != nullptr && existing != AComponent)
    throw EComponentError("A component named " + NewName + " already exists");
}

TComponent* TComponent::Components(int Index) const {
  if (Index < 0 || Index >= ComponentCount())
    throw EComponentError("List index out of bounds (" + std::to_string(Index) + ")");
  return components[Index];
}

int TComponent::ComponentIndex() const {
  if (owner == nullptr)
    return -1;
  auto& list = owner->components;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

TComponent* TComponent::FindComponent(const AnsiString& AName) const {
  if (AName.empty())
    return nullptr;
  for (TComponent* c : components)
    if (AnsiSameText(c->name, AName))
      return c;
  return nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent->owner != nullptr)
    AComponent->owner->RemoveComponent(AComponent);
  ValidateRename(AComponent, AComponent->name);
  components.push_back(AComponent);
  AComponent->owner = this;
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  auto it = std::find(components.begin(), components.end(), AComponent);
  if (it == components.end())
    return;
  Notification(AComponent, opRemove);
  // A form's field naming the component must not dangle.
  if (const TMetaClass* meta = MetaClassOf(*this))
    meta->ForEachField([&](const TFieldInfo& field) { field.Clear(this, AComponent); });
  // The broadcast may have changed the list; look again.
  it = std::find(components.begin(), components.end(), AComponent);
  if (it != components.end())
    components.erase(it);
  AComponent->owner = nullptr;
}

void TComponent::DestroyComponents() {
  while (!components.empty()) {
    TComponent* c = components.back();
    // The component removes itself from this list while it is freed.
    delete c;
  }
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent == this)
    return;
  auto add = [](std::vector<TComponent*>& list, TComponent* c) {
    if (std::find(list.begin(), list.end(), c) == list.end())
      list.push_back(c);
  };
  add(freeNotifies, AComponent);
  add(AComponent->freeNotifies, this);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  std::erase(freeNotifies, AComponent);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove)
    RemoveNotification(AComponent);
  // Copy: a component told here may free others.
  const std::vector<TComponent*> owned = components;
  for (TComponent* c : owned)
    if (std::find(components.begin(), components.end(), c) != components.end())
      c->Notification(AComponent, Operation);
}

TCollectionItem::TCollectionItem(TCollection* ACollection) : collection(ACollection) {
  if (collection != nullptr)
    collection->items.push_back(this);
}

TCollectionItem::~TCollectionItem() {
  if (collection == nullptr)
    return;
  std::erase(collection->items, this);
  collection->Update(nullptr);
}

int TCollectionItem::Index() const {
  if (collection == nullptr)
    return -1;
  auto& list = collection->items;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

TCollection::~TCollection() {
  for (TCollectionItem* item : items) {
    item->collection = nullptr;
    delete item;
  }
}

TCollectionItem* TCollection::Items(int Index) const {
  if (Index < 0 || Index >= Count())
    throw EComponentError("List index out of bounds (" + std::to_string(Index) + ")");
  return items[Index];
}

TCollectionItem* TCollection::Add() {
  TCollectionItem* item = CreateItem();
  Update(item);
  return item;
}

void TCollection::Clear() {
  std::vector<TCollectionItem*> old;
  old.swap(items);
  for (TCollectionItem* item : old) {
    item->collection = nullptr;
    delete item;
  }
  Update(nullptr);
}

void TCollection::Assign(const TPersistent* Source) {
  auto* other = dynamic_cast<const TCollection*>(Source);
  if (other == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  Clear();
  for (TCollectionItem* item : other->items)
    Add()->Assign(item);
}

void TCollection::Update(TCollectionItem*) {}

void TComponent::SetParentComponent(TComponent*) {}

void TComponent::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const {
  if (Root != this)
    return;
  for (TComponent* c : components)
    if (!c->HasParent())
      Proc(c);
}
