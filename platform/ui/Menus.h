#pragma once
// Pop-up menus: a tree of menu items, shown at a screen point; choosing an
// item raises its OnClick once the menu has closed.
#include "platform/ui/Classes.h"
#include "platform/ui/Typinfo.h"

#include <memory>
#include <vector>

class TMenuItem : public TComponent {
public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  // "-" makes a separator; "&" marks the access key ("&&" is an ampersand).
  const AnsiString& Caption() const { return caption; }
  void SetCaption(const AnsiString& Value) { caption = Value; }
  bool Checked() const { return checked; }
  void SetChecked(bool Value) { checked = Value; }
  bool Enabled() const { return enabled; }
  void SetEnabled(bool Value) { enabled = Value; }
  bool Visible() const { return visible; }
  void SetVisible(bool Value) { visible = Value; }
  // Shown in bold: what a double click would do.
  bool Default() const { return isDefault; }
  void SetDefault(bool Value) { isDefault = Value; }
  const AnsiString& Hint() const { return hint; }
  void SetHint(const AnsiString& Value) { hint = Value; }
  bool IsLine() const { return caption == "-"; }

  // The submenu.
  int Count() const { return static_cast<int>(items.size()); }
  TMenuItem* Items(int Index) const { return items.at(Index); }
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Takes the item out of the submenu without freeing it.
  void Remove(TMenuItem* Item);
  // Frees the item at Index.
  void Delete(int Index);
  // Frees every item of the submenu.
  void Clear();
  int IndexOf(const TMenuItem* Item) const;
  TMenuItem* Parent() const { return parent; }
  int MenuIndex() const { return parent != nullptr ? parent->IndexOf(this) : -1; }

  // Raises OnClick when the item is enabled.
  virtual void Click();
  TNotifyEvent OnClick;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const override;

private:
  friend class TPopupMenu;
  TComponent* menu = nullptr; // the menu whose root this is
  TMenuItem* parent = nullptr;
  std::vector<TMenuItem*> items;
  AnsiString caption;
  AnsiString hint;
  bool checked = false;
  bool enabled = true;
  bool visible = true;
  bool isDefault = false;
};

class TPopupMenu : public TComponent {
public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;

  // The root item; its submenu is the menu.
  TMenuItem* Items() const { return items.get(); }
  // Shown by a right click on a control whose PopupMenu this is.
  bool AutoPopup() const { return autoPopup; }
  void SetAutoPopup(bool Value) { autoPopup = Value; }
  // The control the menu was last shown for by a right click.
  TComponent* PopupComponent = nullptr;

  // Shows the visible items with the top-left corner at the screen point
  // and returns once the menu has closed, after the chosen item's OnClick.
  virtual void Popup(int X, int Y);

  TNotifyEvent OnPopup;

  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const override;

private:
  std::unique_ptr<TMenuItem> items;
  bool autoPopup = true;
};

WT_DECLARE_META(TMenuItem)
WT_DECLARE_META(TPopupMenu)
