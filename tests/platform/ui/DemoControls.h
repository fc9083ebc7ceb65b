#pragma once
// The demo form's controls: a standard-looking push button and panel, and two
// custom-painted windowless controls, published for the layout in
// data/demoForm.lay. Include from one unit per test program.
#include "platform/ui/Checklst.h"
#include "platform/ui/Comctrls.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Layout.h"
#include "platform/ui/Perfgrph.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Stdctrls.h"
#include "platform/ui/Timers.h"

#include <vector>

class TDemoButton : public TCustomControl {
public:
  explicit TDemoButton(TComponent* AOwner) : TCustomControl(AOwner) {
    SetBounds(0, 0, 75, 25);
    SetColor(clBtnFace);
  }

protected:
  void Paint() override {
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    c->Pen()->SetColor(clBtnHighlight);
    c->MoveTo(0, r.Bottom - 1);
    c->LineTo(0, 0);
    c->LineTo(r.Right - 1, 0);
    c->Pen()->SetColor(cl3DDkShadow);
    c->LineTo(r.Right - 1, r.Bottom - 1);
    c->LineTo(-1, r.Bottom - 1);
    TRect text = r;
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetColor(Enabled() ? clBtnText : clGrayText);
    c->DrawText(Caption(), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
};

class TDemoPanel : public TCustomControl {
public:
  explicit TDemoPanel(TComponent* AOwner) : TCustomControl(AOwner) {}

protected:
  void Paint() override {
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    c->Pen()->SetColor(clBtnShadow);
    c->MoveTo(0, r.Bottom - 1);
    c->LineTo(0, 0);
    c->LineTo(r.Right, 0);
  }
};

class TDemoLabel : public TGraphicControl {
public:
  explicit TDemoLabel(TComponent* AOwner) : TGraphicControl(AOwner) {}

protected:
  void Paint() override {
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->TextOut(0, 0, Caption());
  }
};

// A striped disc, painted entirely by its own code.
class TDemoBadge : public TGraphicControl {
public:
  explicit TDemoBadge(TComponent* AOwner) : TGraphicControl(AOwner) {}
  int Stripes = 3;
  TDemoButton* Buddy = nullptr;

protected:
  void Paint() override {
    TCanvas* c = Canvas();
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetColor(Color());
    c->Ellipse(0, 0, Width(), Height());
    c->Pen()->SetColor(clYellow);
    for (int i = 1; i <= Stripes; ++i) {
      const int y = i * Height() / (Stripes + 1);
      c->MoveTo(Width() / 4, y);
      c->LineTo(Width() * 3 / 4, y);
    }
  }
};

class TDemoForm : public TForm {
public:
  explicit TDemoForm(TComponent* AOwner) : TForm(AOwner) { ReadLayout(this, "demoForm"); }
  TDemoLabel* title = nullptr;
  TDemoPanel* panel = nullptr;
  TDemoButton* okButton = nullptr;
  TDemoButton* cancelButton = nullptr;
  TDemoLabel* hint = nullptr;
  TDemoBadge* badge = nullptr;
  TCheckListBox* languages = nullptr;
  TPageControl* pages = nullptr;
  TTabSheet* firstSheet = nullptr;
  TTabSheet* secondSheet = nullptr;
  TEdit* sheetEdit = nullptr;
  TPopupMenu* menu = nullptr;
  TMenuItem* menuFirst = nullptr;
  TMenuItem* menuInner = nullptr;
  TTimer* ticker = nullptr;
  TStringGrid* newsGrid = nullptr;
  TPerformanceGraph* perf = nullptr;
  int Created = 0;
  int ScaleChanges = 0;
  std::vector<TObject*> Clicks;

  void FormCreate(TObject*) { ++Created; }
  void OkClick(TObject* Sender) { Clicks.push_back(Sender); }
  void PerfScaleChange(TObject*) { ++ScaleChanges; }
  void MenuClick(TObject* Sender) { Clicks.push_back(Sender); }
  void LanguageCheck(TObject* Sender) { Clicks.push_back(Sender); }
};

WT_DECLARE_META(TDemoButton)
WT_DECLARE_META(TDemoPanel)
WT_DECLARE_META(TDemoLabel)
WT_DECLARE_META(TDemoBadge)
WT_DECLARE_META(TDemoForm)

WT_PUBLISH(TDemoButton, TCustomControl) {}
WT_PUBLISH(TDemoPanel, TCustomControl) {}
WT_PUBLISH(TDemoLabel, TGraphicControl) {}
WT_PUBLISH(TDemoBadge, TGraphicControl) {
  p.Property("Stripes", &TDemoBadge::Stripes, &TDemoBadge::Stripes);
  p.Property("Buddy", &TDemoBadge::Buddy, &TDemoBadge::Buddy);
}
WT_PUBLISH(TDemoForm, TForm) {
  p.Method("FormCreate", &TDemoForm::FormCreate);
  p.Method("OkClick", &TDemoForm::OkClick);
  p.Method("PerfScaleChange", &TDemoForm::PerfScaleChange);
  p.Method("MenuClick", &TDemoForm::MenuClick);
  p.Method("LanguageCheck", &TDemoForm::LanguageCheck);
  p.Field("title", &TDemoForm::title);
  p.Field("panel", &TDemoForm::panel);
  p.Field("okButton", &TDemoForm::okButton);
  p.Field("cancelButton", &TDemoForm::cancelButton);
  p.Field("hint", &TDemoForm::hint);
  p.Field("badge", &TDemoForm::badge);
  p.Field("languages", &TDemoForm::languages);
  p.Field("pages", &TDemoForm::pages);
  p.Field("firstSheet", &TDemoForm::firstSheet);
  p.Field("secondSheet", &TDemoForm::secondSheet);
  p.Field("sheetEdit", &TDemoForm::sheetEdit);
  p.Field("menu", &TDemoForm::menu);
  p.Field("menuFirst", &TDemoForm::menuFirst);
  p.Field("menuInner", &TDemoForm::menuInner);
  p.Field("ticker", &TDemoForm::ticker);
  p.Field("newsGrid", &TDemoForm::newsGrid);
  p.Field("perf", &TDemoForm::perf);
}
