// The window and colour helpers: snapping at each edge, the gradient steps,
// the brightness rule and fonts through a real INI file.
#include "app/Uvclfunctions.h"
#include "platform/ui/Forms.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(SnapToScreenEdges, EachEdgeOfA1024By768Screen) {
  struct Case {
    int32_t left, top, width, height;
    bool snapped;
    int32_t newLeft, newTop;
  };
  const Case cases[] = {
      {7, 100, 600, 200, true, 0, 100},      // near the left edge
      {-5, 100, 600, 200, true, 0, 100},     // a little beyond it
      {0, 100, 600, 200, false, 0, 100},     // already on it: nothing to do
      {-10, 100, 600, 200, false, -10, 100}, // the distance itself is not near
      {420, 100, 600, 200, true, 424, 100},  // the right edge 4 pixels away
      {430, 100, 600, 200, true, 424, 100},  // 6 pixels beyond it
      {424, 100, 600, 200, true, 424, 100},  // exactly on it still counts
      {414, 100, 600, 200, false, 414, 100}, // 10 pixels away
      {100, 9, 600, 200, true, 100, 0},      // near the top
      {100, 560, 600, 200, true, 100, 568},  // near the bottom
      {3, 565, 600, 200, true, 0, 568},      // a corner snaps both ways
      {0, 0, 1024, 768, true, 0, 0},         // a full-screen window sits on the far edges
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.left << "," << c.top);
    int32_t newLeft = -1, newTop = -1;
    EXPECT_EQ(
        SnapToScreenEdges(1024, 768, c.left, c.top, c.width, c.height, newLeft, newTop, 10, 10),
        c.snapped);
    EXPECT_EQ(newLeft, c.newLeft);
    EXPECT_EQ(newTop, c.newTop);
  }
}

TEST(SnapToScreenEdges, UsesThePrimaryScreensSize) {
  const int32_t width = Screen->Width(), height = Screen->Height();
  ASSERT_GT(width, 100);
  int32_t newLeft = 0, newTop = 0;
  EXPECT_TRUE(SnapToScreenEdges(width - 52, 40, 50, 30, newLeft, newTop, 10, 10));
  EXPECT_EQ(newLeft, width - 50);
  EXPECT_EQ(newTop, 40);
  EXPECT_TRUE(SnapToScreenEdges(40, height - 25, 50, 30, newLeft, newTop, 10, 10));
  EXPECT_EQ(newTop, height - 30);
}

TEST(MakeColorGradient, StepsTowardsBlackOrWhite) {
  struct Case {
    TColor base;
    int32_t direction;
    TColor table[5];
  };
  const Case cases[] = {
      // Pure red has a channel above 128: towards black.
      {0x0000FF, 0, {0x000033, 0x000066, 0x000099, 0x0000CC, 0x0000FF}},
      // Black goes towards white.
      {0x000000, 0, {0xCCCCCC, 0x999999, 0x666666, 0x333333, 0x000000}},
      // 128 is not above 128: towards white, steps of (255 - 128) / 5 = 25.
      {0x808080, 0, {0xE4E4E4, 0xCBCBCB, 0xB2B2B2, 0x999999, 0x808080}},
      // Aqua, the default background: blue and green fall, red stays.
      {0xFFFF00, 0, {0x333300, 0x666600, 0x999900, 0xCCCC00, 0xFFFF00}},
      // A forced direction overrides the test; the high byte is kept.
      {0x02000000, 1, {0x02000000, 0x02000000, 0x02000000, 0x02000000, 0x02000000}},
      {0x020000FF, -1, {0x02CCCCFF, 0x029999FF, 0x026666FF, 0x023333FF, 0x020000FF}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.base << " " << c.direction);
    TColor table[5] = {};
    MakeColorGradient(c.base, table, 5, c.direction);
    for (int i = 0; i < 5; ++i)
      EXPECT_EQ(table[i], c.table[i]) << i;
  }
  TColor single = 0;
  MakeColorGradient(0x123456, &single, 1, 0);
  EXPECT_EQ(single, 0x123456);
}

TEST(ScaleColor, ChannelsScaledTruncatedAndCapped) {
  struct Case {
    TColor color;
    float factor;
    TColor scaled;
  };
  const Case cases[] = {
      {0x000000, 40.0f, 0x282828},      // black scales as (1, 1, 1)
      {0x3264C8, 1.5f, 0x4B96FF},       // (200, 100, 50) -> (255, 150, 75)
      {0x0A0B0C, 3.0f, 0x1E2124},       // truncation of exact products
      {0x010203, 0.6666667f, 0x000102}, // red 3 -> 2, green 2 -> 1, blue 1 -> 0
      {0x7F000000 | 0x00FF00, 2.0f, 0x7F00FF00},
  };
  for (const Case& c : cases) {
    TColor out = -1;
    ScaleColor(c.color, out, c.factor);
    EXPECT_EQ(out, c.scaled) << std::hex << c.color;
  }
}

TEST(BrightnessRule, FactorsAtTheLimits) {
  struct Case {
    int32_t brightness;
    float factor;
  };
  const Case cases[] = {{0, 40.0f},  {4, 40.0f},  {5, 10.0f},        {14, 10.0f},
                        {15, 3.0f},  {63, 3.0f},  {64, 1.5f},        {127, 1.5f},
                        {128, 0.0f}, {179, 0.0f}, {180, 0.6666667f}, {255, 0.6666667f}};
  for (const Case& c : cases)
    EXPECT_FLOAT_EQ(BrightnessFactor(c.brightness), c.factor) << c.brightness;

  EXPECT_EQ(ColorBrightness(0x3264C8), 200);
  EXPECT_EQ(ColorBrightness(0x7F000000), 0);
  EXPECT_EQ(ColorBrightness(0x10FF10), 255);
  // A middle brightness turns a selected row black.
  for (TColor c : {0x000080, 0x00B300, 0x808080}) {
    TColor out = -1;
    ScaleColor(c, out, BrightnessFactor(ColorBrightness(c)));
    EXPECT_EQ(out, 0) << std::hex << c;
  }
}

TEST(ColorFromText, NumberAtTheStart) {
  struct Case {
    const char* text;
    TColor color;
  };
  const Case cases[] = {
      {"16776960", 16776960}, {" 255abc", 255}, {"+12", 12}, {"-1", -1}, {"abc", 0}, {"", 0},
      {"4294967295", -1}};
  for (const Case& c : cases)
    EXPECT_EQ(ColorFromText(c.text), c.color) << c.text;
}

TEST(FontInIni, RoundTripsAndReadsDefaults) {
  TTempDir dir;
  TIniFile ini(dir.File("fonts.INI"));
  TFont saved;
  saved.SetColor(0x00336699);
  saved.SetName("Courier New");
  saved.SetPitch(fpFixed);
  saved.SetSize(11);
  saved.SetStyle({fsUnderline, fsBold});
  SaveFontToIni(&ini, &saved, "Font.Normal");

  EXPECT_EQ(ini.ReadString("Font.Normal", "Color", ""), "3368601");
  EXPECT_EQ(ini.ReadString("Font.Normal", "Pitch", ""), "2");
  EXPECT_EQ(ini.ReadString("Font.Normal", "Style.Underline", ""), "1");
  EXPECT_EQ(ini.ReadString("Font.Normal", "Style.Italic", ""), "0");

  TFont loaded;
  LoadFontFromIni(&ini, &loaded, "Font.Normal");
  EXPECT_EQ(loaded.Color(), 0x00336699);
  EXPECT_EQ(loaded.Name(), "Courier New");
  EXPECT_EQ(loaded.Pitch(), fpFixed);
  EXPECT_EQ(loaded.Size(), 11);
  EXPECT_TRUE(loaded.Style() == TFontStyles({fsUnderline, fsBold}));

  // An empty section gives black Arial 8; a style already set is kept.
  TFont other;
  other.SetColor(255);
  other.SetStyle({fsItalic});
  LoadFontFromIni(&ini, &other, "Font.Fullmode");
  EXPECT_EQ(other.Color(), 0);
  EXPECT_EQ(other.Name(), "Arial");
  EXPECT_EQ(other.Pitch(), fpDefault);
  EXPECT_EQ(other.Size(), 8);
  EXPECT_TRUE(other.Style() == TFontStyles({fsItalic}));
}

TEST(FontInIni, OddValuesInTheFile) {
  TTempDir dir;
  const std::string path = dir.Write("odd.INI", "[Font.Normal]\r\nColor= 255 red\r\n"
                                                "Pitch=7\r\nSize=big\r\nStyle.Italic=2\r\n");
  TIniFile ini(path);
  TFont font;
  LoadFontFromIni(&ini, &font, "font.normal");
  EXPECT_EQ(font.Color(), 255);
  EXPECT_EQ(font.Pitch(), fpDefault);
  EXPECT_EQ(font.Size(), 8);
  EXPECT_TRUE(font.Style().Contains(fsItalic));
}

TEST(LegibleText, ContrastRatiosOfKnownPairs) {
  const struct {
    TColor A, B;
    double Ratio;
  } cases[] = {
      {clBlack, clWhite, 21.0},
      {clWhite, clBlack, 21.0},                // either way round
      {RGB(0x76, 0x76, 0x76), clWhite, 4.54},  // the lightest legible grey on white
      {RGB(0x77, 0x77, 0x77), clWhite, 4.48},  // one step lighter is not
      {RGB(255, 0, 0), RGB(255, 0, 0), 1.0},   // the same colour
      {RGB(0, 0, 255), RGB(255, 255, 0), 8.0}, // blue on yellow
  };
  for (const auto& c : cases)
    EXPECT_NEAR(ContrastRatio(c.A, c.B), c.Ratio, 0.01) << std::hex << c.A << " " << c.B;
}

TEST(LegibleText, IllegibleTextFallsBackToBlackOrWhite) {
  const struct {
    TColor Text, Background, Shown;
  } cases[] = {
      {RGB(0x76, 0x76, 0x76), clWhite, RGB(0x76, 0x76, 0x76)}, // legible: kept
      {RGB(0x77, 0x77, 0x77), clWhite, clBlack},
      {RGB(0x99, 0x99, 0x99), RGB(0, 0x66, 0x66), clWhite}, // grey on dark teal
      {clWhite, RGB(255, 255, 0), clBlack},                 // white on yellow
      {RGB(0, 0, 128), RGB(0, 0, 96), clWhite},             // navy on navy
      {RGB(200, 30, 30), RGB(200, 30, 30), clWhite},        // text as the background
  };
  for (const auto& c : cases)
    EXPECT_EQ(LegibleTextColor(c.Text, c.Background), c.Shown) << std::hex << c.Text;
}

// Every step of the two gradients the grids draw, for the installed colours
// (black on aqua) and chosen ones: legible, and the gradient's own colour
// wherever that already is.
TEST(LegibleText, EveryStepOfTheGradientsIsLegible) {
  const struct {
    TColor Text, Background;
  } schemes[] = {
      {clBlack, static_cast<TColor>(16776960)},
      {RGB(128, 128, 128), clWhite},
      {clWhite, RGB(255, 255, 0)},
      {RGB(0, 0, 128), RGB(0, 0, 96)},
      {RGB(255, 128, 0), RGB(20, 20, 20)},
  };
  for (const auto& s : schemes) {
    TColor text[5], background[5];
    MakeColorGradient(s.Text, text, 5, 0);
    MakeColorGradient(s.Background, background, 5, 0);
    for (int step = 0; step < 5; ++step) {
      const TColor shown = LegibleTextColor(text[step], background[step]);
      EXPECT_GE(ContrastRatio(shown, background[step]), 4.5) << std::hex << s.Text << " " << step;
      if (ContrastRatio(text[step], background[step]) >= 4.5)
        EXPECT_EQ(shown, text[step]);
      else
        EXPECT_TRUE(shown == clBlack || shown == clWhite);
    }
  }
}

} // namespace
