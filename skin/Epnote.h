#pragma once
// A page container: the notebook shows one of its pages at a time, each page
// filling it with its own controls and an optional tiled wallpaper; the pages
// are also reachable as a list of their captions.
#include "platform/rtl/Stringlist.h"
#include "platform/ui/Controls.h"

#include <memory>
#include <vector>

class TepNoteBook;

class TepPage : public TCustomControl {
public:
  explicit TepPage(TComponent* AOwner);
  ~TepPage() override;

  TBitmap* WallPaper() const { return wallPaper.get(); }
  // Copies Value's picture.
  void SetWallPaper(const TBitmap* Value);

  // A page read from a layout inside a notebook joins that notebook's pages.
  void SetParentComponent(TComponent* Value) override;

protected:
  void Paint() override;
  // Outside the designer the mouse goes through a page to what lies below.
  void WMNCHitTest(TMessage& Message) override;

private:
  friend class TepNoteBook;
  friend class TepPageAccess;
  std::unique_ptr<TBitmap> wallPaper;
  TepNoteBook* notebook = nullptr; // whose page list holds this page
};

// The pages of a notebook as strings, their captions; the objects are the
// pages. Inserting makes a page, deleting frees one.
class TepPageAccess : public TStrings {
public:
  TepPageAccess(std::vector<TepPage*>& APageList, TepNoteBook* ANotebook);

  AnsiString Get(int Index) const override;
  int GetCount() const override;
  TObject* GetObject(int Index) const override;
  void Put(int Index, const AnsiString& S) override;
  void Clear() override;
  void Delete(int Index) override;
  void Insert(int Index, const AnsiString& S) override;
  // Swaps the two pages; those between keep their places.
  void Move(int CurIndex, int NewIndex) override;

private:
  void CheckIndex(int Index) const;

  std::vector<TepPage*>& pageList;
  TepNoteBook* notebook;
};

class TepNoteBook : public TCustomControl {
public:
  explicit TepNoteBook(TComponent* AOwner);
  ~TepNoteBook() override;

  TStrings* Pages() const { return pages.get(); }
  // Replaces the pages with one new page for each string.
  void SetPages(const TStrings* Value);
  int PageIndex() const { return pageIndex; }
  // Shows page Value and hides every other; out of range or the page
  // already shown changes nothing. While loading, only stored.
  void SetPageIndex(int Value);
  // The caption of the shown page; empty when PageIndex names no page.
  AnsiString ActivePage() const;
  // Shows the first page of that caption; none changes nothing.
  void SetActivePage(const AnsiString& Value);
  TepPage* GetPage(int Index) const { return pageList.at(Index); }
  void InvalidatePage(int Index);
  // Shows the page when Control is one; otherwise the page of an enclosing
  // notebook that holds this one comes up.
  void ShowControl(TControl* Control);

  // The pages follow the other children, so that a layout makes them last.
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) const override;

  TNotifyEvent OnPageChanged;

protected:
  void Paint() override;
  void Loaded() override;

private:
  friend class TepPage;
  friend class TepPageAccess;
  int IndexOfPage(const TControl* Control) const;
  // Takes a page that goes out of the list, keeping PageIndex on the shown page.
  void RemovePage(TepPage* Page);
  void BringUp(TepPage* Page);

  std::vector<TepPage*> pageList;
  std::unique_ptr<TepPageAccess> pages;
  int pageIndex = -1;
};

WT_DECLARE_META(TepPage)
WT_DECLARE_META(TepNoteBook)
