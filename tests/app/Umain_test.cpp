// The main window headless: built from its files in a folder of the test's
// own, driven tick by tick on a clock of the test's own, closed, and its grid's
// order, colours, counters, menus, hints and links.
#include "app/Umain.h"

#include "app/Usmallview.h"
#include "app/Usmallviewhost.h"
#include "app/Uvclfunctions.h"
#include "app/Uwizard.h"
#include "app/Uwizardhost.h"
#include "engine/Chttpthread.h"
#include "engine/Newsdata.h"
#include "engine/Newsextractor.h"
#include "engine/Newssource.h"
#include "engine/Newstools.h"
#include "platform/rtl/Messages.h"
#include "skin/Epmorph.h"
#include "skin/Regions.h"
#include "skin/Wavctrl.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/support/FakeDesktop.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

struct TSourceLine {
  std::string name;
  std::string url;
  bool enabled;
};

struct TItemLine {
  std::string source;
  double ageSeconds;
  std::string headline;
  std::string link;
  int kind;
  std::string date;
};

std::string SourcesText(const std::vector<TSourceLine>& sources) {
  std::string text = "Source definition version 1.020b\r\n1.020b\r\n\r\n\r\n";
  for (const TSourceLine& s : sources) {
    text += "----\r\n" + s.url + "\r\n" + s.name + "\r\n\r\n";
    text += s.enabled ? "true\r\n" : "false\r\n";
    text += "true\r\nfalse\r\ntrue\r\ntrue\r\ntrue\r\ntrue\r\n3\r\n0\r\n";
  }
  return text;
}

std::string NewsText(const std::vector<TItemLine>& items) {
  std::string text;
  for (const TItemLine& i : items) {
    char received[64];
    std::snprintf(received, sizeof received, "%lf", Now() - i.ageSeconds / 86400.0);
    text += i.source + "\r\n" + received + "\r\n" + i.headline + "\r\n" + i.link + "\r\n" +
            std::to_string(i.kind) + "\r\n" + i.date + "\r\n";
  }
  return text;
}

std::vector<std::string> MessageBoxes;
int RecordMessageBox(const char* text, const char*, int) {
  MessageBoxes.push_back(text);
  return IDOK;
}

class MainWindow : public testing::Test {
protected:
  void TearDown() override {
    delete form;
    StopAllTransactions();
    SetMessageBoxHook(nullptr);
  }

  // The window over the files of the folder; its timer is driven by Seconds.
  // The boxes it shows, from its construction on, are recorded.
  TfrmMain* Make() {
    MessageBoxes.clear();
    SetMessageBoxHook(&RecordMessageBox);
    form = new TfrmMain(nullptr, exe, [this] { return now; });
    form->tmrRequester->SetEnabled(false);
    form->bipPlayer->SetEnabled(false);
    form->bipPlayer->BeforePlay = [this](TObject*) { ++beeps; };
    return form;
  }

  // Whole seconds of timer ticks, the clock moving on with them.
  void Seconds(int count) {
    for (int s = 0; s < count; ++s) {
      now += 1000;
      for (int tick = 0; tick < 10; ++tick)
        form->tmrRequesterTimer(nullptr);
    }
  }

  void WriteFiles(const std::vector<TSourceLine>& sources, const std::vector<TItemLine>& items,
                  const std::string& ini = "") {
    dir.Write("welkatidor.NSC", SourcesText(sources));
    dir.Write("welkatidor.NDT", NewsText(items));
    if (!ini.empty())
      dir.Write("welkatidor.INI", ini);
  }

  TTempDir dir;
  std::string exe = dir.File("welkatidor");
  uint64_t now = 10'000'000;
  int beeps = 0;
  TfrmMain* form = nullptr;
};

const std::vector<TSourceLine> FiveSources = {
    {"alpha", "http://127.0.0.1:9/a.html", true},   {"beta", "http://127.0.0.1:9/b.html", false},
    {"gamma", "http://127.0.0.1:9/c.html", true},   {"delta", "http://127.0.0.1:9/d.html", false},
    {"epsilon", "http://127.0.0.1:9/e.html", true},
};

TEST_F(MainWindow, ConstructionShowsWhatTheFilesHold) {
  WriteFiles(FiveSources,
             {{"alpha", 60, "Rates go up", "/news/1.html", 0, "09/12/2026"},
              {"gamma", 120, "Storm warning", "http://127.0.0.1:9/w.html", 0, "10/12/2026"},
              {"alpha", 30, "Page changed", "file:///nowhere/a00001.htm", 1, ""},
              {"alpha", 3 * 86400, "Three days old", "/old.html", 0, "07/12/2026"},
              {"unknown", 60, "Of no source", "/x.html", 0, ""}},
             "[ColWidth.News]\nDate=91\nSource=82\nHeader=203\n");
  Make();
  EXPECT_EQ(form->lblSourcesInfos->Caption(), "Sources :        3[   5]");
  EXPECT_EQ(form->lblNewsInfos->Caption(), "News    :        2[   2]");
  EXPECT_EQ(form->lblDispNews->Caption(), "Updates :        1[   1]");
  EXPECT_EQ(form->sgNews->RowCount(), 4);
  EXPECT_EQ(form->sgNews->FixedRows(), 1);
  EXPECT_EQ(form->sgNews->ColWidths(0), 91);
  EXPECT_EQ(form->sgNews->ColWidths(1), 82);
  EXPECT_EQ(form->sgNews->ColWidths(2), 203);
  // Newest reception first.
  ASSERT_EQ(form->ShownItems().size(), 3u);
  EXPECT_EQ(form->ShownItems()[0]->headline, "Page changed");
  EXPECT_EQ(form->ShownItems()[2]->headline, "Storm warning");
  EXPECT_EQ(form->edFilter->Text(), "Enter your keywords here");
  EXPECT_EQ(form->lblMessage->Caption(), "");
  EXPECT_TRUE(form->btnPause->Visible());
  EXPECT_FALSE(form->btnPlay->Visible());
  EXPECT_FALSE(form->pnlDebug->Visible());
  EXPECT_TRUE(form->Running());
  EXPECT_TRUE(form->Alive());
  // The skin and the beep come with the layout; the beep never holds up the
  // window.
  EXPECT_EQ(form->epRegionForm1->Mask()->Width(), 615);
  EXPECT_EQ(form->epRegionForm1->Picture()->Height(), 224);
  EXPECT_GT(form->bipPlayer->Wave()->Data()->Size(), 1000);
  EXPECT_TRUE(form->bipPlayer->Options().Contains(wpoAsync));
  // The grid's row height follows its font.
  EXPECT_EQ(form->sgNews->DefaultRowHeight(), std::abs(form->sgNews->Font()->Height()) + 4);
}

TEST_F(MainWindow, MissingFilesAreNoError) {
  Make();
  EXPECT_TRUE(MessageBoxes.empty());
  EXPECT_EQ(form->lblMessage->Caption(), "No news available");
  EXPECT_EQ(form->lblSourcesInfos->Caption(), "Sources :        0[   0]");
  EXPECT_EQ(form->sgNews->RowCount(), 1);
  EXPECT_EQ(form->sgNews->FixedRows(), 0);
  Seconds(6);
  EXPECT_EQ(form->RequestsStarted(), 0);
  EXPECT_EQ(form->lblMessage->Caption(), "No news available");
}

TEST_F(MainWindow, DebugModeShowsItsPanelAndStartsPaused) {
  WriteFiles(FiveSources, {}, "[Misc]\nDebug=604193827\n");
  Make();
  EXPECT_TRUE(form->pnlDebug->Visible());
  EXPECT_TRUE(form->btnPlay->Visible());
  EXPECT_FALSE(form->btnPause->Visible());
  EXPECT_FALSE(form->Running());
  Seconds(8);
  EXPECT_EQ(form->Sources()->GetBusyCount(), 0);
}

// The names of the files written in the folder, in the order their writing
// ended (a closed file or one renamed into place).
class TWriteOrder {
public:
  explicit TWriteOrder(const std::string& folder) : fd(inotify_init1(IN_NONBLOCK)) {
    inotify_add_watch(fd, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
  }
  ~TWriteOrder() { close(fd); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    alignas(inotify_event) char buffer[8192];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
      for (char* p = buffer; p < buffer + n;) {
        const auto* event = reinterpret_cast<const inotify_event*>(p);
        const std::string name = event->len ? event->name : "";
        if (name.rfind("welkatidor.", 0) == 0 && name.find('.', 11) == std::string::npos &&
            (names.empty() || names.back() != name))
          names.push_back(name);
        p += sizeof(inotify_event) + event->len;
      }
    return names;
  }

private:
  int fd;
};

TEST_F(MainWindow, ClosingSavesSourcesNewsAndSettingsInThatOrder) {
  WriteFiles(FiveSources,
             {{"alpha", 60, "Rates go up", "/news/1.html", 0, "09/12/2026"},
              {"gamma", 120, "Storm warning", "/w.html", 0, "10/12/2026"}},
             "[Mine]\nKept=yes\n[Main.Window]\nLeft=40\nTop=50\n");
  Make();
  // A filter in force does not thin out the saved news.
  form->Filter()->SetKeywords("storm");
  form->RefreshNewsGrid();
  ASSERT_EQ(form->ShownItems().size(), 1u);
  form->sgNews->SetColWidths(1, 77);
  form->SetBounds(60, 70, form->Width(), form->Height());

  TWriteOrder order(dir.Path());
  bool canClose = false;
  form->FormCloseQuery(form, canClose);
  EXPECT_TRUE(canClose);
  EXPECT_FALSE(form->Alive());
  EXPECT_EQ(order.Names(),
            (std::vector<std::string>{"welkatidor.NSC", "welkatidor.NDT", "welkatidor.INI"}));
  const std::string news = ReadFileBytes(dir.File("welkatidor.NDT"));
  EXPECT_NE(news.find("Rates go up"), std::string::npos);
  EXPECT_NE(news.find("Storm warning"), std::string::npos);
  EXPECT_NE(ReadFileBytes(dir.File("welkatidor.NSC")).find("epsilon"), std::string::npos);
  const std::string ini = ReadFileBytes(dir.File("welkatidor.INI"));
  EXPECT_NE(ini.find("Kept=yes"), std::string::npos);
  EXPECT_NE(ini.find("Source=77"), std::string::npos);
  EXPECT_NE(ini.find("Left=60"), std::string::npos);
  EXPECT_NE(ini.find("Top=70"), std::string::npos);
  EXPECT_TRUE(MessageBoxes.empty());
  // No source reports any more once the window is closing.
  for (int i = 0; i < form->Sources()->GetSourceCount(); ++i)
    EXPECT_EQ(form->Sources()->GetSource(i)->notifier, nullptr);
}

// A settings file that cannot be read is reported once, at start; the
// window runs on the defaults, and the close saves the sources and the news
// but writes nothing where the settings file is.
TEST_F(MainWindow, AnUnreadableSettingsFileIsReportedOnceAndKept) {
  WriteFiles(FiveSources, {{"alpha", 60, "Rates go up", "/news/1.html", 0, "09/12/2026"}});
  std::filesystem::create_directory(dir.File("welkatidor.INI"));
  Make();
  ASSERT_EQ(MessageBoxes.size(), 1u);
  EXPECT_EQ(MessageBoxes[0], UnreadableSettingsText(dir.File("welkatidor.INI")));
  EXPECT_EQ(form->sgNews->ColWidths(2), 40);
  EXPECT_EQ(form->Sources()->GetSourceCount(), 5);
  bool canClose = false;
  form->FormCloseQuery(form, canClose);
  EXPECT_EQ(MessageBoxes.size(), 1u);
  EXPECT_NE(ReadFileBytes(dir.File("welkatidor.NDT")).find("Rates go up"), std::string::npos);
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("welkatidor.INI")));
  EXPECT_TRUE(std::filesystem::is_empty(dir.File("welkatidor.INI")));
}

TEST_F(MainWindow, AFileThatCannotBeWrittenIsReported) {
  WriteFiles(FiveSources, {});
  Make();
  // A folder where the file should go: nothing can be renamed over it.
  std::filesystem::remove(dir.File("welkatidor.NSC"));
  std::filesystem::create_directory(dir.File("welkatidor.NSC"));
  std::filesystem::create_directory(dir.File("welkatidor.INI"));
  bool canClose = false;
  form->FormCloseQuery(form, canClose);
  EXPECT_TRUE(canClose);
  ASSERT_EQ(MessageBoxes.size(), 2u);
  EXPECT_NE(MessageBoxes[0].find("welkatidor.NSC"), std::string::npos);
  EXPECT_NE(MessageBoxes[1].find("welkatidor.INI"), std::string::npos);
}

TEST_F(MainWindow, RequestsStartOnTheFourthSecondOnePerSecondUpToTheMaximum) {
  TScriptedServer server;
  server.Add({.Bytes = "", .DelayMs = 20000});
  std::vector<TSourceLine> sources;
  for (const char* name : {"s1", "s2", "s3", "s4", "s5"})
    sources.push_back({name, server.Url(std::string(name) + ".html"), true});
  WriteFiles(sources, {}, "[Request]\nMaxRequest=2\n");
  Make();
  Seconds(3);
  EXPECT_EQ(form->Sources()->GetBusyCount(), 0);
  EXPECT_EQ(form->RequestsStarted(), 0);
  Seconds(1);
  EXPECT_EQ(form->Sources()->GetBusyCount(), 1);
  EXPECT_EQ(form->RequestsStarted(), 1);
  // The scheduler's round robin goes on from where earlier lists left it.
  EXPECT_EQ(form->lblMessage->Caption().rfind("Interrogation in progress [" + server.Url(), 0), 0u);
  Seconds(4);
  EXPECT_EQ(form->Sources()->GetBusyCount(), 2);
  EXPECT_EQ(form->RequestsStarted(), 2);
  EXPECT_TRUE(server.WaitForConnections(2));
}

TEST_F(MainWindow, AnExhaustedPoolStartsNothingAndCountsNothing) {
  TScriptedServer server;
  WriteFiles({{"s1", server.Url("s1.html"), true}}, {});
  Make();
  std::vector<CHTTPTransaction*> taken;
  while (CHTTPTransaction* t = AcquireTransaction())
    taken.push_back(t);
  ASSERT_FALSE(taken.empty());
  Seconds(5);
  EXPECT_EQ(form->RequestsStarted(), 0);
  EXPECT_EQ(form->lblMessage->Caption().find("Interrogation"), AnsiString::npos);
  EXPECT_EQ(form->Sources()->GetBusyCount(), 0);
  for (CHTTPTransaction* t : taken)
    delete t; // an unstarted transaction gives its slot back
}

// A fresh item of the first source, committed, as a fetch would.
NewsData* Arrive(TfrmMain* form, const char* headline, int kind = 0) {
  NewsSource* source = form->Sources()->GetSource(0);
  NewsRecord record;
  record.headline = headline;
  record.link = "/n.html";
  record.received = Now();
  record.kind = kind;
  source->AddNews(std::make_unique<NewsData>(source, record));
  return source->GetNews(source->GetNewsCount() - 1);
}

TEST_F(MainWindow, NewsArrivalBeepsAtMostTwicePerSecond) {
  WriteFiles(FiveSources, {});
  Make();
  NewsSource* alpha = form->Sources()->GetSource(0);
  Arrive(form, "one");
  form->OnNewsReceived(alpha, 1);
  EXPECT_EQ(form->lblMessage->Caption(), "News items found");
  now += 200;
  Arrive(form, "two");
  form->OnNewsReceived(alpha, 1);
  EXPECT_EQ(beeps, 1);
  now += 400; // 600 ms after the first beep
  Arrive(form, "three", 1);
  form->OnNewsReceived(alpha, 1);
  EXPECT_EQ(beeps, 2);
  now += 3'600'000;
  form->OnNewsReceived(alpha, 0);
  EXPECT_EQ(form->lblMessage->Caption(), "");
  Arrive(form, "four");
  form->OnNewsReceived(alpha, 1);
  EXPECT_EQ(beeps, 3);
  EXPECT_EQ(form->AllItems().size(), 4u);
  EXPECT_EQ(form->NewsCount(), 3);
  EXPECT_EQ(form->ChangeCount(), 1);
  EXPECT_EQ(form->lblNewsInfos->Caption(), "News    :        3[   3]");
}

// Arriving news keeps the selection on its item, also the row preselected
// at start, but the view stays where the user left it: at the top, where the
// new rows show, or further down on the same first item.
TEST_F(MainWindow, ArrivingNewsKeepsTheViewWhereTheUserLeftIt) {
  WriteFiles(FiveSources, {});
  Make();
  NewsSource* alpha = form->Sources()->GetSource(0);
  const auto arrive = [&](int count) {
    for (int i = 0; i < count; ++i)
      Arrive(form, "item");
    form->OnNewsReceived(alpha, count);
  };
  arrive(20);
  ASSERT_EQ(form->sgNews->Row(), 1);
  ASSERT_LT(form->sgNews->VisibleRowCount(), 12);
  const NewsData* preselected = form->ItemOfRow(1);
  arrive(12);
  EXPECT_EQ(form->sgNews->Row(), 13);
  EXPECT_EQ(form->ItemOfRow(13), preselected);
  EXPECT_EQ(form->sgNews->TopRow(), 1) << "the newest rows went out of sight";

  form->sgNews->SetTopRow(5);
  const NewsData* top = form->ItemOfRow(5);
  arrive(3);
  EXPECT_EQ(form->sgNews->TopRow(), 8);
  EXPECT_EQ(form->ItemOfRow(8), top);
  EXPECT_EQ(form->ItemOfRow(form->sgNews->Row()), preselected);
}

TEST_F(MainWindow, ACountBeyondTheSourcesItemsAppendsNothing) {
  WriteFiles(FiveSources, {});
  Make();
  NewsSource* alpha = form->Sources()->GetSource(0);
  Arrive(form, "one");
  Arrive(form, "two");
  form->OnNewsReceived(alpha, 3);
  EXPECT_EQ(form->lblMessage->Caption(), "News items found");
  EXPECT_EQ(beeps, 1);
  EXPECT_TRUE(form->AllItems().empty());
  EXPECT_EQ(form->sgNews->RowCount(), 1);
}

TEST_F(MainWindow, WithTheBeepOffNewsStillArrives) {
  WriteFiles(FiveSources, {}, "[Misc]\nBip=0\n");
  Make();
  Arrive(form, "quiet");
  form->OnNewsReceived(form->Sources()->GetSource(0), 1);
  EXPECT_EQ(beeps, 0);
  EXPECT_EQ(form->lblMessage->Caption(), "News items found");
  EXPECT_EQ(form->ShownItems().size(), 1u);
}

TEST_F(MainWindow, TheFilterAppliesASecondAfterTheLastKey) {
  WriteFiles(FiveSources, {{"alpha", 60, "Storm warning", "/1.html", 0, ""},
                           {"alpha", 70, "Rates go up", "/2.html", 0, ""}});
  Make();
  form->btnPauseClick(form); // no request texts in between
  Seconds(4);                // past the start delay
  uint16_t key = 'S';
  form->edFilterKeyDown(form->edFilter, key, {});
  EXPECT_EQ(form->edFilter->Text(), "");
  form->edFilter->SetText("s");
  EXPECT_EQ(form->lblMessage->Caption(), "Awaiting keywords ...");
  now += 500;
  form->edFilter->SetText("st");
  now += 400;
  form->edFilter->SetText("sto");
  for (int tick = 0; tick < 10; ++tick)
    form->tmrRequesterTimer(nullptr); // 0 ms after the last key
  EXPECT_EQ(form->ShownItems().size(), 2u);
  EXPECT_EQ(form->lblMessage->Caption(), "Awaiting keywords ...");
  Seconds(1);
  EXPECT_EQ(form->lblMessage->Caption(), "Filtering in progress");
  ASSERT_EQ(form->ShownItems().size(), 1u);
  EXPECT_EQ(form->ShownItems()[0]->headline, "Storm warning");
  EXPECT_EQ(form->lblNewsInfos->Caption(), "News    :        1[   2]");
  Seconds(1);
  EXPECT_EQ(form->lblMessage->Caption(), "");
}

TEST_F(MainWindow, ALanguageSwitchNeverMakesThePlaceholderAKeyword) {
  WriteFiles(FiveSources, {{"alpha", 60, "Storm warning", "/1.html", 0, ""},
                           {"gamma", 70, "Rates go up", "/2.html", 0, ""}});
  Make();
  frmMain = form;
  frmSmallView = new TfrmSmallView(nullptr);
  ConnectSmallViewToMain(frmSmallView);
  TfrmWizard* wizard = new TfrmWizard(nullptr);
  ConnectWizardToMain(wizard, form);
  wizard->ApplyLanguage(form->Settings());
  wizard->ibtnOptionsClick(nullptr);
  Seconds(4);
  ASSERT_EQ(form->ShownItems().size(), 2u);
  const struct {
    int Language;
    AnsiString Placeholder;
  } switches[] = {{1, "Saisissez vos mots cl\xe9s ici"}, {0, "Enter your keywords here"}};
  for (const auto& s : switches) {
    wizard->cbxLanguage->SetItemIndex(s.Language);
    wizard->cbxLanguageClickCheck(nullptr);
    Seconds(3); // well past the filter delay
    EXPECT_EQ(form->edFilter->Text(), s.Placeholder);
    EXPECT_EQ(frmSmallView->edtFilter->Text(), "") << "the placeholder passed as text";
    EXPECT_EQ(form->ShownItems().size(), 2u) << s.Placeholder;
    EXPECT_EQ(form->sgNews->RowCount(), 3);
    EXPECT_EQ(frmSmallView->sgNews->RowCount(), 3);
  }
  // Typed into the full-mode box, the keyword alone goes back and filters.
  frmSmallView->edtFilter->SetText(frmSmallView->edtFilter->Text() + "storm");
  EXPECT_EQ(form->edFilter->Text(), "storm");
  Seconds(2);
  ASSERT_EQ(form->ShownItems().size(), 1u);
  EXPECT_EQ(form->ShownItems()[0]->headline, "Storm warning");
  delete wizard;
  delete frmSmallView;
  frmSmallView = nullptr;
}

// The full-mode window shows from the first second on; what is typed into
// its box then is the main box's text and filters once the timer works.
TEST_F(MainWindow, TheFullModeBoxFiltersFromTheFirstSecond) {
  WriteFiles(FiveSources, {{"alpha", 60, "Storm warning", "/1.html", 0, ""},
                           {"gamma", 70, "Rates go up", "/2.html", 0, ""}});
  Make();
  frmMain = form;
  frmSmallView = new TfrmSmallView(nullptr);
  ConnectSmallViewToMain(frmSmallView);
  form->btnFullModeClick(nullptr);
  EXPECT_EQ(frmSmallView->sgNews->RowCount(), 3) << "the rows show at once";
  frmSmallView->edtFilter->SetText("rates");
  EXPECT_EQ(form->edFilter->Text(), "rates");
  Seconds(5);
  ASSERT_EQ(form->ShownItems().size(), 1u);
  EXPECT_EQ(form->ShownItems()[0]->headline, "Rates go up");
  EXPECT_EQ(frmSmallView->sgNews->RowCount(), 2);
  delete frmSmallView;
  frmSmallView = nullptr;
}

// Tick counts past 2^31 ms (about 25 days of uptime) and past 2^32 ms.
TEST_F(MainWindow, FilterAndBeepKeepWorkingAfterWeeksOfUptime) {
  WriteFiles(FiveSources, {{"alpha", 60, "Storm warning", "/1.html", 0, ""},
                           {"alpha", 70, "Rates go up", "/2.html", 0, ""}});
  now = (uint64_t{1} << 31) + 500;
  Make();
  form->btnPauseClick(form);
  Seconds(4);
  form->edFilter->SetText("storm");
  Seconds(1);
  EXPECT_EQ(form->ShownItems().size(), 1u);

  now = (uint64_t{1} << 32) - 300;
  NewsSource* alpha = form->Sources()->GetSource(0);
  Arrive(form, "one");
  form->OnNewsReceived(alpha, 1);
  now += 200;
  Arrive(form, "two");
  form->OnNewsReceived(alpha, 1);
  now += 400;
  Arrive(form, "three");
  form->OnNewsReceived(alpha, 1);
  EXPECT_EQ(beeps, 2);
}

TEST_F(MainWindow, GraphPointsEveryMinuteResetTheCounters) {
  WriteFiles(FiveSources, {});
  Make();
  Seconds(4); // the first working second adds points at once
  Arrive(form, "one");
  form->OnNewsReceived(form->Sources()->GetSource(0), 1);
  EXPECT_EQ(form->NewsCount(), 1);
  Seconds(58);
  EXPECT_EQ(form->NewsCount(), 1);
  Seconds(2);
  EXPECT_EQ(form->NewsCount(), 0);
}

// The shape of "Wed Dec  9 09:47:49 2026": A a letter, 9 a digit, D a day's
// first digit or a blank.
bool IsLogTime(const std::string& text) {
  const std::string shape = "Aaa Aaa D9 99:99:99 9999";
  if (text.size() != shape.size())
    return false;
  for (size_t i = 0; i < shape.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    const bool fits = shape[i] == 'A'   ? std::isupper(c)
                      : shape[i] == 'a' ? std::islower(c)
                      : shape[i] == '9' ? std::isdigit(c)
                      : shape[i] == 'D' ? (c == ' ' || std::isdigit(c))
                                        : c == static_cast<unsigned char>(shape[i]);
    if (!fits)
      return false;
  }
  return true;
}

TEST_F(MainWindow, DebugModeLogsEachRequestAndReport) {
  TScriptedServer server;
  WriteFiles({{"alpha", server.Url("a.html"), true}}, {}, "[Misc]\nDebug=604193827\n");
  Make();
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(dir.Path());
  form->btnRequestNewsClick(form);
  Arrive(form, "one");
  Arrive(form, "two");
  form->OnNewsReceived(form->Sources()->GetSource(0), 2);
  std::filesystem::current_path(before);
  const std::string log = ReadFileBytes(dir.File("request.log"));
  // ">> Wed Dec  9 09:47:49 2026 alpha\n<< Wed Dec  9 09:47:50 2026 alpha Found [2]\n"
  ASSERT_EQ(log.size(), 3u + 24 + 7 + 3 + 24 + 17) << log;
  EXPECT_EQ(log.substr(0, 3) + log.substr(27, 10) + log.substr(61),
            ">>  alpha\n<<  alpha Found [2]\n");
  EXPECT_TRUE(IsLogTime(log.substr(3, 24))) << log;
  EXPECT_TRUE(IsLogTime(log.substr(37, 24))) << log;
}

TEST_F(MainWindow, AThousandIdleEventsShowDots) {
  Make();
  bool done = true;
  for (int i = 0; i < 999; ++i)
    form->AppIdle(form, done);
  EXPECT_EQ(form->lblMessage->Caption(), "No news available");
  form->AppIdle(form, done);
  EXPECT_EQ(form->lblMessage->Caption(), "... ");
}

TEST_F(MainWindow, PlayAndPause) {
  WriteFiles(FiveSources, {});
  Make();
  form->btnPauseClick(form);
  EXPECT_FALSE(form->Running());
  EXPECT_TRUE(form->btnPlay->Visible());
  EXPECT_FALSE(form->btnPause->Visible());
  EXPECT_EQ(form->lblMessage->Caption(), "Request disabled");
  Seconds(6);
  EXPECT_EQ(form->RequestsStarted(), 0);
  form->btnPlayClick(form);
  EXPECT_TRUE(form->Running());
  EXPECT_FALSE(form->btnPlay->Visible());
  EXPECT_EQ(form->lblMessage->Caption(), "Request enabled");
}

TEST_F(MainWindow, HeaderDoubleClickSortsAndFlips) {
  WriteFiles(FiveSources, {{"alpha", 60, "b", "/1.html", 0, "2026-12-02"},
                           {"gamma", 70, "a", "/2.html", 0, "2026-12-01"}});
  Make();
  struct Case {
    int startKey;
    bool startAscending;
    int col;
    int key;
    bool ascending;
  };
  const Case cases[] = {
      {1, false, 0, 1, true}, {0, false, 0, 1, false}, {2, true, 1, 2, false},
      {1, true, 2, 3, false}, {0, false, 5, 0, false},
  };
  for (const Case& c : cases) {
    form->SortNewsList(c.startKey, c.startAscending);
    form->DblClickCell(c.col, 0);
    EXPECT_EQ(SortKey, c.key) << c.col;
    EXPECT_EQ(SortAscending, c.ascending) << c.col;
  }
  form->SortNewsList(1, true);
  EXPECT_EQ(form->ShownItems()[0]->dateText, "2026-12-01");
}

TEST(MainFiles, BesideTheExecutable) {
  const TMainFiles files = MainFilesFromExe("/opt/my.exe.d/welkatidor");
  EXPECT_EQ(files.IniFile, "/opt/my.exe.d/welkatidor.INI");
  EXPECT_EQ(files.CacheFolder, "/opt/my.exe.d/cache/");
  EXPECT_EQ(files.HelpFolder, "/opt/my.exe.d/help/");
}

TEST(MainLog, TimeTextHasTheFixedForm) {
  EXPECT_EQ(LogTimeText(EncodeDate(2026, 12, 9) + EncodeTime(9, 47, 49, 0)),
            "Wed Dec  9 09:47:49 2026");
  EXPECT_EQ(LogTimeText(EncodeDate(2027, 1, 17) + EncodeTime(23, 5, 0, 0)),
            "Sun Jan 17 23:05:00 2027");
}

TEST(MainHelp, EachLanguageHasItsPageAtThePath) {
  EXPECT_EQ(HelpPageUrl("/opt/wt/help/", 0),
            "file:///opt/wt/help/en/tidor/support/version1.020b/help.htm");
  EXPECT_EQ(HelpPageUrl("/opt/wt/help/", 1000),
            "file:///opt/wt/help/fr/tidor/support/version1.020b/help.htm");
  for (const char* language : {"en", "fr"}) {
    const std::string page = ReadFileBytes(std::string(WT_SOURCE_DIR) + "/resources/help/" +
                                           language + "/tidor/support/version1.020b/help.htm");
    EXPECT_NE(page.find("welkatidor.NSC"), std::string::npos) << language;
  }
}

// Web links go to the browser as they are; a file link only when the file it
// names, once its escapes are decoded and its path resolved, is a page copy,
// and then as the link of that copy's own path, never the page's text.
TEST(MainLinks, OnlyWebLinksAndPageCopiesMayOpen) {
  TTempDir dir;
  dir.Write("cache/page00001.htm", "x");
  const std::string cache = dir.File("cache/");
  const std::string copy = "file://" + cache + "page00001.htm";
  struct Case {
    std::string url;
    std::string opened;
  };
  const Case cases[] = {
      {"http://example.org/a.html", "http://example.org/a.html"},
      {"HTTPS://example.org/", "HTTPS://example.org/"},
      {copy, copy},
      {"file://" + cache + "%70age00001.htm", copy},
      {"file://" + cache + "sub/../page00001.htm", copy},
      {"file://" + cache + "../secret.htm", ""},
      {"file://" + cache + "%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/%2e%2e/etc/passwd", ""},
      {"file://" + cache + "%2E%2E%2Fsecret.htm", ""},
      {"file://" + cache + "page00001.htm%00.txt", ""},
      {"file:///etc/passwd", ""},
      {"file://" + cache, ""},
      {"javascript:alert(1)", ""},
      {"ftp://example.org/", ""},
      {"/relative.html", ""},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(OpenableLink(c.url, cache), c.opened) << c.url;
  // A link inside the cache that leads out of it by a symbolic link.
  std::filesystem::create_directory_symlink("/etc", dir.File("cache/out"));
  EXPECT_EQ(OpenableLink("file://" + cache + "out/passwd", cache), "");
}

class MainWindowDesktop : public MainWindow, protected TFakeDesktop {};

TEST_F(MainWindowDesktop, OpeningAnItemGivesTheOpenerItsLinkAlone) {
  Tool("xdg-open", 0);
  const std::string copy = MainWindow::dir.Write("cache/alpha00001.htm", "<html></html>");
  const std::string cache = MainWindow::dir.File("cache");
  WriteFiles(
      FiveSources,
      {{"alpha", 60, "Refused", "file:///etc/passwd", 0, ""},
       {"alpha", 70, "Escaped", "file://" + cache + "/%2e%2e/%2e%2e/%2e%2e/etc/passwd", 1, ""},
       {"alpha", 80, "Copy", "file://" + cache + "/sub/%2E%2E/alpha00001.htm", 1, ""},
       {"alpha", 90, "Opened", "http://127.0.0.1:9/n 1.html?a=1&b=2", 0, ""}});
  Make();
  form->DblClickCell(0, 1); // the refused ones, newest first
  form->DblClickCell(0, 2);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(Recorded("xdg-open"));
  form->DblClickCell(2, 4);
  EXPECT_EQ(AwaitRecorded("xdg-open"), (Args{"http://127.0.0.1:9/n 1.html?a=1&b=2"}));
  // A page copy is opened by its own path, whatever the link's spelling.
  std::filesystem::remove(TFakeDesktop::dir.File("records/xdg-open"));
  form->DblClickCell(2, 3);
  EXPECT_EQ(AwaitRecorded("xdg-open"), (Args{"file://" + copy}));
}

TEST_F(MainWindowDesktop, HelpOpensThePageOfTheLanguage) {
  Tool("xdg-open", 0);
  WriteFiles(FiveSources, {}, "[Misc]\nLanguage=1000\n");
  Make();
  uint16_t key = VK_F1;
  form->FormKeyDown(form, key, {});
  EXPECT_EQ(AwaitRecorded("xdg-open"), (Args{"file://" + MainWindow::dir.Path() +
                                             "/help/fr/tidor/support/version1.020b/help.htm"}));
}

TEST_F(MainWindow, ItemMenuAndHintsByKind) {
  dir.Write("cache/alpha00001.htm", "<html></html>");
  WriteFiles(FiveSources,
             {{"alpha", 10, "News item", "/n.html", 0, "09/12/2026"},
              {"alpha", 20, "Kept copy", "file://" + dir.File("cache/alpha00001.htm"), 1, ""},
              {"alpha", 30, "Copy gone", "file://" + dir.File("cache/alpha00002.htm"), 1, ""}});
  Make();
  struct Case {
    int row;
    bool detail;
    bool oldPage;
  };
  const Case cases[] = {{1, true, false}, {2, false, true}, {3, false, false}};
  for (const Case& c : cases) {
    form->PrepareItemMenu(form->ItemOfRow(c.row));
    EXPECT_EQ(form->MenuItem(), form->ItemOfRow(c.row));
    EXPECT_TRUE(form->itmNewsHomePage->Visible()) << c.row;
    EXPECT_EQ(form->itmNewsDetail->Visible(), c.detail) << c.row;
    EXPECT_EQ(form->itmNewsOldPage->Visible(), c.oldPage) << c.row;
    EXPECT_FALSE(form->itmNewsViewDelta->Visible()) << c.row;
  }
  AnsiString hint;
  EXPECT_FALSE(form->GridCellHint(0, 0, hint));
  EXPECT_FALSE(form->GridCellHint(0, 4, hint));
  ASSERT_TRUE(form->GridCellHint(1, 1, hint));
  EXPECT_EQ(std::count(hint.begin(), hint.end(), '\n'), 4);
  EXPECT_NE(hint.find("Header :News item\n"), AnsiString::npos);
  EXPECT_NE(hint.find("Source :alpha\n"), AnsiString::npos);
  EXPECT_NE(hint.find("Url    :http://127.0.0.1:9/n.html"), AnsiString::npos);
  // A page copy that is gone leads to the page itself.
  ASSERT_TRUE(form->GridCellHint(2, 3, hint));
  EXPECT_NE(hint.find("Url    :http://127.0.0.1:9/a.html"), AnsiString::npos);
}

} // namespace

namespace {

// The grid as drawn: rows by age, the selected row, and the sort arrow.
TEST_F(MainWindow, GridRowsAreDrawnByAgeWithTheSortArrow) {
  WriteFiles(FiveSources,
             {{"alpha", 2, "Fresh", "/1.html", 0, "d1"},
              {"alpha", 12, "Twelve seconds", "/2.html", 0, "d2"},
              {"alpha", 25, "Settled", "/3.html", 0, "d3"},
              {"alpha", 40, "Selected", "/4.html", 0, "d4"}},
             "[ColWidth.News]\nDate=86\nSource=84\nHeader=231\n");
  Make();
  form->Show();
  Pump();
  form->sgNews->SetRow(4);
  // A point of a row's source column right of its short text.
  auto rowColour = [this](int row) {
    const TRect cell = form->sgNews->CellRect(1, row);
    return PixelAt(form->sgNews, cell.Right - 3, (cell.Top + cell.Bottom) / 2);
  };
  TColor selected;
  ScaleColor(NormalBkgColor, selected, BrightnessFactor(ColorBrightness(NormalBkgColor)));
  const std::pair<int, TColor> rows[] = {
      {1, NormalBkgShades[0]}, {2, NormalBkgShades[2]}, {3, NormalBkgColor}, {4, selected}};
  for (const auto& [row, colour] : rows)
    EXPECT_EQ(rowColour(row), ColorToRGB(colour)) << row;

  // The 9 x 9 corner of the date title where its arrow goes.
  auto arrowPixels = [this] {
    const TRect cell = form->sgNews->CellRect(0, 0);
    std::vector<COLORREF> pixels;
    for (int y = cell.Top + 2; y < cell.Top + 11; ++y)
      for (int x = cell.Right - 10; x < cell.Right - 1; ++x)
        pixels.push_back(PixelAt(form->sgNews, x, y));
    return pixels;
  };
  const std::vector<COLORREF> none = arrowPixels(); // key 0 has no arrow
  EXPECT_EQ(std::count(none.begin(), none.end(), RGB(128, 128, 128)), 81);
  form->SortNewsList(1, true);
  const std::vector<COLORREF> up = arrowPixels();
  form->SortNewsList(1, false);
  const std::vector<COLORREF> down = arrowPixels();
  EXPECT_NE(up, none);
  EXPECT_NE(down, none);
  EXPECT_NE(up, down);
}

} // namespace

namespace {

TEST_F(MainWindow, DraggingALabelSnapsTheWindowToTheScreensEdge) {
  Make();
  form->SetBounds(300, 200, form->Width(), form->Height());
  form->Show();
  Pump();
  const TPoint grip = form->lblMessage->ClientToScreen({20, 5});
  SimulateMouseDown(grip, mbLeft);
  SimulateMouseMove({grip.X - 100, grip.Y - 50});
  EXPECT_EQ(form->Left(), 200);
  EXPECT_EQ(form->Top(), 150);
  SimulateMouseMove({grip.X - 294, grip.Y - 50}); // 6 pixels from the left edge
  EXPECT_EQ(form->Left(), 0);
  EXPECT_EQ(form->Top(), 150);
  SimulateMouseUp({grip.X - 294, grip.Y - 50}, mbLeft);
  SimulateMouseMove({grip.X, grip.Y});
  EXPECT_EQ(form->Left(), 0); // the drag has ended
}

} // namespace
