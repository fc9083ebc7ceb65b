#pragma once
// The wizard: the one dialog through which the user edits the watched
// sources (add, edit in place, enable, delete), tests a URL, scans a page for
// links to pages with news and adds them as sources, and edits the options
// and the language. Its pages are panels of one form, shown by name.
#include "app/Usystemconfig.h"
#include "engine/Chttpthread.h"
#include "engine/Newsextractor.h"
#include "engine/Newssource.h"
#include "platform/rtl/Stringlist.h"
#include "platform/ui/Checklst.h"
#include "platform/ui/Comctrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Extctrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Grids.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Stdctrls.h"
#include "skin/Anictrls.h"
#include "skin/Bmpctrls.h"
#include "skin/Bmslider.h"
#include "skin/Effbtns.h"
#include "skin/Epctrls.h"
#include "skin/Eplabels.h"
#include "skin/Epmorph.h"
#include "skin/Mediabtn.h"
#include "skin/Medialib.h"
#include "skin/Regions.h"

#include <cstdint>
#include <memory>

class TfrmWizard;

// What the wizard needs of the main window: its source list and settings,
// and the few commands that reach beyond the wizard. The main window
// implements it; the wizard never owns what it answers.
class TWizardHost {
public:
  virtual ~TWizardHost() = default;
  virtual NewsExtractor* GetSourceList() = 0;
  virtual CSystemConfigurator* GetSettings() = 0;
  virtual void OpenUrl(const AnsiString& Url) = 0;
  // The help command (it opens the local help page).
  virtual void ShowHelp() = 0;
  // The main window's key handler, for F1.
  virtual void MainKeyDown(uint16_t& Key, TShiftState Shift) = 0;
  // The news grid's font (main window) and the full-mode window's font.
  virtual void SetGridFont(TFont* Font) = 0;
  virtual void SetFullModeFont(TFont* Font) = 0;
  // The language changed: the other windows take the new texts. A filter box
  // still showing OldPlaceholder shows the new placeholder instead.
  virtual void LanguageChanged(const AnsiString& OldPlaceholder) = 0;
};

// The HTTP listener of the URL test and the page scan.
class TestCallback : public CHttpCallback {
public:
  explicit TestCallback(TfrmWizard* AOwner) : owner(AOwner) {}
  void OnHttpEvent(int status, const char* body, unsigned bodyLength, const char* header,
                   unsigned headerLength) override;
  void OnHttpResponse(const THttpResponse& response) override;

private:
  TfrmWizard* owner; // not owned
};

// The news listener of the URL test's source.
class TestNewsNotifyCallBack : public NewsUpdater {
public:
  explicit TestNewsNotifyCallBack(TfrmWizard* AOwner) : owner(AOwner) {}
  void OnNewsReceived(NewsSource* source, int32_t count) override;

private:
  TfrmWizard* owner; // not owned
};

class TfrmWizard : public TForm {
public:
  static constexpr const char* Version = "1.020b";
  // What an idle wizard, a URL test, a page scan and the verification of
  // the scan's candidates wait for.
  enum TMode : int32_t { wmIdle = 0, wmUrlTest = 1, wmScan = 2, wmVerify = 3 };

  explicit TfrmWizard(TComponent* AOwner);
  ~TfrmWizard() override;

  void SetHost(TWizardHost* Value) { host = Value; }
  TWizardHost* Host() const { return host; }

  void ShowPage(const AnsiString& Name);
  void ShowAbout();
  void ApplyLanguage(CSystemConfigurator* Settings);
  // The source grid's row count after the list changed.
  void RefreshSourceRows();

  // Completions, on the main thread.
  void OnHttpResponse(const THttpResponse& response);
  void OnNewsReceived(NewsSource* source, int32_t count);

  TMode Mode() const { return mode; }
  int32_t EditedIndex() const { return editedIndex; }
  int32_t ContextRow() const { return contextRow; }
  const TStringList* CandidateNames() const { return candidateNames.get(); }
  const TStringList* CandidateUrls() const { return candidateUrls.get(); }

  // Source pages.
  void ibtnAddUrlClick(TObject* Sender);
  void ibtnPropertiesClick(TObject* Sender);
  void ibtnDeleteUrlClick(TObject* Sender);
  void btnSourceAcceptClick(TObject* Sender);
  void btnSourceCancelClick(TObject* Sender);
  void btnAcceptDeleteSourceClick(TObject* Sender);
  void sgSourcesDrawCell(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State);
  void sgSourcesDblClick(TObject* Sender);
  void sgSourcesContextPopup(TObject* Sender, TPoint MousePos, bool& Handled);
  void Gotourl1Click(TObject* Sender);
  void Enablesource1Click(TObject* Sender);
  void cbxNoveltyClick(TObject* Sender);
  void lblBtnNewsExtractClick(TObject* Sender);
  void lblNoveltyClick(TObject* Sender);
  void sliderHistoLengthChange(TObject* Sender);
  void ibtnMainOkClick(TObject* Sender);
  void lblHomesiteClick(TObject* Sender);
  void btnHelpClick(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);

  // URL test and page scan.
  void btnTestUrlClick(TObject* Sender);
  void btnAbortTestClick(TObject* Sender);
  void btnTestFinishedClick(TObject* Sender);
  void ibtnImportClick(TObject* Sender);
  void btnUrlScanConnectClick(TObject* Sender);
  void edtUrlToScanKeyPress(TObject* Sender, char& Key);
  void btnUrlScanAbortClick(TObject* Sender);
  void btnUrlScanAckClick(TObject* Sender);
  void btnUrlScanOkClick(TObject* Sender);
  void btnUrlScanCancelClick(TObject* Sender);
  void sgUrlToAddClick(TObject* Sender);
  void sgUrlToAddSelectCell(TObject* Sender, int ACol, int ARow, bool& CanSelect);
  void sgUrlToAddDrawCell(TObject* Sender, int ACol, int ARow, TRect Rect, TGridDrawState State);
  void btnAddSourcesClick(TObject* Sender);

  // Options and language.
  void ibtnOptionsClick(TObject* Sender);
  void btnOptionsOKClick(TObject* Sender);
  void cbxLanguageClickCheck(TObject* Sender);
  void btnFontNormalClick(TObject* Sender);
  void btnColorNormalClick(TObject* Sender);
  void cbNormalNewsSampleDrawItem(TWinControl* Control, int Index, TRect Rect,
                                  TOwnerDrawState State);
  void btnClearAllCacheDataClick(TObject* Sender);
  void lblMsgSilentClick(TObject* Sender);
  void cbxEnableProxyClick(TObject* Sender);
  void cbUseScriptClick(TObject* Sender);
  void sliderHintHideChange(TObject* Sender);
  void sliderTimeoutChange(TObject* Sender);
  void sliderMaxRequestChange(TObject* Sender);
  void sliderMaxAgeChange(TObject* Sender);
  void sliderMaxNewsChange(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);

  // Components of the stored layout.
  TepRegionForm* epRegionForm1 = nullptr;
  TepRunStr* epMsgRun = nullptr;
  TepMorphButton* ibtnMainOk = nullptr;
  TepBitmap* bmpEmpty = nullptr;
  TepBitmap* bmpMsg = nullptr;
  TepBitmap* bmpPageWallpaper = nullptr;
  TepBitmap* bmpCmdWallpaper = nullptr;
  TImage* bmpChecked = nullptr;
  TImage* bmpUnchecked = nullptr;
  TepImagePanel* lblADD = nullptr;
  TepImagePanel* lblPROP = nullptr;
  TepImagePanel* lblIMP = nullptr;
  TepImagePanel* lblDEL = nullptr;
  TepImagePanel* lblOPT = nullptr;
  TepImagePanel* lblDEF = nullptr;
  // DEF
  TepImagePanel* pnlDEF = nullptr;
  TepImagePanel* pnlDEFCmd = nullptr;
  TStringGrid* sgSources = nullptr;
  TepBMPButton* ibtnAddUrl = nullptr;
  TepBMPButton* ibtnDeleteUrl = nullptr;
  TepBMPButton* ibtnProperties = nullptr;
  TepBMPButton* ibtnImport = nullptr;
  TepBMPButton* ibtnOptions = nullptr;
  TepTextLabel* lblCmdAdd = nullptr;
  TepTextLabel* lblCmdDelete = nullptr;
  TepTextLabel* lblCmdProperties = nullptr;
  TepTextLabel* lblCmdImport = nullptr;
  TepTextLabel* lblCmdOptions = nullptr;
  TPopupMenu* popSourceAction = nullptr;
  TMenuItem* Gotourl1 = nullptr;
  TMenuItem* Enablesource1 = nullptr;
  // ADD / PROP
  TepImagePanel* pnlADDPROP = nullptr;
  TepImagePanel* pnlADDPROPCmd = nullptr;
  TepTextLabel* lblEditSrcName = nullptr;
  TepTextLabel* lblEditSrcUrl = nullptr;
  TEdit* edtName = nullptr;
  TEdit* edtUrl = nullptr;
  TepBMPCheckBox* cbxNewsExtract = nullptr;
  TepBMPCheckBox* cbxNovelty = nullptr;
  TepLightLabelButton* lblBtnNewsExtract = nullptr;
  TepLightLabelButton* lblNovelty = nullptr;
  TepImagePanel* pnlNoveltyOption = nullptr;
  TepBMPCheckBox* cbxKeepTrack = nullptr;
  TepBMPCheckBox* cbxIgnoreTags = nullptr;
  TepBMPCheckBox* cbxIgnoreDates = nullptr;
  TepBMPCheckBox* cbxIgnoreHexa = nullptr;
  TepTextLabel* lblMsgCacheLength = nullptr;
  TepBMPSlider* sliderHistoLength = nullptr;
  TepShadowLabel* lblHistoSize = nullptr;
  TepBMPButton* btnSourceAccept = nullptr;
  TepBMPButton* btnSourceCancel = nullptr;
  TepBMPButton* btnTestUrl = nullptr;
  TepBMPButton* btnAbortTest = nullptr;
  TepBMPButton* btnTestFinished = nullptr;
  TMemo* meUrlTrace = nullptr;
  // DEL
  TepImagePanel* pnlDEL = nullptr;
  TepImagePanel* pnlDELCmd = nullptr;
  TepTextLabel* lblMsgDelName = nullptr;
  TepTextLabel* lblMsgDelAddress = nullptr;
  TepTextLabel* lblMsgConfirmDel = nullptr;
  TEdit* edtDeleteName = nullptr;
  TEdit* edtDeleteUrl = nullptr;
  TepBMPButton* btnAcceptDeleteSource = nullptr;
  TepBMPButton* btnCancelDeleteSource = nullptr;
  // IMP
  TepImagePanel* pnlIMP = nullptr;
  TepImagePanel* pnlIMPCmd = nullptr;
  TepTextLabel* lblMsgUrlToScan = nullptr;
  TepTextLabel* txtMsgImportHelp = nullptr;
  TEdit* edtUrlToScan = nullptr;
  TepImagePanel* pnlScanResult = nullptr;
  TMemo* meUrlScanTrace = nullptr;
  TStringGrid* sgUrlToAdd = nullptr;
  TepBMPButton* btnUrlScanConnect = nullptr;
  TepLightLabelButton* lblScanNow = nullptr;
  TepBMPButton* btnUrlScanAbort = nullptr;
  TepBMPButton* btnUrlScanAck = nullptr;
  TepBMPButton* btnUrlScanOk = nullptr;
  TepBMPButton* btnUrlScanCancel = nullptr;
  // OPT
  TepImagePanel* pnlOPT = nullptr;
  TepImagePanel* pnlOPTCmd = nullptr;
  TepBMPButton* btnOptionsOK = nullptr;
  TPageControl* pgcOptions = nullptr;
  TTabSheet* tsGeneral = nullptr;
  TTabSheet* tsTimers = nullptr;
  TTabSheet* tsMisc = nullptr;
  TTabSheet* tsConnection = nullptr;
  TTabSheet* tsLanguage = nullptr;
  TepTextLabel* lblMsgNormalModeSample = nullptr;
  TepTextLabel* lblMsgFullModeSample = nullptr;
  TComboBox* cbNormalNewsSample = nullptr;
  TComboBox* cbFullNewsSample = nullptr;
  TepEfRndBtn* btnFontNormal = nullptr;
  TepEfRndBtn* btnColorNormal = nullptr;
  TepEfRndBtn* btnFontFull = nullptr;
  TepEfRndBtn* btnColorFull = nullptr;
  TepBMPCheckBox* cbxSilent = nullptr;
  TepLightLabelButton* lblMsgSilent = nullptr;
  TepTextLabel* lblMsgHintTimer = nullptr;
  TepBMPSlider* sliderHintHide = nullptr;
  TepShadowLabel* lblHintTimer = nullptr;
  TepTextLabel* lblMsgTimeOutReq = nullptr;
  TepBMPSlider* sliderTimeout = nullptr;
  TepShadowLabel* lblTimeout = nullptr;
  TepTextLabel* lblMsgMaxSimReq = nullptr;
  TepBMPSlider* sliderMaxRequest = nullptr;
  TepShadowLabel* lblMaxRequest = nullptr;
  TepTextLabel* lblMsgMaxAge = nullptr;
  TepBMPSlider* sliderMaxAge = nullptr;
  TepShadowLabel* lblMaxAge = nullptr;
  TepTextLabel* lblMsgMaxNews = nullptr;
  TepBMPSlider* sliderMaxNews = nullptr;
  TepShadowLabel* lblMaxNews = nullptr;
  TepEfRndBtn* btnClearAllCacheData = nullptr;
  TepImagePanel* pnlProxySettings = nullptr;
  TepBMPCheckBox* cbProxyAutoDetect = nullptr;
  TepBMPCheckBox* cbUseScript = nullptr;
  TepTextLabel* lblMsgScript = nullptr;
  TEdit* edtScript = nullptr;
  TepBMPCheckBox* cbxEnableProxy = nullptr;
  TepTextLabel* lblMsgProxyHost = nullptr;
  TEdit* edtProxyHost = nullptr;
  TepTextLabel* lblMsgProxyPort = nullptr;
  TEdit* edtProxyPort = nullptr;
  TCheckListBox* cbxLanguage = nullptr;
  TFontDialog* dlgFont = nullptr;
  TColorDialog* dlgColor = nullptr;
  // About
  TepImagePanel* pnlAbout = nullptr;
  TepShadowLabel* lblProdName = nullptr;
  TLabel* lblVersion = nullptr;
  TLabel* lblMsgLic = nullptr;
  TLabel* lblResMoreInformation = nullptr;
  TLabel* lblHomesite = nullptr;

private:
  AnsiString LangString(int32_t Id) const;
  NewsExtractor* Sources() const;
  CSystemConfigurator* Settings() const;
  NewsSource* SourceAtRow(int Row) const;
  // The selected row becomes the edited one; its source, null for none.
  NewsSource* EditSelectedSource();
  TGridCoord CellUnderCursor(TStringGrid* Grid) const;
  void Refuse(int32_t TextId) const;
  void ShowNoveltyOptions();
  // The cell texts and marks of both grids.
  void DrawHeaderCell(TStringGrid* Grid, const AnsiString& Text, TRect Rect);
  void DrawTextCell(TStringGrid* Grid, const AnsiString& Text, TRect Rect);
  void DrawMark(TStringGrid* Grid, bool Checked, TRect Rect);

  // Fetches.
  bool StartFetch(const AnsiString& Url);
  // Refuses an empty or invalid URL; else shows the memo, emptied, in front.
  bool ShowTrace(TMemo* Memo, const AnsiString& Url);
  // Starts the fetch and traces it; false, traced, when no transaction is free.
  bool BeginFetch(TMemo* Memo, const AnsiString& Url);
  void DetachTransaction();
  void Trace(TMemo* Memo, int32_t Id, const AnsiString& Value = "");
  void TestResult(int Status, const AnsiString& Page);
  void ScanResult(int Status, const AnsiString& Page);
  void CollectCandidates(const AnsiString& Page);
  void VerifyResult(int Status, const AnsiString& Page);
  void StartCandidate(int32_t TraceId);
  void EndOfScan();
  // The scan button and its caption together.
  void EnableScanConnect(bool Value);
  void TestFinished();
  bool CheckTickedCandidates();
  // False, with nothing added, after a conflict.
  bool AddTickedCandidates();

  // Options.
  void ChooseFont(bool FullMode);
  void ChooseColor(bool FullMode);
  void FillSampleLists();

  TWizardHost* host = nullptr;
  int32_t editedIndex = 0;
  int32_t contextRow = -1;
  CHTTPTransaction* transaction = nullptr;
  std::unique_ptr<TestCallback> testListener;
  std::unique_ptr<NewsSource> testSource;
  std::unique_ptr<TestNewsNotifyCallBack> newsListener;
  TMode mode = wmIdle;
  std::unique_ptr<TStringList> candidateNames;
  std::unique_ptr<TStringList> candidateUrls;
  bool firstCandidate = false;
  int32_t candidateTotal = 0;
  int32_t candidateIndex = 0;
  int32_t httpTimeOut = 45000;
};

// The quoted command name in the scan help text, shown on the scan button.
AnsiString ScanButtonText(const AnsiString& HelpText);

// Created at start after the main window; null until then.
extern TfrmWizard* frmWizard;

WT_DECLARE_META(TfrmWizard)
