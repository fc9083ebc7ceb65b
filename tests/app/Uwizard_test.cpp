// The wizard's source pages: page switching by name, the about panel, the
// editor page's validation order and messages, adding, editing in place,
// switching sources on and off, and deleting with the page copies.
#include "tests/app/WizardFixture.h"
#include "tests/platform/ui/FormFixture.h"

#include <filesystem>

namespace {

struct TPageCase {
  const char* Name;
  TepImagePanel* TfrmWizard::*Command;
  TepImagePanel* TfrmWizard::*Page;
  TepImagePanel* TfrmWizard::*Title;
};

const TPageCase kPages[] = {
    {"DEF", &TfrmWizard::pnlDEFCmd, &TfrmWizard::pnlDEF, &TfrmWizard::lblDEF},
    {"ADD", &TfrmWizard::pnlADDPROPCmd, &TfrmWizard::pnlADDPROP, &TfrmWizard::lblADD},
    {"PROP", &TfrmWizard::pnlADDPROPCmd, &TfrmWizard::pnlADDPROP, &TfrmWizard::lblPROP},
    {"IMP", &TfrmWizard::pnlIMPCmd, &TfrmWizard::pnlIMP, &TfrmWizard::lblIMP},
    {"OPT", &TfrmWizard::pnlOPTCmd, &TfrmWizard::pnlOPT, &TfrmWizard::lblOPT},
    {"DEL", &TfrmWizard::pnlDELCmd, &TfrmWizard::pnlDEL, &TfrmWizard::lblDEL},
};

TEST_F(WizardTest, ShowPageShowsExactlyThePanelsAndTitleOfTheName) {
  for (const TPageCase& page : kPages) {
    SCOPED_TRACE(page.Name);
    wizard->ShowAbout();
    wizard->sgUrlToAdd->SetVisible(true);
    wizard->ShowPage(page.Name);
    EXPECT_FALSE(wizard->pnlAbout->Visible());
    EXPECT_EQ(wizard->ibtnMainOk->Visible(), std::string(page.Name) == "DEF");
    TepImagePanel* command = wizard->*page.Command;
    TepImagePanel* panel = wizard->*page.Page;
    EXPECT_EQ(command->Left(), 424);
    EXPECT_EQ(command->Top(), 48);
    EXPECT_EQ(panel->Left(), 43);
    EXPECT_EQ(panel->Top(), 50);
    for (const TPageCase& other : kPages) {
      EXPECT_EQ((wizard->*other.Command)->Visible(), wizard->*other.Command == command);
      EXPECT_EQ((wizard->*other.Page)->Visible(), wizard->*other.Page == panel);
      EXPECT_EQ((wizard->*other.Title)->Visible(), other.Title == page.Title);
      EXPECT_EQ((wizard->*other.Title)->Left(), 40);
      EXPECT_EQ((wizard->*other.Title)->Top(), 31);
    }
    EXPECT_EQ(wizard->sgUrlToAdd->Visible(), std::string(page.Name) != "IMP");
  }
}

TEST_F(WizardTest, AnUnknownPageNameOnlyHidesTheAboutPanelAndTheOkButton) {
  wizard->ShowPage("OPT");
  wizard->ShowAbout();
  wizard->ShowPage("opt");
  EXPECT_FALSE(wizard->pnlAbout->Visible());
  EXPECT_FALSE(wizard->ibtnMainOk->Visible());
  EXPECT_TRUE(wizard->pnlOPT->Visible());
  EXPECT_TRUE(wizard->pnlOPTCmd->Visible());
}

TEST_F(WizardTest, AboutShowsTheVersionAndTheNoticeLineByLine) {
  wizard->ShowAbout();
  EXPECT_TRUE(wizard->pnlAbout->Visible());
  EXPECT_EQ(wizard->lblVersion->Caption(), "Version 1.020b");
  for (TepImagePanel* title : {wizard->lblADD, wizard->lblPROP, wizard->lblIMP, wizard->lblDEL,
                               wizard->lblOPT, wizard->lblDEF})
    EXPECT_FALSE(title->Visible());
  const CTextResources& t = host.Settings.texts;
  EXPECT_EQ(wizard->lblMsgLic->Caption(), t.GetString(110) + "\r\n" + t.GetString(111));
}

TEST_F(WizardTest, TheOkButtonClosesTheWizardOnTheSourcePage) {
  wizard->ShowAbout();
  wizard->ibtnMainOkClick(nullptr);
  EXPECT_FALSE(wizard->pnlAbout->Visible());
  EXPECT_TRUE(wizard->lblDEF->Visible());
}

TEST_F(WizardTest, TheAddPageStartsFromTheDefaults) {
  wizard->edtName->SetText("left over");
  wizard->cbxNovelty->SetChecked(true);
  wizard->ibtnAddUrlClick(nullptr);
  EXPECT_EQ(wizard->EditedIndex(), -1);
  EXPECT_EQ(wizard->edtName->Text(), "");
  EXPECT_EQ(wizard->edtUrl->Text(), "http://");
  EXPECT_FALSE(wizard->cbxNovelty->Checked());
  EXPECT_FALSE(wizard->cbxNewsExtract->Checked());
  EXPECT_FALSE(wizard->cbxKeepTrack->Checked());
  EXPECT_TRUE(wizard->cbxIgnoreTags->Checked());
  EXPECT_TRUE(wizard->cbxIgnoreDates->Checked());
  EXPECT_TRUE(wizard->cbxIgnoreHexa->Checked());
  EXPECT_EQ(wizard->sliderHistoLength->Value(), 2);
  EXPECT_EQ(wizard->lblHistoSize->Caption(), "2");
  EXPECT_FALSE(wizard->pnlNoveltyOption->Visible());
  EXPECT_TRUE(wizard->pnlADDPROP->Visible());
  EXPECT_TRUE(wizard->lblADD->Visible());
}

TEST_F(WizardTest, TheNoveltyCaptionTogglesTheBoxAndItsOptions) {
  wizard->ibtnAddUrlClick(nullptr);
  wizard->lblNoveltyClick(nullptr);
  EXPECT_TRUE(wizard->cbxNovelty->Checked());
  EXPECT_TRUE(wizard->pnlNoveltyOption->Visible());
  wizard->lblNoveltyClick(nullptr);
  EXPECT_FALSE(wizard->pnlNoveltyOption->Visible());
  wizard->lblBtnNewsExtractClick(nullptr);
  EXPECT_TRUE(wizard->cbxNewsExtract->Checked());
}

// One attempt to accept the editor page over six registered sources
// ("s1".."s6" at "http://h/1".."http://h/6").
struct TAcceptCase {
  const char* Description;
  int Row; // 0 adds, else edits that grid row
  const char* Name;
  const char* Url;
  bool Extract;
  bool Novelty;
  int Message; // the language string shown, or -1 when accepted
};

const TAcceptCase kAcceptCases[] = {
    {"empty name", 0, "", "http://h/new", true, false, 70},
    {"blank name", 0, "   ", "http://h/new", true, false, 70},
    {"empty url", 0, "new", "  ", true, false, 71},
    {"no option before a duplicate", 0, "s1", "http://h/1", false, false, 73},
    {"duplicate name", 0, "s3", "http://h/new", true, false, 106},
    {"duplicate url", 0, "new", "http://h/4", false, true, 107},
    {"url of an earlier source decides", 0, "s5", "http://h/2", true, false, 107},
    {"name of an earlier source decides", 0, "s2", "http://h/5", true, false, 106},
    {"name differing in case", 0, "S3", "http://h/new", true, false, -1},
    {"url differing in case", 0, "new", "HTTP://h/3", true, false, -1},
    {"edit keeping its own name and url", 3, "s3", "http://h/3", true, false, -1},
    {"edit to another's name", 3, "s1", "http://h/3", true, false, 106},
    {"add trimmed", 0, "  new  ", "  http://h/new ", false, true, -1},
};

TEST_F(WizardTest, AcceptingChecksInTheOrderOfTheMessages) {
  for (const TAcceptCase& c : kAcceptCases) {
    SCOPED_TRACE(c.Description);
    while (host.Sources.GetSourceCount() > 0)
      host.Sources.DeleteSource(0);
    for (int i = 1; i <= 6; ++i)
      AddSource(std::string("s") + std::to_string(i), std::string("http://h/") + std::to_string(i));
    RecordedBoxes().clear();
    if (c.Row == 0) {
      wizard->ibtnAddUrlClick(nullptr);
    } else {
      wizard->sgSources->SetRow(c.Row);
      wizard->ibtnPropertiesClick(nullptr);
    }
    wizard->edtName->SetText(c.Name);
    wizard->edtUrl->SetText(c.Url);
    wizard->cbxNewsExtract->SetChecked(c.Extract);
    wizard->cbxNovelty->SetChecked(c.Novelty);
    wizard->btnSourceAcceptClick(nullptr);
    if (c.Message >= 0) {
      ASSERT_EQ(RecordedBoxes().size(), 1u);
      EXPECT_EQ(RecordedBoxes()[0].Text, host.Settings.texts.GetString(c.Message));
      EXPECT_EQ(RecordedBoxes()[0].Caption, "Invalid parameter");
      EXPECT_TRUE(wizard->pnlADDPROP->Visible());
      EXPECT_EQ(host.Sources.GetSourceCount(), 6);
      EXPECT_EQ(host.Sources.GetSource(2)->name, "s3");
      continue;
    }
    EXPECT_TRUE(RecordedBoxes().empty());
    EXPECT_TRUE(wizard->pnlDEF->Visible());
    const int expected = c.Row == 0 ? 7 : 6;
    EXPECT_EQ(host.Sources.GetSourceCount(), expected);
    EXPECT_EQ(wizard->sgSources->RowCount(), expected + 1);
    const NewsSource* saved = host.Sources.GetSource(c.Row == 0 ? 6 : c.Row - 1);
    EXPECT_EQ(saved->name, Trim(c.Name));
    EXPECT_EQ(saved->GetUrl(), Trim(c.Url));
    EXPECT_EQ(saved->newsExtraction, c.Extract);
    EXPECT_EQ(saved->noveltyDetection, c.Novelty);
  }
}

TEST_F(WizardTest, AnAddedSourceTakesThePageOptionsAndGoesToTheEnd) {
  AddSource("first", "http://h/1");
  wizard->ibtnAddUrlClick(nullptr);
  wizard->edtName->SetText("second");
  wizard->edtUrl->SetText("http://h/2");
  wizard->cbxNovelty->SetChecked(true);
  wizard->cbxKeepTrack->SetChecked(true);
  wizard->cbxIgnoreDates->SetChecked(false);
  wizard->sliderHistoLength->SetValue(40);
  wizard->btnSourceAcceptClick(nullptr);
  ASSERT_EQ(host.Sources.GetSourceCount(), 2);
  const NewsSource* added = host.Sources.GetSource(1);
  EXPECT_EQ(added->name, "second");
  EXPECT_TRUE(added->enabled);
  EXPECT_FALSE(added->newsExtraction);
  EXPECT_TRUE(added->noveltyDetection);
  EXPECT_TRUE(added->keepChangeTrack);
  EXPECT_TRUE(added->ignoreHtmlTags);
  EXPECT_FALSE(added->ignoreDates);
  EXPECT_TRUE(added->ignoreBigHexaNumbers);
  EXPECT_EQ(added->historyLength, 40);
  EXPECT_EQ(wizard->sgSources->RowCount(), 3);
  EXPECT_EQ(wizard->sgSources->FixedRows(), 1);
}

TEST_F(WizardTest, EditingInPlaceKeepsTheSourceItsPlaceAndItsItems) {
  AddSource("one", "http://h/1");
  AddSource("two", "http://h/2");
  AddSource("three", "http://h/3");
  NewsSource* two = host.Sources.GetSource(1);
  NewsRecord record;
  record.headline = "Council approves budget";
  record.link = "http://h/2/budget.html";
  two->AddNews(std::make_unique<NewsData>(two, record));
  wizard->sgSources->SetRow(2);
  wizard->ibtnPropertiesClick(nullptr);
  EXPECT_EQ(wizard->EditedIndex(), 2);
  EXPECT_TRUE(wizard->lblPROP->Visible());
  EXPECT_EQ(wizard->edtName->Text(), "two");
  wizard->edtName->SetText("two renamed");
  wizard->edtUrl->SetText("http://h/two");
  wizard->cbxNovelty->SetChecked(true);
  wizard->cbxKeepTrack->SetChecked(false);
  wizard->sliderHistoLength->SetValue(30);
  wizard->btnSourceAcceptClick(nullptr);
  ASSERT_EQ(host.Sources.GetSourceCount(), 3);
  EXPECT_EQ(host.Sources.GetSource(1), two);
  EXPECT_EQ(two->name, "two renamed");
  EXPECT_EQ(two->GetUrl(), "http://h/two");
  EXPECT_TRUE(two->noveltyDetection);
  EXPECT_FALSE(two->keepChangeTrack);
  EXPECT_EQ(two->historyLength, 30);
  ASSERT_EQ(two->GetNewsCount(), 1);
  EXPECT_EQ(two->GetNews(0)->headline, "Council approves budget");
}

TEST_F(WizardTest, PropertiesAndDeleteIgnoreTheHeaderAndRowsWithoutSource) {
  EXPECT_EQ(wizard->sgSources->RowCount(), 1);
  wizard->ShowPage("DEF");
  wizard->ibtnPropertiesClick(nullptr);
  wizard->ibtnDeleteUrlClick(nullptr);
  EXPECT_TRUE(wizard->pnlDEF->Visible());
  EXPECT_EQ(wizard->sgSources->FixedRows(), 0);
}

TEST_F(WizardTest, DeletingRemovesTheSourceAndOnlyItsPageCopies) {
  AddSource("one", "http://h/1");
  AddSource("two", "http://h/2");
  for (int i = 0; i < 2; ++i) {
    NewsSource* source = host.Sources.GetSource(i);
    source->SetOptions(true, true, false, false, false);
    source->pageText = "<html><body>page of " + source->name + "</body></html>";
    ASSERT_TRUE(source->TrackPageChange());
  }
  NewsSource* one = host.Sources.GetSource(0);
  const std::string oneCopy = one->pageTracker->GetLastCopyPath();
  const std::string twoCopy = host.Sources.GetSource(1)->pageTracker->GetLastCopyPath();
  ASSERT_TRUE(std::filesystem::exists(oneCopy));
  ASSERT_TRUE(std::filesystem::exists(twoCopy));

  wizard->sgSources->SetRow(1);
  wizard->ibtnDeleteUrlClick(nullptr);
  EXPECT_TRUE(wizard->pnlDEL->Visible());
  EXPECT_EQ(wizard->edtDeleteName->Text(), "one");
  EXPECT_EQ(wizard->edtDeleteUrl->Text(), "http://h/1");
  wizard->btnAcceptDeleteSourceClick(nullptr);

  EXPECT_TRUE(wizard->pnlDEF->Visible());
  ASSERT_EQ(host.Sources.GetSourceCount(), 1);
  EXPECT_EQ(host.Sources.GetSource(0)->name, "two");
  EXPECT_EQ(wizard->sgSources->RowCount(), 2);
  EXPECT_FALSE(std::filesystem::exists(oneCopy));
  EXPECT_TRUE(std::filesystem::exists(twoCopy));
}

TEST_F(WizardTest, CancellingTheDeletePageKeepsTheSource) {
  AddSource("one", "http://h/1");
  wizard->sgSources->SetRow(1);
  wizard->ibtnDeleteUrlClick(nullptr);
  wizard->btnSourceCancelClick(nullptr);
  EXPECT_TRUE(wizard->pnlDEF->Visible());
  EXPECT_EQ(host.Sources.GetSourceCount(), 1);
}

TEST_F(WizardTest, ADoubleClickOnASourceRowSwitchesItOnOrOff) {
  AddSource("one", "http://h/1");
  AddSource("two", "http://h/2");
  wizard->Show();
  Pump();
  const TRect row2 = wizard->sgSources->CellRect(1, 2);
  SimulateDoubleClick(wizard->sgSources->ClientToScreen(
      Point((row2.Left + row2.Right) / 2, (row2.Top + row2.Bottom) / 2)));
  Pump();
  EXPECT_TRUE(host.Sources.GetSource(0)->enabled);
  EXPECT_FALSE(host.Sources.GetSource(1)->enabled);
  const TRect header = wizard->sgSources->CellRect(1, 0);
  SimulateDoubleClick(wizard->sgSources->ClientToScreen(Point(header.Left + 4, header.Top + 4)));
  Pump();
  EXPECT_TRUE(host.Sources.GetSource(0)->enabled);
  EXPECT_FALSE(host.Sources.GetSource(1)->enabled);
  wizard->Hide();
}

TEST_F(WizardTest, TheContextMenuNamesTheSourceOpensItAndTogglesIt) {
  AddSource("one", "http://h/1");
  const TRect row1 = wizard->sgSources->CellRect(1, 1);
  bool handled = false;
  TScript close({[] { SimulateKey(VK_ESCAPE); }});
  wizard->sgSourcesContextPopup(nullptr, Point(row1.Left + 2, row1.Top + 2), handled);
  EXPECT_EQ(close.Done, 1);
  EXPECT_TRUE(handled);
  EXPECT_EQ(wizard->ContextRow(), 1);
  EXPECT_EQ(wizard->Gotourl1->Caption(), "Go to'one'");
  wizard->Gotourl1Click(nullptr);
  EXPECT_EQ(host.Opened, std::vector<AnsiString>{"http://h/1"});
  wizard->Enablesource1Click(nullptr);
  EXPECT_FALSE(host.Sources.GetSource(0)->enabled);

  // Below the last source there is no menu and nothing to do.
  const TRect below = wizard->sgSources->CellRect(1, 1);
  handled = false;
  wizard->sgSourcesContextPopup(nullptr, Point(below.Left + 2, below.Bottom + 40), handled);
  EXPECT_FALSE(handled);
  EXPECT_EQ(wizard->ContextRow(), -1);
  wizard->Enablesource1Click(nullptr);
  EXPECT_FALSE(host.Sources.GetSource(0)->enabled);
}

TEST_F(WizardTest, HelpAndF1GoToTheMainWindow) {
  wizard->btnHelpClick(nullptr);
  wizard->lblHomesiteClick(nullptr);
  EXPECT_EQ(host.Helps, 2);
  uint16_t key = VK_F1;
  wizard->FormKeyDown(nullptr, key, {});
  uint16_t other = 'A';
  wizard->FormKeyDown(nullptr, other, {});
  EXPECT_EQ(host.Keys, std::vector<uint16_t>{VK_F1});
}

} // namespace
