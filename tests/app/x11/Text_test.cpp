// The running program watching a page of German, typographic English,
// Spanish, French and Cyrillic headlines that a real nginx serves: the grids
// of both windows show them as the page wrote them, a Cyrillic keyword typed
// into the filter box is kept, and the files keep their bytes from one start
// to the next. Screenshots stay in <build>/screenshots for review.
#include "platform/rtl/Codepage.h"
#include "tests/app/x11/ProgramProcess.h"
#include "tests/support/NginxServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <set>
#include <signal.h>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace program_process;

// The source's name: a Windows-1252 byte and Cyrillic kept as UTF-8.
const std::string kSourceName =
    "Schlagzeilen \xB7 \xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8";

// Where the main window's filter box and full-mode button are.
constexpr int kFilterX = 10 + 40, kFilterY = 198 + 10;
constexpr int kFullModeX = 533 + 11, kFullModeY = 4 + 11;

class ProgramText : public testing::Test {
protected:
  void SetUp() override {
    display = XDisplay();
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    pages.Write("headlines.html", ReadFileBytes(WT_SOURCE_DIR "/tests/data/text/headlines.html"));
    TNginxOptions options;
    options.DocumentRoot = pages.Path();
    nginx = std::make_unique<TNginxServer>(options);
    PlaceProgram(folder);
    WriteFirstRunSettings(folder, "[Main.Window]\nLeft=20\nTop=20\n");
    folder.Write("welkatidor.NSC", SourcesFile({{kSourceName, nginx->Url("headlines.html")}}));
  }

  fs::path Exe() const { return folder.File("welkatidor"); }

  void X(const std::string& args) const { Shell("DISPLAY=" + display + " xdotool " + args); }

  // A press where a hand would make it: the pointer first comes to the spot.
  void Click(int x, int y) const {
    X("mousemove " + std::to_string(x) + " " + std::to_string(y));
    std::this_thread::sleep_for(150ms);
    X("click 1");
    std::this_thread::sleep_for(300ms);
  }

  struct TOrigin {
    int x = 0, y = 0;
  };
  TOrigin OriginOf(unsigned long window) const {
    TOrigin o;
    std::sscanf(
        Shell("DISPLAY=" + display + " xdotool getwindowgeometry --shell " + std::to_string(window))
            .c_str(),
        "WINDOW=%*d X=%d Y=%d", &o.x, &o.y);
    return o;
  }

  // The program's shown window other than `other`, 0 when none shows soon.
  unsigned long OtherWindow(unsigned long other) const {
    unsigned long found = 0;
    WaitUntil([&] {
      std::istringstream ids(VisibleWindows(display, "Welka Tidor"));
      for (unsigned long id = 0; ids >> id;)
        if (id != other)
          return (found = id) != 0;
      return false;
    });
    return found;
  }

  // Whether the main window's grid comes to show a share of empty rows from
  // low to below high, photographed each time into name.
  bool GridShows(unsigned long window, const std::string& name, double low, double high) const {
    return WaitUntil([&] {
      const double share = EmptyShare(PhotographWindow(display, window, name));
      return share >= low && share < high;
    });
  }

  // The share of the grid's rows that shows the empty grid's colour, from 0
  // (every row holds an item) to 1.
  double EmptyShare(const fs::path& file) const {
    const std::string share = Shell("convert " + file.string() + " -crop " + MainGridRows +
                                    " +repage -fill black +opaque 'rgb(0,255,255)' -fill white "
                                    "-opaque 'rgb(0,255,255)' -format '%[fx:mean]' info:");
    return share.empty() ? -1 : std::stod(share);
  }

  // The headlines of the news file, each with its source's name.
  std::set<std::string> SavedHeadlines() const {
    std::istringstream in(ReadFileBytes(folder.File("welkatidor.NDT")));
    std::set<std::string> saved;
    std::string source, line;
    for (int n = 0; std::getline(in, line); ++n) {
      if (!line.empty() && line.back() == '\r')
        line.pop_back();
      if (n % 6 == 0)
        source = line;
      if (n % 6 == 2)
        saved.insert(source + " | " + line);
    }
    return saved;
  }

  std::string display;
  TTempDir pages;
  TTempDir folder;
  std::unique_ptr<TNginxServer> nginx;
};

TEST_F(ProgramText, ShowsHeadlinesAsTheirPageWroteThem) {
  {
    TProgram program(Exe(), display);
    const unsigned long main = OtherWindow(0);
    ASSERT_NE(main, 0u) << ReadFileBytes(folder.File("program.log"));
    // The one source starts on the fourth second; seven rows fill most of
    // the grid.
    EXPECT_TRUE(GridShows(main, "main-text.png", 0, 0.3)) << "the items never showed";

    const TOrigin at = OriginOf(main);
    Click(at.x + kFilterX, at.y + kFilterY);
    // A Russian keyboard types the keyword; its first key clears the prompt.
    Shell("setxkbmap -display " + display + " us,ru -option grp:shifts_toggle");
    X("key --delay 150 Cyrillic_EM Cyrillic_o Cyrillic_es Cyrillic_ka Cyrillic_ve Cyrillic_ie");
    Shell("setxkbmap -display " + display + " us");
    // The filter applies once a second has passed since the last key. One
    // headline of seven holds the keyword: the Moscow headline stays.
    EXPECT_TRUE(GridShows(main, "main-text-filter.png", 0.75, 0.98)) << "the filter never applied";
    X("key ctrl+a BackSpace");
    EXPECT_TRUE(GridShows(main, "main-text-unfiltered.png", 0, 0.3)) << "the filter never went";

    Click(at.x + kFullModeX, at.y + kFullModeY);
    const unsigned long full = OtherWindow(main);
    ASSERT_NE(full, 0u) << "the full-mode window never showed";
    // The main window hands its list over once a second.
    EXPECT_TRUE(WaitUntil([&] {
      return GridColours(PhotographWindow(display, full, "fullmode-text.png"), FullModeGridRows) >
             3;
    })) << "the full-mode grid never showed the items";
    program.Signal(SIGTERM);
    EXPECT_EQ(program.Wait(Patience), 0);
  }
  std::set<std::string> expected;
  std::istringstream headlines(ReadFileBytes(WT_SOURCE_DIR "/tests/data/text/headlines.txt"));
  for (std::string headline; std::getline(headlines, headline);)
    expected.insert(Cp1252ToUtf8(kSourceName) + " | " + headline);
  ASSERT_EQ(expected.size(), 7u);
  std::set<std::string> shown;
  for (const std::string& saved : SavedHeadlines())
    shown.insert(Cp1252ToUtf8(saved));
  EXPECT_EQ(shown, expected);

  // Started again and ended before its first request, it writes back the
  // very bytes it read.
  const std::string news = ReadFileBytes(folder.File("welkatidor.NDT"));
  const std::string sources = ReadFileBytes(folder.File("welkatidor.NSC"));
  TProgram again(Exe(), display);
  ASSERT_NE(OtherWindow(0), 0u);
  again.Signal(SIGTERM);
  EXPECT_EQ(again.Wait(Patience), 0);
  EXPECT_EQ(ReadFileBytes(folder.File("welkatidor.NDT")), news);
  EXPECT_EQ(ReadFileBytes(folder.File("welkatidor.NSC")), sources);
}

} // namespace
