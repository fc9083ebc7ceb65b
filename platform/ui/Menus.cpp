#include "platform/ui/Menus.h"

#include "platform/gfx/ScreenText.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowImpl.h"

#include <QAction>
#include <QMenu>

#include <algorithm>
#include <map>

// ---------------------------------------------------------------- TMenuItem

TMenuItem::TMenuItem(TComponent* AOwner) : TComponent(AOwner) {}

TMenuItem::~TMenuItem() {
  Destroying();
  Clear();
  if (parent != nullptr)
    parent->Remove(this);
}

void TMenuItem::Add(TMenuItem* Item) {
  Insert(Count(), Item);
}

void TMenuItem::Insert(int Index, TMenuItem* Item) {
  if (Item->parent != nullptr)
    throw EInvalidOperation("Menu inserted twice");
  if (Index < 0 || Index > Count())
    throw EInvalidOperation("Menu index out of range");
  items.insert(items.begin() + Index, Item);
  Item->parent = this;
}

void TMenuItem::Remove(TMenuItem* Item) {
  const auto it = std::find(items.begin(), items.end(), Item);
  if (it == items.end())
    throw EInvalidOperation("Menu item not found");
  items.erase(it);
  Item->parent = nullptr;
}

void TMenuItem::Delete(int Index) {
  if (Index < 0 || Index >= Count())
    throw EInvalidOperation("Menu index out of range");
  delete items[Index];
}

void TMenuItem::Clear() {
  while (!items.empty())
    delete items.back();
}

int TMenuItem::IndexOf(const TMenuItem* Item) const {
  const auto it = std::find(items.begin(), items.end(), Item);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TMenuItem::Click() {
  if (enabled && OnClick)
    OnClick(this);
}

TComponent* TMenuItem::GetParentComponent() const {
  if (parent != nullptr && parent->menu != nullptr)
    return parent->menu;
  return parent;
}

void TMenuItem::SetParentComponent(TComponent* Value) {
  if (parent != nullptr)
    parent->Remove(this);
  if (auto* item = dynamic_cast<TMenuItem*>(Value))
    item->Add(this);
  else if (auto* popup = dynamic_cast<TPopupMenu*>(Value))
    popup->Items()->Add(this);
}

void TMenuItem::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) const {
  for (TMenuItem* item : items)
    Proc(item);
}

WT_PUBLISH(TMenuItem, TComponent) {
  p.Property("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption);
  p.Property("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked).Default(false);
  p.Property("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled).Default(true);
  p.Property("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible).Default(true);
  p.Property("Default", &TMenuItem::Default, &TMenuItem::SetDefault).Default(false);
  p.Property("Hint", &TMenuItem::Hint, &TMenuItem::SetHint);
  p.Event("OnClick", &TMenuItem::OnClick);
}

// ---------------------------------------------------------------- TPopupMenu

namespace {

// The toolkit menu of an item's visible entries; Chosen maps the actions
// back to the items.
void FillMenu(QMenu* Menu, const TMenuItem* Item, std::map<QAction*, TMenuItem*>& Chosen) {
  for (int i = 0; i < Item->Count(); ++i) {
    TMenuItem* entry = Item->Items(i);
    if (!entry->Visible())
      continue;
    if (entry->IsLine()) {
      Menu->addSeparator();
      continue;
    }
    if (entry->Count() > 0) {
      QMenu* sub = Menu->addMenu(AnsiToQString(entry->Caption()));
      sub->setEnabled(entry->Enabled());
      FillMenu(sub, entry, Chosen);
      continue;
    }
    QAction* action = Menu->addAction(AnsiToQString(entry->Caption()));
    action->setEnabled(entry->Enabled());
    action->setCheckable(entry->Checked());
    action->setChecked(entry->Checked());
    if (entry->Default()) {
      QFont bold = action->font();
      bold.setBold(true);
      action->setFont(bold);
    }
    Chosen[action] = entry;
  }
}

void PopupFromControl(TComponent* Menu, int X, int Y) {
  auto* popup = dynamic_cast<TPopupMenu*>(Menu);
  if (popup == nullptr || !popup->AutoPopup())
    return;
  popup->PopupComponent = FindDragTarget(Point(X, Y), false);
  popup->Popup(X, Y);
}

[[maybe_unused]] const bool popupHandler = (SetPopupMenuHandler(&PopupFromControl), true);

} // namespace

TPopupMenu::TPopupMenu(TComponent* AOwner)
    : TComponent(AOwner), items(std::make_unique<TMenuItem>(nullptr)) {
  items->menu = this;
}

TPopupMenu::~TPopupMenu() {
  Destroying();
  // The owner frees the items it made; the ones it did not are ours.
  while (items->Count() > 0) {
    TMenuItem* item = items->Items(items->Count() - 1);
    items->Remove(item);
    if (item->Owner() == nullptr)
      delete item;
  }
}

void TPopupMenu::Popup(int X, int Y) {
  if (OnPopup)
    OnPopup(this);
  std::map<QAction*, TMenuItem*> chosen;
  QMenu menu;
  FillMenu(&menu, items.get(), chosen);
  if (menu.isEmpty())
    return;
  QAction* action = menu.exec(QPoint(X, Y));
  const auto it = chosen.find(action);
  if (it != chosen.end())
    it->second->Click();
}

void TPopupMenu::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent*) const {
  for (int i = 0; i < items->Count(); ++i)
    Proc(items->Items(i));
}

WT_PUBLISH(TPopupMenu, TComponent) {
  p.Property("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
  p.Event("OnPopup", &TPopupMenu::OnPopup);
}
