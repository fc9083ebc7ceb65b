// The wizard in the running program, driven as a user drives it: opened by
// the main window's properties button, a source added by typing, every page
// photographed in English and in French, and the added source's news
// arriving in the main window once the wizard is closed.
#include "tests/app/x11/ProgramProcess.h"
#include "tests/engine/NewsPages.h"
#include "tests/support/NginxServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using namespace program_process;

// Places in the wizard's window, from its layout.
struct TSpot {
  int X;
  int Y;
};
constexpr TSpot AddButton{446, 72};
constexpr TSpot DeleteButton{446, 120};
constexpr TSpot PropertiesButton{446, 168};
constexpr TSpot ImportButton{446, 216};
constexpr TSpot OptionsButton{446, 264};
constexpr TSpot AcceptButton{446, 72};
constexpr TSpot CancelButton{446, 120};
constexpr TSpot ScanCancelButton{446, 256};
constexpr TSpot OptionsOkButton{446, 72};
constexpr TSpot OkButton{581, 15};
constexpr TSpot UrlBox{263, 95};
constexpr TSpot ExtractBox{59, 126};
constexpr TSpot FirstSourceRow{150, 81};
// In the main window.
constexpr TSpot MainPropertiesButton{518, 15};
constexpr TSpot MainAboutButton{466, 15};

class WizardProgram : public testing::Test {
protected:
  void SetUp() override {
    display = XDisplay();
    ASSERT_FALSE(display.empty()) << "Xvfb did not start";
    pages.Write("harbour.html", DatedTablePage("harbour", 6));
    TNginxOptions options;
    options.DocumentRoot = pages.Path();
    nginx = std::make_unique<TNginxServer>(options);
    PlaceProgram(folder);
    folder.Write("welkatidor.NSC", "Source definition version 1.020b\r\n1.020b\r\n\r\n\r\n");
  }

  void WriteSettings(const std::string& more) const { WriteFirstRunSettings(folder, more); }

  std::string X(const std::string& command) const {
    return Shell("DISPLAY=" + display + " xdotool " + command + " 2>/dev/null");
  }
  unsigned long Window(const std::string& name) const { return VisibleWindow(display, name); }
  void Click(unsigned long window, TSpot spot) const {
    X("mousemove --window " + std::to_string(window) + " " + std::to_string(spot.X) + " " +
      std::to_string(spot.Y) + " click 1");
    std::this_thread::sleep_for(400ms);
  }
  void Type(const std::string& text) const {
    X("type --delay 30 '" + text + "'");
    std::this_thread::sleep_for(200ms);
  }
  void Photograph(unsigned long window, const std::string& name) const {
    std::this_thread::sleep_for(300ms);
    PhotographWindow(display, window, name);
  }
  // Every page of the wizard, from the source list and back.
  void PhotographEveryPage(unsigned long main, unsigned long wizard,
                           const std::string& language) const {
    Photograph(wizard, "wizard-def-" + language + ".png");
    Click(wizard, AddButton);
    Photograph(wizard, "wizard-add-" + language + ".png");
    Click(wizard, CancelButton);
    Click(wizard, FirstSourceRow);
    Click(wizard, PropertiesButton);
    Photograph(wizard, "wizard-prop-" + language + ".png");
    Click(wizard, CancelButton);
    Click(wizard, DeleteButton);
    Photograph(wizard, "wizard-del-" + language + ".png");
    Click(wizard, CancelButton);
    Click(wizard, ImportButton);
    Photograph(wizard, "wizard-imp-" + language + ".png");
    Click(wizard, ScanCancelButton);
    Click(wizard, OptionsButton);
    Photograph(wizard, "wizard-opt-" + language + ".png");
    // The tabs are as wide as their captions, and the French ones are wider.
    const bool french = language == "fr";
    const std::pair<const char*, int> tabs[] = {{"timers", french ? 145 : 115},
                                                {"news", french ? 200 : 163},
                                                {"connection", french ? 256 : 221},
                                                {"language", french ? 315 : 286}};
    for (const auto& [tab, x] : tabs) {
      Click(wizard, {x, 64});
      Photograph(wizard, "wizard-opt-" + std::string(tab) + "-" + language + ".png");
    }
    Click(wizard, {70, 64});
    Click(wizard, OptionsOkButton);
    Click(wizard, OkButton);
    Click(main, MainAboutButton);
    const unsigned long about = Window("Welka Tidor settings");
    Photograph(about, "wizard-about-" + language + ".png");
    Click(about, OkButton);
  }

  int SavedItemsOf(const std::string& source) const {
    std::ifstream in(folder.File("welkatidor.NDT"));
    std::string line;
    int count = 0;
    for (int n = 0; std::getline(in, line); ++n)
      if (n % 6 == 0 && line.substr(0, source.size()) == source)
        ++count;
    return count;
  }

  std::string display;
  TTempDir pages;
  TTempDir folder;
  std::unique_ptr<TNginxServer> nginx;
};

TEST_F(WizardProgram, ASourceTypedInTheWizardIsFetchedOnceItCloses) {
  WriteSettings("");
  TProgram program(folder.File("welkatidor"), display);
  const unsigned long main = Window("Welka Tidor");
  ASSERT_NE(main, 0u) << ReadFileBytes(folder.File("program.log"));
  Click(main, MainPropertiesButton);
  const unsigned long wizard = Window("Welka Tidor settings");
  ASSERT_NE(wizard, 0u) << ReadFileBytes(folder.File("program.log"));

  Click(wizard, AddButton);
  Type("Harbour news");
  Click(wizard, UrlBox);
  X("key ctrl+a");
  Type(nginx->Url("harbour.html"));
  Click(wizard, ExtractBox);
  Photograph(wizard, "wizard-add-typed-en.png");
  Click(wizard, AcceptButton);
  PhotographEveryPage(main, wizard, "en");
  EXPECT_TRUE(NoVisibleWindow(display, "Welka Tidor settings")) << "the wizard did not close";

  // The timer's first request comes on the fourth second; the grid shows
  // more than its empty colours once the items are in.
  EXPECT_TRUE(WaitUntil([&] {
    return GridColours(PhotographWindow(display, main, "wizard-news-arrived-en.png")) > 3;
  })) << "the news never arrived";
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(Patience), 0);
  EXPECT_EQ(SavedItemsOf("Harbour news"), 6);
  EXPECT_NE(ReadFileBytes(folder.File("welkatidor.NSC")).find(nginx->Url("harbour.html")),
            std::string::npos);
}

TEST_F(WizardProgram, EveryPageInFrench) {
  WriteSettings("[Misc]\nLanguage=1000\n");
  folder.Write("welkatidor.NSC", SourcesFile({{"Nouvelles du port", nginx->Url("harbour.html")}}));
  TProgram program(folder.File("welkatidor"), display);
  const unsigned long main = Window("Welka Tidor");
  ASSERT_NE(main, 0u) << ReadFileBytes(folder.File("program.log"));
  Click(main, MainPropertiesButton);
  const unsigned long wizard = Window("Welka Tidor settings");
  ASSERT_NE(wizard, 0u);
  PhotographEveryPage(main, wizard, "fr");
  program.Signal(SIGTERM);
  EXPECT_EQ(program.Wait(Patience), 0);
}

} // namespace
