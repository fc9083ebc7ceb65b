// The running program's keyword filter and its newest rows as a user meets
// them: keywords typed into either window's box, in English and French, on
// headlines in several scripts that a real nginx serves; the age colours of
// items of yesterday; and the view of a grid as news arrives. Rows are read
// from screenshots, which stay in <build>/screenshots for review.
#include "tests/app/x11/ProgramProcess.h"
#include "tests/engine/NewsPages.h"
#include "tests/support/NginxServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <functional>
#include <signal.h>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace program_process;

// Headlines in several scripts; the euro sign is the code page's 0x80 byte,
// which is also a byte inside many UTF-8 sequences (Мир ends in D1 80, πόλη
// starts with CF 80, 「 is E3 80 8C, 😀 F0 9F 98 80, the non-breaking hyphen
// E2 80 91). The eight fill the main grid's view.
const char* const kHeadlines[] = {
    "Le prix du pain monte à 2 € le kilo",
    "Мир и труд: новый закон",
    "Η πόλη γιορτάζει",
    "「東京」で新しい駅が開業 😀",
    "Une course non‑stop de 24 heures",
    "Élection présidentielle : le second tour",
    "Les Œuvres complètes réunies",
    "В Москве открылась выставка",
};

std::string HeadlinesPage() {
  std::string rows;
  int day = 1;
  for (const char* headline : kHeadlines) {
    char date[16];
    std::snprintf(date, sizeof date, "%02d/03/2024", day);
    rows += std::string("<tr><td>") + date + "</td><td><a href=\"/n" + std::to_string(day++) +
            ".html\">" + headline + "</a></td></tr>\n";
  }
  return "<html><head><meta charset=\"utf-8\"><title>Mondial</title></head><body><table>\n" + rows +
         "</table></body></html>\n";
}

// One row of a grid as a screenshot shows it: its background and whether it
// is the selected one (no separator under it).
struct TRow {
  std::string Colour;
  bool Selected = false;
};

// Where the rows of each window's grid are read: a pixel column through
// the source column, from the header down to the grid's bottom.
struct TGridColumn {
  int X, Top, Bottom;
};
constexpr TGridColumn kMainGrid{170, 30, 190};

// The main window's spots.
constexpr int kFilterX = 50, kFilterY = 208;
constexpr int kFullModeX = 544, kFullModeY = 15;
constexpr int kPropertiesX = 518, kPropertiesY = 15;
// The settings window's: its options page, the language tab, French, and
// the two buttons that close the page and the window.
constexpr std::pair<int, int> kWizardOptions{446, 264}, kLanguageTab{286, 64}, kFrench{69, 118},
    kOptionsOk{446, 72}, kWizardOk{581, 15};
// The full-mode window's, from its right and bottom edges.
constexpr int kNormalModeFromRight = 178 - 110 - 11;
constexpr int kFilterFromBottom = 14;

constexpr const char* kBase = "#00FFFF";
constexpr const char* kHeader = "#808080";

struct TKeywordCase {
  const char* Keywords;
  size_t Rows;
};
// The name of a case's screenshot: the keywords without blanks.
std::string ShotName(const std::string& window, const TKeywordCase& c,
                     const std::string& language) {
  std::string keywords = c.Keywords;
  std::replace(keywords.begin(), keywords.end(), ' ', '_');
  return "filter-" + window + "-" + keywords + "-" + language + ".png";
}
// é / É, œ / Œ, м / М: case is ignored for every letter; the euro sign
// finds only itself.
const TKeywordCase kKeywordCases[] = {
    {"€", 1}, {"élection", 1}, {"œuvres", 1}, {"москв", 1}, {"ÉLECTION œUVRES", 2}};

class FilterProgram : public testing::Test {
protected:
  void SetUp() override {
    display = XDisplay();
    ASSERT_FALSE(display.empty()) << "no X server could be started for the test";
    ASSERT_NO_FATAL_FAILURE(GiveKeywordLettersKeys());
    pages.Write("mondial.html", HeadlinesPage());
    pages.Write("harbour.html", DatedTablePage("harbour", 12));
    pages.Write("railway.html", DatedTablePage("railway", 12));
    TNginxOptions options;
    options.DocumentRoot = pages.Path();
    nginx = std::make_unique<TNginxServer>(options);
    PlaceProgram(folder);
  }

  void Settings(const std::string& more) const {
    WriteFirstRunSettings(folder, "[Main.Window]\nLeft=20\nTop=20\n" + more);
  }

  void Start() {
    program = std::make_unique<TProgram>(folder.File("welkatidor"), display);
    main = VisibleWindow(display, "Welka Tidor");
    ASSERT_NE(main, 0u) << ReadFileBytes(folder.File("program.log"));
  }
  void Stop() {
    program->Signal(SIGTERM);
    EXPECT_EQ(program->Wait(10s), 0);
  }

  void X(const std::string& args) const { Shell("DISPLAY=" + display + " xdotool " + args); }
  // Letters the keyboard lacks get keys of their own before anything is
  // typed: xdotool would otherwise bind each to a spare key for a moment,
  // and a program slow to read the key (under the sanitizers) would read it
  // through the binding already undone.
  void GiveKeywordLettersKeys() const {
    const char* letters[] = {"EuroSign",
                             "eacute Eacute",
                             "oe OE",
                             "Cyrillic_em Cyrillic_EM",
                             "Cyrillic_o Cyrillic_O",
                             "Cyrillic_es Cyrillic_ES",
                             "Cyrillic_ka Cyrillic_KA",
                             "Cyrillic_ve Cyrillic_VE"};
    std::string command = "DISPLAY=" + display + " xmodmap";
    int keycode = 200;
    for (const char* keysyms : letters)
      command += " -e 'keycode " + std::to_string(keycode++) + " = " + keysyms + "'";
    ASSERT_EQ(RunCommandFully(command).Status, 0) << command;
  }

  struct TBox {
    int x = 0, y = 0, width = 0, height = 0;
  };
  TBox Geometry(unsigned long window) const {
    TBox g;
    std::sscanf(
        Shell("DISPLAY=" + display + " xdotool getwindowgeometry --shell " + std::to_string(window))
            .c_str(),
        "WINDOW=%*d X=%d Y=%d WIDTH=%d HEIGHT=%d", &g.x, &g.y, &g.width, &g.height);
    return g;
  }
  // A click at a spot of a window; the pointer comes there first.
  void Click(unsigned long window, int x, int y) const {
    X("mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " +
      std::to_string(y) + " click 1");
  }
  // What a window shows, as a digest; "" once it no longer shows.
  std::string Look(unsigned long window) const {
    return Shell("DISPLAY=" + display + " import -window " + std::to_string(window) +
                 " ppm:- 2>/dev/null | md5sum");
  }
  // A click whose answer is a change of the window: it waits until the
  // window shows something new. The program takes the clicks in their order.
  void ClickAndWaitForChange(unsigned long window, int x, int y) const {
    const std::string before = Look(window);
    Click(window, x, y);
    WaitUntil([&] { return Look(window) != before; });
  }
  // Keywords typed as a user types them: what was in the box goes first.
  void TypeKeywords(const std::string& text) const {
    X("key ctrl+a BackSpace");
    X("type --delay 60 '" + text + "'");
  }

  // The program's shown window other than `other`, 0 when none shows soon.
  unsigned long OtherWindow(unsigned long other) const {
    unsigned long found = 0;
    WaitUntil([&] {
      std::istringstream ids(VisibleWindows(display, "Welka Tidor"));
      for (unsigned long id = 0; found == 0 && ids >> id;)
        if (id != other)
          found = id;
      return found != 0;
    });
    return found;
  }

  // The grid's whole rows in view, top first, from a photograph of window.
  std::vector<TRow> Rows(unsigned long window, const TGridColumn& column,
                         const std::string& name) const {
    const fs::path file = PhotographWindow(display, window, name);
    std::istringstream pixels(Shell("convert " + file.string() + " -crop 1x" +
                                    std::to_string(column.Bottom - column.Top) + "+" +
                                    std::to_string(column.X) + "+" + std::to_string(column.Top) +
                                    " +repage txt:- | tail -n +2"));
    // A row's background runs 14 pixels over its separator, 15 when it is
    // selected; the header and the empty grid run otherwise.
    std::vector<TRow> rows;
    std::string colour, previous;
    int run = 0;
    const auto endRun = [&] {
      if ((run == 14 || run == 15) && previous != kHeader)
        rows.push_back({previous, run == 15});
    };
    for (std::string line; std::getline(pixels, line);) {
      const auto hash = line.find('#');
      colour = hash == std::string::npos ? "" : line.substr(hash, 7);
      if (colour == previous) {
        ++run;
        continue;
      }
      endRun();
      previous = colour;
      run = 1;
    }
    endRun();
    return rows;
  }

  // Waits (up to the deadline) until the rows of a grid satisfy the test;
  // the last rows seen.
  std::vector<TRow> WaitForRows(unsigned long window, const TGridColumn& column,
                                const std::string& name,
                                const std::function<bool(const std::vector<TRow>&)>& done) const {
    std::vector<TRow> rows;
    WaitUntil([&] { return done(rows = Rows(window, column, name)); });
    return rows;
  }
  static std::function<bool(const std::vector<TRow>&)> Count(size_t n) {
    return [n](const std::vector<TRow>& rows) { return rows.size() == n; };
  }

  // The keywords of a case typed into the box that has the focus filter the
  // grid to its rows. The box is emptied first, and every row shown again,
  // so that the rows seen are those of these keywords.
  void ExpectRows(unsigned long window, const TGridColumn& column, const TKeywordCase& c,
                  const std::string& shot) const {
    const size_t all = std::size(kHeadlines);
    TypeKeywords("");
    ASSERT_EQ(WaitForRows(window, column, shot, Count(all)).size(), all);
    TypeKeywords(c.Keywords);
    EXPECT_EQ(WaitForRows(window, column, shot, Count(c.Rows)).size(), c.Rows) << c.Keywords;
  }

  TGridColumn FullGrid(unsigned long full) const { return {150, 20, Geometry(full).height - 30}; }

  std::string display;
  TTempDir pages;
  TTempDir folder;
  std::unique_ptr<TNginxServer> nginx;
  std::unique_ptr<TProgram> program;
  unsigned long main = 0;
};

class FilterProgramInEachLanguage : public FilterProgram,
                                    public testing::WithParamInterface<const char*> {};

TEST_P(FilterProgramInEachLanguage, KeywordsMatchWholeCharactersInEitherWindow) {
  const std::string language = GetParam();
  Settings(language == "fr" ? "[Misc]\nLanguage=1000\n" : "");
  folder.Write("welkatidor.NSC", SourcesFile({{"Mondial", nginx->Url("mondial.html")}}));
  ASSERT_NO_FATAL_FAILURE(Start());
  const size_t all = std::size(kHeadlines);
  EXPECT_EQ(WaitForRows(main, kMainGrid, "filter-main-all-" + language + ".png", Count(all)).size(),
            all);
  Click(main, kFilterX, kFilterY);
  for (const TKeywordCase& c : kKeywordCases)
    ExpectRows(main, kMainGrid, c, ShotName("main", c, language));
  Click(main, kFullModeX, kFullModeY);
  const unsigned long full = OtherWindow(main);
  ASSERT_NE(full, 0u);
  const TBox g = Geometry(full);
  Click(full, g.width / 3, g.height - kFilterFromBottom);
  for (const TKeywordCase& c : kKeywordCases)
    ExpectRows(full, FullGrid(full), c, ShotName("full", c, language));
  Stop();
}

INSTANTIATE_TEST_SUITE_P(Languages, FilterProgramInEachLanguage, testing::Values("en", "fr"));

// Typed into the full-mode box in the program's first seconds, before the
// timer's first pass, keywords filter both windows.
TEST_F(FilterProgram, TheFullModeBoxFiltersFromTheFirstSeconds) {
  Settings("");
  folder.Write("welkatidor.NSC", SourcesFile({{"Mondial", "http://127.0.0.1:9/none.html"}}));
  const double now = static_cast<double>(std::time(nullptr)) / 86400.0 + 25569.0;
  std::string news;
  for (const char* headline : {"Rates go up", "Storm warning", "New bridge opens"})
    news +=
        "Mondial\r\n" + std::to_string(now - 0.01) + "\r\n" + headline + "\r\n/n.html\r\n0\r\n\r\n";
  folder.Write("welkatidor.NDT", news);
  ASSERT_NO_FATAL_FAILURE(Start());
  Click(main, kFullModeX, kFullModeY);
  const unsigned long full = OtherWindow(main);
  ASSERT_NE(full, 0u);
  const TBox g = Geometry(full);
  Click(full, g.width / 3, g.height - kFilterFromBottom);
  X("type --delay 60 storm");
  EXPECT_EQ(WaitForRows(full, FullGrid(full), "filter-full-early.png", Count(1)).size(), 1u);
  Click(full, g.width - kNormalModeFromRight, 13);
  ASSERT_EQ(OtherWindow(full), main);
  EXPECT_EQ(WaitForRows(main, kMainGrid, "filter-main-early.png", Count(1)).size(), 1u);
  Stop();
}

// Switched to French in the settings while the main box shows its
// placeholder, the program hands no placeholder to the full-mode box: a
// keyword typed there filters alone, in both windows.
TEST_F(FilterProgram, ThePlaceholderIsNoKeywordAfterALanguageSwitch) {
  Settings("");
  folder.Write("welkatidor.NSC", SourcesFile({{"Mondial", nginx->Url("mondial.html")}}));
  ASSERT_NO_FATAL_FAILURE(Start());
  const size_t all = std::size(kHeadlines);
  ASSERT_EQ(WaitForRows(main, kMainGrid, "placeholder-main-en.png", Count(all)).size(), all);
  Click(main, kPropertiesX, kPropertiesY);
  const unsigned long wizard = VisibleWindow(display, "Welka Tidor settings");
  ASSERT_NE(wizard, 0u);
  for (const auto& [x, y] : {kWizardOptions, kLanguageTab, kFrench, kOptionsOk, kWizardOk})
    ClickAndWaitForChange(wizard, x, y);
  ASSERT_EQ(OtherWindow(wizard), main);
  PhotographWindow(display, main, "placeholder-main-fr.png");
  Click(main, kFullModeX, kFullModeY);
  const unsigned long full = OtherWindow(main);
  ASSERT_NE(full, 0u);
  const TBox g = Geometry(full);
  Click(full, g.width / 3, g.height - kFilterFromBottom);
  X("type --delay 60 prix");
  EXPECT_EQ(WaitForRows(full, FullGrid(full), "placeholder-full-fr.png", Count(1)).size(), 1u);
  Click(full, g.width - kNormalModeFromRight, 13);
  ASSERT_EQ(OtherWindow(full), main);
  EXPECT_EQ(WaitForRows(main, kMainGrid, "placeholder-main-prix-fr.png", Count(1)).size(), 1u);
  Stop();
}

// Items of yesterday are settled: the age colour is that of the whole time
// since reception, not of the time of day.
TEST_F(FilterProgram, ItemsOfYesterdayShowTheSettledColour) {
  Settings("");
  folder.Write("welkatidor.NSC", SourcesFile({{"Mondial", "http://127.0.0.1:9/none.html"}}));
  const double now = static_cast<double>(std::time(nullptr)) / 86400.0 + 25569.0;
  std::string news;
  for (int seconds : {1, 6, 11})
    news += "Mondial\r\n" + std::to_string(now - 1 - seconds / 86400.0) +
            "\r\nYesterday's news\r\n/n.html\r\n0\r\n\r\n";
  folder.Write("welkatidor.NDT", news);
  ASSERT_NO_FATAL_FAILURE(Start());
  const std::vector<TRow> rows = WaitForRows(main, kMainGrid, "filter-yesterday.png", Count(3));
  ASSERT_EQ(rows.size(), 3u);
  for (const TRow& row : rows) {
    if (!row.Selected) {
      EXPECT_EQ(row.Colour, kBase) << "a day-old row drawn as a new one";
    }
  }
  Stop();
}

// With the row preselected at start, news arriving from two sources keeps
// the view at the top, where the newest rows show; the selection stays on
// its item, now out of sight below them.
TEST_F(FilterProgram, ArrivingNewsKeepsTheGridShowingItsTop) {
  Settings("");
  folder.Write("welkatidor.NSC", SourcesFile({{"Harbour", nginx->Url("harbour.html")},
                                              {"Railway", nginx->Url("railway.html")}}));
  ASSERT_NO_FATAL_FAILURE(Start());
  const auto topWithoutSelection = [](const std::vector<TRow>& rows) {
    if (rows.size() < 5)
      return false;
    for (const TRow& row : rows)
      if (row.Selected)
        return false;
    return rows.front().Colour != kBase; // a new row, in its fresh colour
  };
  const std::vector<TRow> rows =
      WaitForRows(main, kMainGrid, "filter-arrival.png", topWithoutSelection);
  EXPECT_TRUE(topWithoutSelection(rows)) << "the grid scrolled after the preselected row";
  Stop();
}

} // namespace
