#pragma once
// A list box whose items each carry a check box.
#include "platform/rtl/Stringlist.h"
#include "platform/ui/Controls.h"

#include <memory>
#include <vector>

class TCheckListItems;

class TCheckListBox : public TCustomControl {
public:
  explicit TCheckListBox(TComponent* AOwner);
  ~TCheckListBox() override;

  TStrings* Items() const;
  void SetItems(const TStrings* Value);
  // Items beyond the list read as unchecked; setting them raises EListError.
  bool Checked(int Index) const;
  void SetChecked(int Index, bool Value);
  // The selected item; -1: none.
  int ItemIndex() const { return itemIndex; }
  void SetItemIndex(int Value);
  int ItemHeight() const { return itemHeight; }
  void SetItemHeight(int Value);
  int TopIndex() const { return topIndex; }
  void SetTopIndex(int Value);
  // The item under a point of the client area; -1 when none.
  int ItemAtPos(TPoint Pos) const;
  TRect ItemRect(int Index) const;

  // The user checked or unchecked an item (by mouse or the space bar); the
  // item is selected first.
  TNotifyEvent OnClickCheck;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void WMGetDlgCode(TMessage& Message) override;
  void CMFocusChanged(TMessage& Message) override;

private:
  friend class TCheckListItems;
  void ToggleByUser(int Index);
  void ScrollIntoView(int Index);
  int VisibleRows() const;

  std::unique_ptr<TCheckListItems> items;
  int itemIndex = -1;
  int itemHeight = 16;
  int topIndex = 0;
};

WT_DECLARE_META(TCheckListBox)
