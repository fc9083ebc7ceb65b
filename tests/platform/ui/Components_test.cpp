#include "platform/ui/Classes.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Remembers the last component it was told was removed, like a control that
// holds a sound or wallpaper reference.
class TWatcher : public TComponent {
public:
  using TComponent::TComponent;
  ~TWatcher() override { Destroying(); }
  TComponent* Ref = nullptr;
  std::vector<TComponent*>* Told = nullptr;

  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Told != nullptr)
      Told->push_back(AComponent);
    if (Operation == opRemove && AComponent == Ref)
      Ref = nullptr;
  }
};

class TTracked : public TComponent {
public:
  TTracked(TComponent* AOwner, std::vector<TComponent*>& AFreed)
      : TComponent(AOwner), freed(AFreed) {}
  ~TTracked() override { freed.push_back(this); }

private:
  std::vector<TComponent*>& freed;
};

TEST(Components, OwnerFreesWhatItOwnsLastFirst) {
  std::vector<TComponent*> freed;
  auto* owner = new TComponent(nullptr);
  auto* a = new TTracked(owner, freed);
  auto* b = new TTracked(owner, freed);
  auto* inner = new TTracked(a, freed);
  EXPECT_EQ(owner->ComponentCount(), 2);
  EXPECT_EQ(b->ComponentIndex(), 1);
  delete owner;
  // A component's own destructor runs before it frees what it owns.
  EXPECT_EQ(freed, (std::vector<TComponent*>{b, a, inner}));
}

TEST(Components, AFreedComponentLeavesItsOwnersList) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  a->SetName("a");
  delete a;
  EXPECT_EQ(owner.ComponentCount(), 0);
  EXPECT_EQ(owner.FindComponent("a"), nullptr);
}

TEST(Components, RemovalIsToldToEverySiblingAndToFreeNotifiers) {
  TComponent form(nullptr);
  auto* sound = new TComponent(&form);
  auto* button = new TWatcher(&form);
  button->Ref = sound;

  TComponent otherForm(nullptr);
  auto* remote = new TWatcher(&otherForm);
  remote->Ref = sound;
  remote->FreeNotification(sound);

  auto* unrelated = new TWatcher(&otherForm);
  unrelated->Ref = sound;

  delete sound;
  EXPECT_EQ(button->Ref, nullptr);  // sibling: the owner passes it on
  EXPECT_EQ(remote->Ref, nullptr);  // asked for it
  EXPECT_EQ(unrelated->Ref, sound); // neither: not told
}

TEST(Components, FreeNotificationIsForgottenWhenTheWatcherGoesFirst) {
  std::vector<TComponent*> told;
  auto* sound = new TComponent(nullptr);
  auto* keeper = new TWatcher(nullptr);
  keeper->Told = &told;
  keeper->FreeNotification(sound);
  {
    TComponent other(nullptr);
    auto* remote = new TWatcher(&other);
    remote->FreeNotification(sound);
  }
  delete sound; // tells the keeper, and not the freed watcher
  EXPECT_EQ(told, std::vector<TComponent*>{sound});
  delete keeper;
}

TEST(Components, NamesAreIdentifiersUniquePerOwner) {
  TComponent owner(nullptr);
  auto* a = new TComponent(&owner);
  auto* b = new TComponent(&owner);
  a->SetName("btnPlay");
  EXPECT_EQ(owner.FindComponent("BTNPLAY"), a);
  const char* bad[] = {"btnPlay", "1abc", "a b", "a-b"};
  for (const char* name : bad)
    EXPECT_THROW(b->SetName(name), EComponentError) << name;
  b->SetName("btnPause");
  a->SetName(""); // unnamed components never clash
  b->SetName("");
  EXPECT_EQ(b->Name(), "");
}

TEST(Components, StateFlags) {
  TComponent c(nullptr);
  EXPECT_FALSE(c.ComponentState().Contains(csLoading));
  c.SetLoading(true);
  EXPECT_TRUE(c.ComponentState().Contains(csLoading));
  c.Loaded();
  EXPECT_FALSE(c.ComponentState().Contains(csLoading));
  EXPECT_FALSE(c.ComponentState().Contains(csDesigning));
}

class TColumn : public TCollectionItem {
public:
  using TCollectionItem::TCollectionItem;
  int Width = 0;
  void Assign(const TPersistent* Source) override {
    Width = static_cast<const TColumn*>(Source)->Width;
  }
};

TEST(Components, CollectionsOwnTheirItems) {
  TOwnedCollection<TColumn> columns;
  columns.AddItem()->Width = 10;
  auto* second = columns.AddItem();
  second->Width = 20;
  EXPECT_EQ(second->Index(), 1);
  TOwnedCollection<TColumn> copy;
  copy.Assign(&columns);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy[1]->Width, 20);
  delete columns[0];
  EXPECT_EQ(columns.Count(), 1);
  EXPECT_EQ(second->Index(), 0);
}

} // namespace
