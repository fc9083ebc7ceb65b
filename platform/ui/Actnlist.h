#pragma once
// Actions: one command (its caption, check state, enabled state, hint,
// image and visibility, what it does and when it is updated) shared by the
// controls linked to it, which follow every change of it.
#include "platform/gfx/Graphics.h"
#include "platform/ui/Classes.h"
#include "platform/ui/Typinfo.h"

#include <memory>
#include <vector>

class TActionLink;
class TCustomActionList;

// An image list: images of one size, drawn by index.
class TCustomImageList : public TComponent {
public:
  explicit TCustomImageList(TComponent* AOwner);
  ~TCustomImageList() override;
  int Width() const { return width; }
  void SetWidth(int Value);
  int Height() const { return height; }
  void SetHeight(int Value);
  int Count() const { return static_cast<int>(images.size()); }
  // A copy of Image, cut to the list's size (a smaller one draws over only
  // its own pixels); answers its index.
  int Add(const TBitmap* Image);
  void Clear() { images.clear(); }
  void Draw(TCanvas* Canvas, int X, int Y, int Index) const;

private:
  int width = 16, height = 16;
  std::vector<std::unique_ptr<TBitmap>> images;
};

class TImageList : public TCustomImageList {
public:
  using TCustomImageList::TCustomImageList;
};

class TBasicAction : public TComponent {
public:
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;
  // OnExecute; true when there was one.
  virtual bool Execute();
  // OnUpdate, which sets the action's state before it is used; true when
  // there was one.
  virtual bool Update();
  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;

  void RegisterChanges(TActionLink* Link);
  void UnRegisterChanges(TActionLink* Link);

protected:
  // Every linked control follows the action.
  void Change();

private:
  std::vector<TActionLink*> clients;
};

class TCustomAction : public TBasicAction {
public:
  explicit TCustomAction(TComponent* AOwner);
  ~TCustomAction() override;

  const AnsiString& Caption() const { return caption; }
  void SetCaption(const AnsiString& Value);
  bool Checked() const { return checked; }
  void SetChecked(bool Value);
  bool Enabled() const { return enabled; }
  void SetEnabled(bool Value);
  const AnsiString& Hint() const { return hint; }
  void SetHint(const AnsiString& Value);
  int ImageIndex() const { return imageIndex; }
  void SetImageIndex(int Value);
  bool Visible() const { return visible; }
  void SetVisible(bool Value);

  TCustomActionList* ActionList() const { return actionList; }
  void SetActionList(TCustomActionList* Value);

  // A layout nests the actions in their list.
  bool HasParent() const override { return actionList != nullptr; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

private:
  AnsiString caption;
  bool checked = false;
  bool enabled = true;
  AnsiString hint;
  int imageIndex = -1;
  bool visible = true;
  TCustomActionList* actionList = nullptr;
};

class TAction : public TCustomAction {
public:
  using TCustomAction::TCustomAction;
};

class TCustomActionList : public TComponent {
public:
  explicit TCustomActionList(TComponent* AOwner);
  ~TCustomActionList() override;
  TCustomImageList* Images() const { return images; }
  void SetImages(TCustomImageList* Value);
  int ActionCount() const { return static_cast<int>(actions.size()); }
  TCustomAction* Actions(int Index) const { return actions.at(Index); }
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const override;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TCustomAction;
  TCustomImageList* images = nullptr;
  std::vector<TCustomAction*> actions;
};

class TActionList : public TCustomActionList {
public:
  using TCustomActionList::TCustomActionList;
};

// What keeps one client in step with its action: told of every change.
class TActionLink {
public:
  TActionLink(TBasicAction* AAction, std::function<void(TBasicAction*)> AChanged);
  ~TActionLink();
  TActionLink(const TActionLink&) = delete;
  TActionLink& operator=(const TActionLink&) = delete;
  TBasicAction* Action() const { return action; }
  bool Execute() { return action->Execute(); }
  bool Update() { return action->Update(); }
  void Changed() { changed(action); }

private:
  TBasicAction* action;
  std::function<void(TBasicAction*)> changed;
};

WT_DECLARE_META(TCustomImageList)
WT_DECLARE_META(TImageList)
WT_DECLARE_META(TBasicAction)
WT_DECLARE_META(TCustomAction)
WT_DECLARE_META(TAction)
WT_DECLARE_META(TCustomActionList)
WT_DECLARE_META(TActionList)
