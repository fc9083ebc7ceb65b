#pragma once
// A page control: tabs along the top, one sheet of controls shown at a time.
#include "platform/ui/Controls.h"

#include <vector>

class TPageControl;

class TTabSheet : public TCustomControl {
public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;

  TPageControl* PageControl() const { return pageControl; }
  void SetPageControl(TPageControl* Value);
  // The sheet's place among its page control's sheets; -1 without one.
  int PageIndex() const;
  void SetPageIndex(int Value);
  bool TabVisible() const { return tabVisible; }
  void SetTabVisible(bool Value);

  void SetParent(TWinControl* AParent) override;

protected:
  void Paint() override;
  void CMTextChanged(TMessage& Message) override;

private:
  friend class TPageControl;
  TPageControl* pageControl = nullptr;
  bool tabVisible = true;
};

class TPageControl : public TCustomControl {
public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;

  int PageCount() const { return static_cast<int>(pages.size()); }
  TTabSheet* Pages(int Index) const { return pages.at(Index); }
  TTabSheet* ActivePage() const { return activePage; }
  // Shows Value (one of this control's sheets, or null) and hides the rest.
  void SetActivePage(TTabSheet* Value);
  int ActivePageIndex() const;
  void SetActivePageIndex(int Value);
  // The next or previous sheet with a visible tab, wrapping around.
  void SelectNextPage(bool GoForward);
  // Where the sheets lie, in client coordinates.
  TRect DisplayRect() const;
  // The tab of a sheet; empty when its tab is hidden.
  TRect TabRect(int Index) const;
  // The sheet whose tab holds a client point; -1 when none.
  int IndexOfTabAt(int X, int Y) const;

  void AlignControls(TControl* AControl, TRect& Rect) override;

  // The user chose another sheet.
  TNotifyEvent OnChange;

protected:
  void Paint() override;
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void WMGetDlgCode(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;

private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* Page);
  void RemovePage(TTabSheet* Page);
  void ChangeByUser(TTabSheet* Page);
  int TabHeight() const;

  std::vector<TTabSheet*> pages;
  TTabSheet* activePage = nullptr;
};

WT_DECLARE_META(TTabSheet)
WT_DECLARE_META(TPageControl)
