// The wizard's URL test and page scan against real servers on loopback: the
// traces, the candidates with news and their counts, adding the ticked ones,
// aborting without a late completion, an exhausted pool, and the proxy.
#include "tests/app/WizardFixture.h"
#include "tests/engine/NewsPages.h"
#include "tests/support/Compress.h"
#include "tests/support/NginxServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TinyproxyServer.h"

#include "engine/Usdkthreadurllauncher.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Kernel.h"

namespace {

// Serves the transactions' hand-overs for at least minMs and until the
// wizard is idle; false after the time-out.
bool Serve(TfrmWizard* wizard, int minMs = 0, int timeoutMs = 10000) {
  for (const DWORD start = GetTickCount();;) {
    const DWORD elapsed = GetTickCount() - start;
    if (wizard->Mode() == TfrmWizard::wmIdle && elapsed >= static_cast<DWORD>(minMs))
      return true;
    if (elapsed > static_cast<DWORD>(timeoutMs))
      return false;
    Application->ProcessMessages();
    CheckSynchronize(10);
  }
}

const std::string kIndexPage = "<html><body><h1>Our pages</h1>\n"
                               "<a href=\"dated.html\">News</a>\n"
                               "<a href=\"dated2.html\">News</a>\n"
                               "<a href=\"dated3.html\"></a>\n"
                               "<a href=\"plain.html\">About us</a>\n"
                               "<a href=\"missing.html\">Archive</a>\n"
                               "<a href=\"index.html\">Home</a>\n"
                               "<a href=\"javascript:void(0)\">Menu</a>\n"
                               "<a href=\"registered.html\">Registered</a>\n"
                               "<a href=\"dated.html\">News again</a>\n"
                               "</body></html>\n";
const std::string kPlainPage = "<html><body><p>Who we are and what we do.</p></body></html>\n";
const std::string kUselessPage = "<html><body><a href=\"javascript:go()\">Go</a>\n"
                                 "<a href=\"useless.html\">Here</a>\n"
                                 "<a href=\"registered.html\">Known</a></body></html>\n";

class WizardScanTest : public WizardTest {
protected:
  void SetUp() override {
    WizardTest::SetUp();
    site.Write("index.html", kIndexPage);
    site.Write("dated.html", DatedTablePage("Harbour", 8));
    site.Write("dated2.html", DatedTablePage("Bridge", 5));
    site.Write("dated3.html", DatedTablePage("School", 3));
    site.Write("plain.html", kPlainPage);
    site.Write("registered.html", DatedTablePage("Known", 4));
    site.Write("useless.html", kUselessPage);
    TNginxOptions options;
    options.DocumentRoot = site.Path();
    nginx = std::make_unique<TNginxServer>(options);
    AddSource("News_1", nginx->Url("registered.html"));
  }

  std::string Line(int id, const std::string& value = "") const {
    return host.Settings.texts.GetString(id) + value;
  }
  static std::vector<std::string> Lines(TMemo* memo) {
    std::vector<std::string> lines;
    for (int i = 0; i < memo->Lines()->Count(); ++i)
      lines.push_back(memo->Lines()->Strings(i));
    return lines;
  }
  std::vector<std::vector<std::string>> Candidates() const {
    std::vector<std::vector<std::string>> rows;
    if (!wizard->sgUrlToAdd->Visible())
      return rows;
    for (int row = 1; row < wizard->sgUrlToAdd->RowCount(); ++row)
      rows.push_back({wizard->sgUrlToAdd->Cells(0, row), wizard->sgUrlToAdd->Cells(1, row),
                      wizard->sgUrlToAdd->Cells(2, row), wizard->sgUrlToAdd->Cells(3, row)});
    return rows;
  }
  void Scan(const std::string& url) {
    wizard->ibtnImportClick(nullptr);
    wizard->edtUrlToScan->SetText(url);
    wizard->btnUrlScanConnectClick(nullptr);
    ASSERT_TRUE(Serve(wizard));
  }
  void TestUrl(const std::string& url) {
    wizard->ibtnAddUrlClick(nullptr);
    wizard->edtUrl->SetText(url);
    wizard->btnTestUrlClick(nullptr);
  }
  // A whole URL test: its trace after the two lines that name the URL.
  void ExpectTestTrace(const std::string& url, const std::vector<std::string>& tail) {
    TestUrl(url);
    ASSERT_TRUE(Serve(wizard));
    std::vector<std::string> expected{Line(58), "\"" + url + "\""};
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(Lines(wizard->meUrlTrace), expected);
    wizard->btnTestFinishedClick(nullptr);
  }

  TTempDir site;
  std::unique_ptr<TNginxServer> nginx;
};

TEST_F(WizardScanTest, UrlTestTracesTheResponseAndTheNewsFound) {
  const std::string url = nginx->Url("dated.html");
  TestUrl(" " + url + " ");
  EXPECT_EQ(wizard->Mode(), TfrmWizard::wmUrlTest);
  EXPECT_TRUE(wizard->meUrlTrace->Visible());
  EXPECT_TRUE(wizard->btnAbortTest->Visible());
  EXPECT_FALSE(wizard->btnTestUrl->Enabled());
  EXPECT_FALSE(wizard->btnSourceAccept->Enabled());
  EXPECT_FALSE(wizard->btnSourceCancel->Enabled());
  ASSERT_TRUE(Serve(wizard));
  EXPECT_EQ(Lines(wizard->meUrlTrace),
            (std::vector<std::string>{Line(58), "\"" + url + "\"", Line(52, "0"), Line(51),
                                      Line(53, "8")}));
  EXPECT_FALSE(wizard->btnAbortTest->Visible());
  EXPECT_TRUE(wizard->btnTestFinished->Visible());

  wizard->btnTestFinishedClick(nullptr);
  EXPECT_FALSE(wizard->meUrlTrace->Visible());
  EXPECT_FALSE(wizard->btnTestFinished->Visible());
  EXPECT_TRUE(wizard->btnTestUrl->Enabled());
  EXPECT_TRUE(wizard->btnSourceAccept->Enabled());
  EXPECT_TRUE(wizard->btnSourceCancel->Enabled());
}

// A proxy script that cannot be downloaded fails the test with the reason in
// the trace: the page is never fetched past the proxy the user asked for.
TEST_F(WizardScanTest, UrlTestTracesAProxyScriptThatCannotBeUsed) {
  CreateProxyConfig();
  const std::string script = nginx->Url("missing.pac");
  ProxyConfig->SetProxySettings(false, true, script.c_str(), false, "", "");
  const std::string url = nginx->Url("plain.html");
  TestUrl(url);
  ASSERT_TRUE(Serve(wizard));
  EXPECT_EQ(Lines(wizard->meUrlTrace),
            (std::vector<std::string>{Line(58), "\"" + url + "\"",
                                      "Error, proxy script unusable: the script " + script +
                                          ": the download failed: Not Found",
                                      Line(52, "-1"), Line(61)}));
  wizard->btnTestFinishedClick(nullptr);
  DeleteProxyConfig();
}

TEST_F(WizardScanTest, UrlTestReportsPagesWithoutNewsAndFailures) {
  struct TCase {
    const char* Page;
    std::vector<std::string> Tail;
  };
  const TCase cases[] = {
      {"plain.html", {Line(52, "0"), Line(51), Line(53, "0"), Line(69)}},
      {"missing.html", {Line(52, "-2"), Line(61)}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Page);
    ExpectTestTrace(nginx->Url(c.Page), c.Tail);
  }
}

// Pages that come gzip-encoded: the test reads the page the worker
// inflated, here of two members as zcat reads them; a body that is not whole
// is a failed request, never half a page or compressed bytes read as text.
TEST_F(WizardScanTest, UrlTestReadsGzipPagesAndFailsDamagedOnes) {
  const std::string page = DatedTablePage("Zipped", 8);
  const std::string whole =
      Gzip(page.substr(0, page.size() / 4)) + Gzip(page.substr(page.size() / 4));
  struct TCase {
    const char* Page;
    std::string Body;
    std::vector<std::string> Tail;
  };
  const TCase cases[] = {
      {"zipped.html", whole, {Line(52, "0"), Line(51), Line(53, "8")}},
      {"cut.html", whole.substr(0, whole.size() - 40), {Line(52, "-1"), Line(61)}},
      {"trailed.html", whole + "trailing bytes", {Line(52, "-1"), Line(61)}},
  };
  TNginxOptions options;
  options.DocumentRoot = site.Path();
  for (const TCase& c : cases) {
    const std::string stored = site.Write(std::string(c.Page) + ".gz", c.Body);
    options.Locations += std::string("location = /") + c.Page +
                         " { default_type text/html; add_header Content-Encoding gzip; alias " +
                         stored + "; }\n";
  }
  TNginxServer zipped(options);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Page);
    ExpectTestTrace(zipped.Url(c.Page), c.Tail);
  }
}

TEST_F(WizardScanTest, EmptyAndInvalidUrlsAreRefusedBeforeAnyFetch) {
  struct TCase {
    const char* Url;
    int Message;
  };
  const TCase cases[] = {{"  ", 71}, {"ftp://127.0.0.1/a.html", 75}, {"http://h/it's", 75}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Url);
    RecordedBoxes().clear();
    TestUrl(c.Url);
    wizard->ibtnImportClick(nullptr);
    wizard->edtUrlToScan->SetText(c.Url);
    wizard->btnUrlScanConnectClick(nullptr);
    EXPECT_EQ(wizard->Mode(), TfrmWizard::wmIdle);
    ASSERT_EQ(RecordedBoxes().size(), 2u);
    for (const TRecordedBox& box : RecordedBoxes()) {
      EXPECT_EQ(box.Text, Line(c.Message));
      EXPECT_EQ(box.Caption, Line(72));
    }
    EXPECT_EQ(wizard->meUrlTrace->Lines()->Count(), 0);
    EXPECT_EQ(wizard->meUrlScanTrace->Lines()->Count(), 0);
  }
}

TEST_F(WizardScanTest, ScanListsExactlyTheLinkedPagesWithNews) {
  const std::string base = nginx->Url("index.html");
  wizard->ibtnImportClick(nullptr);
  EXPECT_EQ(wizard->edtUrlToScan->Text(), "http://");
  EXPECT_TRUE(wizard->btnUrlScanCancel->Visible());
  EXPECT_FALSE(wizard->btnUrlScanOk->Visible());
  Scan(base);

  EXPECT_EQ(Candidates(), (std::vector<std::vector<std::string>>{
                              {" ", "News", "8", nginx->Url("dated.html")},
                              {" ", "News_2", "5", nginx->Url("dated2.html")},
                              {" ", "Source name", "3", nginx->Url("dated3.html")}}));
  const std::vector<std::string> trace = Lines(wizard->meUrlScanTrace);
  const std::vector<std::string> head{Line(58),      "\"" + base + "\"", Line(52, "0"), Line(49),
                                      Line(55, "7"), Line(56, "2"),      Line(57, "5"), Line(50)};
  ASSERT_GT(trace.size(), head.size());
  EXPECT_EQ(std::vector<std::string>(trace.begin(), trace.begin() + head.size()), head);
  EXPECT_EQ(trace[head.size()], Line(60, " [1/5] : \"" + nginx->Url("dated.html") + "\""));
  EXPECT_NE(std::find(trace.begin(), trace.end(),
                      Line(54, " [5/5] : \"" + nginx->Url("missing.html") + "\"")),
            trace.end());
  EXPECT_EQ(std::count(trace.begin(), trace.end(), Line(63)), 3);
  EXPECT_EQ(std::count(trace.begin(), trace.end(), Line(61)), 1);
  EXPECT_EQ(trace.back(), Line(68));

  // The end of the scan, then the acknowledgement.
  EXPECT_FALSE(wizard->btnUrlScanAbort->Visible());
  EXPECT_FALSE(wizard->btnUrlScanConnect->Enabled());
  EXPECT_TRUE(wizard->btnUrlScanAck->Visible());
  EXPECT_TRUE(wizard->btnUrlScanOk->Visible());
  EXPECT_FALSE(wizard->btnUrlScanOk->Enabled());
  wizard->btnUrlScanAckClick(nullptr);
  EXPECT_FALSE(wizard->meUrlScanTrace->Visible());
  EXPECT_TRUE(wizard->btnUrlScanConnect->Enabled());
  EXPECT_TRUE(wizard->btnUrlScanOk->Enabled());
  EXPECT_TRUE(wizard->btnUrlScanCancel->Visible());
}

// The names a scan gives its candidates: the link's text, or "Source name"
// without one, numbered with the smallest number free among the scan's names
// (compared without case) and the registered sources' (compared exactly).
// Registered here besides "News_1": "Known", "Known_1" and "Exact".
TEST_F(WizardScanTest, CandidatesAreNamedByTheirTextWithTheSmallestFreeNumber) {
  AddSource("Known", nginx->Url("known.html"));
  AddSource("Known_1", nginx->Url("known1.html"));
  AddSource("Exact", nginx->Url("exact.html"));
  const std::vector<std::pair<std::string, std::string>> links = {
      {"News", "News"},
      {"News", "News_2"}, // News_1 is registered
      {"News", "News_3"},
      {"news", "news_1"}, // taken by a candidate without case, not by a source
      {"News_3", "News_3_1"},
      {"news_2", "news_2_1"},
      {"Read_1", "Read_1"},
      {"Read", "Read"},
      {"Read", "Read_2"},
      {"read_2", "read_2_1"},
      {"Known", "Known_2"},
      {"Exact", "Exact_1"},
      {"exact", "exact"}, // registered names are compared exactly
      {"", "Source name"},
      {"", "Source name_1"},
      {"Source name", "Source name_2"},
      {"   ", "Source name_3"}, // blank text: numbered from the default name
      {"", "Source name_4"},
  };
  std::string page = "<html><body>\n";
  std::vector<std::string> expected;
  for (size_t i = 0; i < links.size(); ++i) {
    page += "<a href=\"dated.html?link=" + std::to_string(i) + "\">" + links[i].first + "</a>\n";
    expected.push_back(links[i].second);
  }
  site.Write("names.html", page + "</body></html>\n");
  Scan(nginx->Url("names.html"));
  std::vector<std::string> names;
  for (const std::vector<std::string>& row : Candidates())
    names.push_back(row[1]);
  EXPECT_EQ(names, expected);
}

TEST_F(WizardScanTest, APageWithoutUsableLinksEndsWithNothingToCheck) {
  const std::string base = nginx->Url("useless.html");
  Scan(base);
  const std::vector<std::string> trace = Lines(wizard->meUrlScanTrace);
  EXPECT_EQ(trace, (std::vector<std::string>{Line(58), "\"" + base + "\"", Line(52, "0"), Line(49),
                                             Line(55, "1"), Line(56, "1"), Line(57, "0"), Line(62),
                                             Line(68)}));
  wizard->btnUrlScanAckClick(nullptr);
  EXPECT_FALSE(wizard->btnUrlScanCancel->Visible());
}

TEST_F(WizardScanTest, ASecondScanForgetsTheCandidatesOfTheFirst) {
  Scan(nginx->Url("index.html"));
  wizard->btnUrlScanAckClick(nullptr);
  wizard->sgUrlToAdd->SetCells(0, 1, "X");
  Scan(nginx->Url("useless.html"));
  EXPECT_FALSE(wizard->sgUrlToAdd->Visible());
  wizard->btnUrlScanAckClick(nullptr);
  wizard->btnUrlScanOkClick(nullptr);
  EXPECT_EQ(host.Sources.GetSourceCount(), 1);
  EXPECT_TRUE(wizard->pnlDEF->Visible());
}

TEST_F(WizardScanTest, TickedCandidatesBecomeSourcesAtTheEnd) {
  wizard->sliderHistoLength->SetValue(20);
  Scan(nginx->Url("index.html"));
  wizard->btnUrlScanAckClick(nullptr);
  wizard->sgUrlToAdd->SetCells(0, 1, "X");
  wizard->sgUrlToAdd->SetCells(0, 3, "X");
  wizard->btnUrlScanOkClick(nullptr);
  ASSERT_EQ(host.Sources.GetSourceCount(), 3);
  const NewsSource* first = host.Sources.GetSource(1);
  const NewsSource* second = host.Sources.GetSource(2);
  EXPECT_EQ(first->name, "News");
  EXPECT_EQ(first->GetUrl(), nginx->Url("dated.html"));
  EXPECT_EQ(second->name, "Source name");
  EXPECT_EQ(second->GetUrl(), nginx->Url("dated3.html"));
  for (const NewsSource* added : {first, second}) {
    EXPECT_TRUE(added->enabled);
    EXPECT_TRUE(added->newsExtraction);
    EXPECT_FALSE(added->noveltyDetection);
    EXPECT_FALSE(added->keepChangeTrack);
    EXPECT_FALSE(added->ignoreHtmlTags);
    EXPECT_FALSE(added->ignoreDates);
    EXPECT_FALSE(added->ignoreBigHexaNumbers);
    EXPECT_EQ(added->historyLength, 20);
  }
  EXPECT_EQ(wizard->sgSources->RowCount(), 4);
  EXPECT_FALSE(wizard->sgUrlToAdd->Visible());
  EXPECT_TRUE(wizard->pnlDEF->Visible());
}

TEST_F(WizardScanTest, AConflictAddsNoneAndKeepsTheScanPageOnTheRow) {
  struct TCase {
    const char* Description;
    const char* Row2Name; // the second candidate's name, edited
    const char* Text;
    const char* Caption;
    int SelectedRow;
  };
  const TCase cases[] = {
      {"a registered name", "News_1", "Name : 'News_1' already used ...", "Source name error", 2},
      {"a name twice in the batch", "News", "Name : 'News' already used ...", "Source name error",
       2},
      {"an empty name", " \r\n ", "Empty name", "Source name error", 2},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Description);
    Scan(nginx->Url("index.html"));
    wizard->btnUrlScanAckClick(nullptr);
    RecordedBoxes().clear();
    wizard->sgUrlToAdd->SetCells(0, 1, "X");
    wizard->sgUrlToAdd->SetCells(0, 2, "X");
    wizard->sgUrlToAdd->SetCells(1, 2, c.Row2Name);
    wizard->btnUrlScanOkClick(nullptr);
    ASSERT_EQ(RecordedBoxes().size(), 1u);
    EXPECT_EQ(RecordedBoxes()[0].Text, c.Text);
    EXPECT_EQ(RecordedBoxes()[0].Caption, c.Caption);
    EXPECT_EQ(host.Sources.GetSourceCount(), 1);
    EXPECT_TRUE(wizard->pnlIMP->Visible());
    EXPECT_EQ(wizard->sgUrlToAdd->Row(), c.SelectedRow);
    EXPECT_EQ(wizard->sgUrlToAdd->Col(), 1);
  }
}

TEST_F(WizardScanTest, ANameEditedOnSeveralLinesBecomesOneLine) {
  Scan(nginx->Url("index.html"));
  wizard->btnUrlScanAckClick(nullptr);
  wizard->sgUrlToAdd->SetCells(0, 1, "X");
  wizard->sgUrlToAdd->SetCells(1, 1, " Harbour\r\nnews ");
  wizard->btnUrlScanOkClick(nullptr);
  ASSERT_EQ(host.Sources.GetSourceCount(), 2);
  EXPECT_EQ(host.Sources.GetSource(1)->name, "Harbour  news");
}

TEST_F(WizardScanTest, AUrlRegisteredMeanwhileStopsTheAddition) {
  Scan(nginx->Url("index.html"));
  wizard->btnUrlScanAckClick(nullptr);
  AddSource("Harbour", nginx->Url("dated3.html"));
  wizard->sgUrlToAdd->SetCells(0, 1, "X");
  wizard->sgUrlToAdd->SetCells(0, 3, "X");
  RecordedBoxes().clear();
  wizard->btnUrlScanOkClick(nullptr);
  ASSERT_EQ(RecordedBoxes().size(), 1u);
  EXPECT_EQ(RecordedBoxes()[0].Text, "Url : '" + nginx->Url("dated3.html") + "' already used ...");
  EXPECT_EQ(RecordedBoxes()[0].Caption, "Url error");
  EXPECT_EQ(host.Sources.GetSourceCount(), 2);
}

TEST_F(WizardScanTest, AnAbortedTestNeverReportsIntoTheNextOne) {
  TScriptedServer slow;
  slow.Add(
      {.Bytes = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + DatedTablePage("Late", 6),
       .DelayMs = 400});
  TestUrl(slow.Url("late.html"));
  ASSERT_TRUE(slow.WaitForConnections(1));
  wizard->btnAbortTestClick(nullptr);
  EXPECT_EQ(wizard->Mode(), TfrmWizard::wmIdle);
  EXPECT_FALSE(wizard->meUrlTrace->Visible());
  EXPECT_TRUE(wizard->btnTestUrl->Enabled());

  TScriptedServer slower;
  slower.Add({.Bytes = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + kPlainPage,
              .DelayMs = 1000});
  const std::string url = slower.Url("plain.html");
  TestUrl(url);
  ASSERT_TRUE(Serve(wizard, 1500));
  EXPECT_EQ(Lines(wizard->meUrlTrace),
            (std::vector<std::string>{Line(58), "\"" + url + "\"", Line(52, "0"), Line(51),
                                      Line(53, "0"), Line(69)}));
}

TEST_F(WizardScanTest, AnAbortedScanNeverReportsIntoTheNextOne) {
  TScriptedServer slow;
  slow.Add(
      {.Bytes = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + kIndexPage, .DelayMs = 400});
  wizard->ibtnImportClick(nullptr);
  wizard->edtUrlToScan->SetText(slow.Url("index.html"));
  wizard->btnUrlScanConnectClick(nullptr);
  ASSERT_TRUE(slow.WaitForConnections(1));
  wizard->btnUrlScanAbortClick(nullptr);
  EXPECT_EQ(wizard->Mode(), TfrmWizard::wmIdle);
  const std::vector<std::string> aborted = Lines(wizard->meUrlScanTrace);
  ASSERT_EQ(aborted.size(), 4u);
  EXPECT_EQ(aborted[2], Line(59));
  EXPECT_EQ(aborted[3], Line(68));
  EXPECT_TRUE(wizard->btnUrlScanAck->Visible());
  // Idle after the abort: the late completion writes nothing.
  ASSERT_TRUE(Serve(wizard, 800));
  EXPECT_EQ(Lines(wizard->meUrlScanTrace), aborted);

  TScriptedServer slower;
  slower.Add({.Bytes = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + kPlainPage,
              .DelayMs = 1000});
  TScriptedServer first;
  first.Add(
      {.Bytes = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + kIndexPage, .DelayMs = 400});
  wizard->edtUrlToScan->SetText(first.Url("index.html"));
  wizard->btnUrlScanAckClick(nullptr);
  wizard->btnUrlScanConnectClick(nullptr);
  ASSERT_TRUE(first.WaitForConnections(1));
  wizard->btnUrlScanAbortClick(nullptr);
  const std::string base = slower.Url("index.html");
  wizard->edtUrlToScan->SetText(base);
  wizard->btnUrlScanAckClick(nullptr);
  wizard->btnUrlScanConnectClick(nullptr);
  // The second scan's page has no links: only its own lines appear.
  ASSERT_TRUE(Serve(wizard, 1500));
  const std::vector<std::string> trace = Lines(wizard->meUrlScanTrace);
  ASSERT_GE(trace.size(), 3u);
  EXPECT_EQ(trace[1], "\"" + base + "\"");
  EXPECT_EQ(std::count(trace.begin(), trace.end(), Line(49)), 1);
  EXPECT_EQ(trace[trace.size() - 2], Line(62));
  EXPECT_FALSE(wizard->sgUrlToAdd->Visible());
}

TEST_F(WizardScanTest, AnExhaustedPoolShowsInTheTraceAndGoesBackToIdle) {
  std::vector<CHTTPTransaction*> held;
  for (CHTTPTransaction* t = AcquireTransaction(); t != nullptr; t = AcquireTransaction())
    held.push_back(t);
  ASSERT_EQ(held.size(), static_cast<size_t>(TransactionPoolSize));
  const std::string url = nginx->Url("dated.html");
  TestUrl(url);
  EXPECT_EQ(wizard->Mode(), TfrmWizard::wmIdle);
  EXPECT_EQ(Lines(wizard->meUrlTrace),
            (std::vector<std::string>{Line(58), "\"" + url + "\"", Line(61)}));
  EXPECT_TRUE(wizard->btnTestFinished->Visible());
  EXPECT_FALSE(wizard->btnAbortTest->Visible());

  wizard->ibtnImportClick(nullptr);
  wizard->edtUrlToScan->SetText(url);
  wizard->btnUrlScanConnectClick(nullptr);
  EXPECT_EQ(wizard->Mode(), TfrmWizard::wmIdle);
  EXPECT_EQ(Lines(wizard->meUrlScanTrace),
            (std::vector<std::string>{Line(58), "\"" + url + "\"", Line(61), Line(68)}));
  EXPECT_TRUE(wizard->btnUrlScanAck->Visible());
  for (CHTTPTransaction* t : held)
    delete t;
}

TEST_F(WizardScanTest, TheProxyOfTheOptionsCarriesTheTest) {
  TTinyproxyServer proxy;
  CreateProxyConfig();
  wizard->ibtnOptionsClick(nullptr);
  wizard->cbxEnableProxy->SetChecked(true);
  wizard->cbxEnableProxyClick(nullptr);
  wizard->edtProxyHost->SetText("127.0.0.1");
  wizard->edtProxyPort->SetText(std::to_string(proxy.Port()));
  wizard->btnOptionsOKClick(nullptr);
  const std::string url = nginx->Url("dated2.html");
  TestUrl(url);
  ASSERT_TRUE(Serve(wizard));
  DeleteProxyConfig();
  EXPECT_EQ(Lines(wizard->meUrlTrace).back(), Line(53, "5"));
  EXPECT_NE(proxy.Log().find("dated2.html"), std::string::npos) << proxy.Log();
}

} // namespace

TEST_F(WizardScanTest, EnterStartsAScanOnlyWhenTheWizardIsIdleAndConnectIsEnabled) {
  // Slow replies keep the scan in each of its phases while Enter is pressed.
  TScriptedServer site;
  const std::string ok = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";
  site.Add({.Bytes = ok + "<html><body><a href=\"seven.html\">Cricket</a>\n"
                          "<a href=\"twelve.html\">Rugby</a></body></html>\n",
            .DelayMs = 300});
  site.Add({.Bytes = ok + DatedTablePage("Cricket", 7), .DelayMs = 300});
  site.Add({.Bytes = ok + DatedTablePage("Rugby", 12), .DelayMs = 300});
  const auto pressEnter = [this] {
    char key = '\r';
    wizard->edtUrlToScanKeyPress(wizard->edtUrlToScan, key);
  };
  wizard->ibtnImportClick(nullptr);
  wizard->edtUrlToScan->SetText(site.Url("index.html"));
  pressEnter();
  ASSERT_EQ(wizard->Mode(), TfrmWizard::wmScan);
  ASSERT_TRUE(site.WaitForConnections(1));
  pressEnter(); // while the index is fetched
  for (DWORD start = GetTickCount();
       wizard->Mode() != TfrmWizard::wmVerify && GetTickCount() - start < 5000;) {
    Application->ProcessMessages();
    CheckSynchronize(10);
  }
  ASSERT_EQ(wizard->Mode(), TfrmWizard::wmVerify);
  pressEnter(); // while the first candidate is verified
  ASSERT_TRUE(Serve(wizard, 1000));
  pressEnter(); // after the end, before the acknowledgement
  ASSERT_TRUE(Serve(wizard, 1000));

  EXPECT_EQ(site.Connections(), 3);
  EXPECT_EQ(site.Request(0).rfind("GET /index.html ", 0), 0u);
  EXPECT_EQ(Candidates(),
            (std::vector<std::vector<std::string>>{{" ", "Cricket", "7", site.Url("seven.html")},
                                                   {" ", "Rugby", "12", site.Url("twelve.html")}}));
  EXPECT_EQ(Lines(wizard->meUrlScanTrace).back(), Line(68));
}
