#pragma once
// Components: named objects that own the components created on them and tell
// each other when one goes away. Every window, control and non-visual part of
// a layout is one.
#include "platform/rtl/Persistent.h"
#include "platform/rtl/Sets.h"

#include <cstdint>
#include <functional>
#include <vector>

class EComponentError : public Exception {
public:
  using Exception::Exception;
};

class EInvalidOperation : public Exception {
public:
  using Exception::Exception;
};

// A general error of the class library with no class of its own.
class EOutOfResources : public Exception {
public:
  using Exception::Exception;
};

enum TOperation { opInsert, opRemove };

// csDesigning is never set in this program: there is no designer.
enum TComponentStateItem { csLoading, csReading, csWriting, csDestroying, csDesigning, csUpdating };
using TComponentState = TSet<TComponentStateItem>;

class TComponent : public TPersistent {
public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner; }
  const AnsiString& Name() const { return name; }
  // Names are identifiers, unique among the components of one owner;
  // anything else raises EComponentError.
  virtual void SetName(const AnsiString& NewName);

  int ComponentCount() const { return static_cast<int>(components.size()); }
  TComponent* Components(int Index) const;
  int ComponentIndex() const;
  // Case-insensitive, among the components this one owns; null when none.
  TComponent* FindComponent(const AnsiString& AName) const;

  intptr_t Tag = 0;
  const TComponentState& ComponentState() const { return state; }

  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // Frees every owned component, last created first.
  void DestroyComponents();

  // Asks AComponent to send this one Notification(AComponent, opRemove) when
  // it goes away, even when it has another owner. Mutual.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Marks the component as being freed; derived destructors call it first so
  // that what they trigger sees the state.
  void Destroying();

  // Layout loading drives these.
  void SetLoading(bool Value);
  void SetReading(bool Value);
  // Called once after a layout set every property of this component and of
  // every component loaded with it; clears csLoading.
  virtual void Loaded();

  // Controls live inside a parent control; layouts nest them by it.
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual void SetParentComponent(TComponent* Value);
  // The components a layout writes nested in this one: for the root, those
  // it owns that have no parent.
  virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const;

  // Told about components inserted into or removed from the owner's list
  // (the owner passes it to every component it owns) and about free
  // notifications asked for.
  virtual void Notification(TComponent* AComponent, TOperation Operation);

protected:
  TComponentState state;

private:
  void ValidateRename(TComponent* AComponent, const AnsiString& NewName) const;
  void RemoveNotification(TComponent* AComponent);

  TComponent* owner = nullptr;
  AnsiString name;
  std::vector<TComponent*> components;
  std::vector<TComponent*> freeNotifies;
};

// Points Field, Holder's reference to a component it does not own, at Value;
// Value then tells Holder when it goes, so that Holder's Notification can
// clear the field.
template <class T> void ReferTo(TComponent* Holder, T*& Field, T* Value) {
  Field = Value;
  if (Value != nullptr)
    Value->FreeNotification(Holder);
}

// Clears Field when it refers to Removed, the component going away; true
// when it did.
template <class T> bool ForgetRemoved(T*& Field, const TComponent* Removed) {
  if (Field == nullptr || static_cast<const TComponent*>(Field) != Removed)
    return false;
  Field = nullptr;
  return true;
}

// True for a valid Pascal-style identifier: a letter or "_", then letters,
// digits or "_".
bool IsValidIdent(const AnsiString& Ident);

class TCollection;

// One item of a collection (grid columns, status panels): it belongs to its
// collection and is freed by it.
class TCollectionItem : public TPersistent {
public:
  explicit TCollectionItem(TCollection* ACollection);
  ~TCollectionItem() override;
  TCollection* Collection() const { return collection; }
  int Index() const;

private:
  friend class TCollection;
  TCollection* collection = nullptr;
};

class TCollection : public TPersistent {
public:
  ~TCollection() override;
  int Count() const { return static_cast<int>(items.size()); }
  TCollectionItem* Items(int Index) const;
  TCollectionItem* Add();
  void Clear();
  void Assign(const TPersistent* Source) override;
  // Told whenever items are added, removed or changed.
  virtual void Update(TCollectionItem* Item);

protected:
  // Makes one new item of the collection's item class.
  virtual TCollectionItem* CreateItem() = 0;

private:
  friend class TCollectionItem;
  std::vector<TCollectionItem*> items;
};

// A collection of one item class, made by its default constructor from the
// collection.
template <class Item> class TOwnedCollection : public TCollection {
public:
  Item* operator[](int Index) const { return static_cast<Item*>(Items(Index)); }
  Item* AddItem() { return static_cast<Item*>(Add()); }

protected:
  TCollectionItem* CreateItem() override { return new Item(this); }
};
