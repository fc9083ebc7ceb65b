// The wizard's page scan over pages of many links, served by nginx on
// loopback: how long the message loop waits while the page's links are
// collected, and the longest it waits while they are checked one by one.
// Links of one text ("Read more") and links without text (images), whose
// names are all numbered from one stem.
#include "app/Uwizard.h"
#include "engine/Htmlnoveltydetector.h"
#include "engine/Newstools.h"
#include "engine/Usdkthreadurllauncher.h"
#include "platform/rtl/Classes.h"
#include "platform/rtl/Messages.h"
#include "tests/engine/NewsPages.h"
#include "tests/support/NginxServer.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

class TBenchHost : public TWizardHost {
public:
  NewsExtractor* GetSourceList() override { return &Sources; }
  CSystemConfigurator* GetSettings() override { return &Settings; }
  void OpenUrl(const AnsiString&) override {}
  void ShowHelp() override {}
  void MainKeyDown(uint16_t&, TShiftState) override {}
  void SetGridFont(TFont*) override {}
  void SetFullModeFont(TFont*) override {}
  void LanguageChanged(const AnsiString&) override {}

  CSystemConfigurator Settings;
  NewsExtractor Sources{nullptr};
};

int NoBox(const char*, const char*, int) {
  return IDOK;
}

// Count links to one page of news, each with a query of its own so that
// every link is a candidate of its own.
std::string LinkPage(int Count, bool WithText) {
  std::string page = "<html><body><h1>Index</h1>\n";
  for (int i = 0; i < Count; ++i) {
    const std::string href = "news.html?item=" + std::to_string(i);
    page += WithText ? "<p><a href=\"" + href + "\">Read more</a></p>\n"
                     : "<p><a href=\"" + href + "\"><img src=\"thumb.png\"></a></p>\n";
  }
  return page + "</body></html>\n";
}

double Seconds(TClock::duration Duration) {
  return std::chrono::duration<double>(Duration).count();
}

// The processor time of the calling thread: what the wizard itself spent,
// apart from the other programs of a busy machine.
double ThreadSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// A turn of the message loop, in seconds of the clock and of processing.
struct TTurn {
  double Wall = 0;
  double Processor = 0;
};

struct TFigures {
  TTurn Collect;     // the turn of the loop that took the page
  TTurn LongestTurn; // the longest other turn by the clock, the checks included
  double Check = 0;  // from the first check to the end
  int Listed = 0;
};

// Runs one scan to its end, timing every turn of the message loop.
TFigures Scan(TfrmWizard& Wizard, const std::string& Url) {
  TFigures figures;
  Wizard.ibtnImportClick(nullptr);
  Wizard.edtUrlToScan->SetText(Url);
  Wizard.btnUrlScanConnectClick(nullptr);
  TClock::time_point checkStart{};
  const auto deadline = TClock::now() + std::chrono::minutes(10);
  while (Wizard.Mode() != TfrmWizard::wmIdle && TClock::now() < deadline) {
    const bool collecting = Wizard.Mode() == TfrmWizard::wmScan;
    const auto before = TClock::now();
    const double processorBefore = ThreadSeconds();
    Application->ProcessMessages();
    CheckSynchronize(1);
    const auto after = TClock::now();
    const TTurn turn{Seconds(after - before), ThreadSeconds() - processorBefore};
    if (collecting && Wizard.Mode() != TfrmWizard::wmScan) {
      figures.Collect = turn;
      checkStart = after;
    } else if (turn.Wall > figures.LongestTurn.Wall) {
      figures.LongestTurn = turn;
    }
  }
  figures.Check = Seconds(TClock::now() - checkStart);
  figures.Listed = Wizard.sgUrlToAdd->Visible() ? Wizard.sgUrlToAdd->RowCount() - 1 : 0;
  Wizard.btnUrlScanAckClick(nullptr);
  return figures;
}

} // namespace

// The counts of links may be given; 1,000 and 10,000 otherwise.
int main(int argc, char** argv) {
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i)
    counts.push_back(std::atoi(argv[i]));
  if (counts.empty())
    counts = {1000, 10000};
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  SetMessageBoxHook(NoBox);
  InitNewsTools();
  TTempDir dir;
  CNoveltyDetector::SetCacheFolder(dir.File("cache/"));
  TBenchHost host;
  host.Settings.iniFile = dir.File("welkatidor.INI");
  TTempDir site;
  site.Write("news.html", DatedTablePage("Harbour", 3));
  for (const int count : counts)
    for (const bool withText : {true, false})
      site.Write("links" + std::to_string(count) + (withText ? "text" : "image") + ".html",
                 LinkPage(count, withText));
  TNginxOptions options;
  options.DocumentRoot = site.Path();
  TNginxServer nginx(options);
  for (const int count : counts)
    for (const bool withText : {true, false}) {
      auto* wizard = new TfrmWizard(nullptr);
      wizard->SetHost(&host);
      wizard->ApplyLanguage(&host.Settings);
      const TFigures figures = Scan(*wizard, nginx.Url("links" + std::to_string(count) +
                                                       (withText ? "text" : "image") + ".html"));
      std::printf("%5d links %-10s collect %7.3f s (processor %.3f s)  longest other turn %.3f "
                  "s (processor %.3f s)  checks %7.2f s  listed %d\n",
                  count, withText ? "of a text" : "no text", figures.Collect.Wall,
                  figures.Collect.Processor, figures.LongestTurn.Wall,
                  figures.LongestTurn.Processor, figures.Check, figures.Listed);
      std::fflush(stdout);
      delete wizard;
    }
  StopAllTransactions();
  FreeNewsTools();
  return 0;
}
