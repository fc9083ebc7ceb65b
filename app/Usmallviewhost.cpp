#include "app/Usmallviewhost.h"

#include "app/Umain.h"

#include <memory>

namespace {

// The main window behind the interface the full-mode window forwards to. It
// is reached through frmMain, which the main window clears as it goes.
class TMainWindowHost : public TSmallViewHost {
public:
  CSystemConfigurator* Settings() override { return frmMain->Settings(); }
  void SortNewsList(int32_t key, bool ascending) override { frmMain->SortNewsList(key, ascending); }
  void OpenUrl(const AnsiString& url) override { frmMain->OpenUrl(url); }
  void btnPauseClick(TObject* Sender) override { frmMain->btnPauseClick(Sender); }
  void btnPlayClick(TObject* Sender) override { frmMain->btnPlayClick(Sender); }
  void btnPropertiesClick(TObject* Sender) override { frmMain->btnPropertiesClick(Sender); }
  void btnAboutClick(TObject* Sender) override { frmMain->btnAboutClick(Sender); }
  void sgNewsContextPopup(TObject* Sender, TPoint MousePos, bool& Handled) override {
    frmMain->sgNewsContextPopup(Sender, MousePos, Handled);
  }
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift) override {
    frmMain->FormKeyDown(Sender, Key, Shift);
  }
  void SetMainFilterText(const AnsiString& text) override { frmMain->edFilter->SetText(text); }
  // Once the main window has begun closing it stays out of sight.
  void ShowMainWindow() override {
    if (frmMain != nullptr && frmMain->Alive())
      frmMain->Show();
  }
  TImage* SortImage(bool ascending) override {
    return ascending ? frmMain->bmpUp : frmMain->bmpDown;
  }
  TImage* ChangeEventImage() override { return frmMain->bmpChangeEvent; }
};

std::unique_ptr<TMainWindowHost> mainHost;

} // namespace

void ConnectSmallViewToMain(TfrmSmallView* View) {
  if (!mainHost)
    mainHost = std::make_unique<TMainWindowHost>();
  View->SetHost(mainHost.get());
}
