// The ticker, the roll of lines and the frame-by-frame image: their timers
// driven tick by tick, their faces read back from an off-screen form.
#include "skin/Anictrls.h"

#include "platform/ui/Layout.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/skin/SkinPixels.h"

#include <string>
#include <tuple>
#include <vector>

namespace {

const TPalette colors = {{'r', clRed},   {'g', clLime},  {'b', clBlue},
                         {'w', clWhite}, {'k', clBlack}, {'y', clYellow}};

class Animated : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    form->SetColor(clWhite);
  }
  static void Tick(TepAnimated* c, int times = 1) {
    for (int i = 0; i < times; ++i)
      c->Timer()->OnTimer()(c->Timer());
  }
  // The columns of the control where black pixels show.
  std::vector<int> InkColumns(TControl* c) {
    form->Repaint();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, form->Impl()->Surface());
    std::vector<int> columns;
    for (int x = 0; x < c->Width(); ++x)
      for (int y = 0; y < c->Height(); ++y)
        if (GetPixel(dc, c->Left() + x, c->Top() + y) == 0) {
          columns.push_back(x);
          break;
        }
    SelectObject(dc, old);
    DeleteDC(dc);
    return columns;
  }
};

} // namespace

TEST_F(Animated, TickerRunsLeftAndComesBackFromTheRight) {
  auto* ticker = Make<TepRunStr>(10, 10, 194, 20);
  ticker->Font()->SetColor(clBlack);
  ticker->SetColor(clWhite);
  ticker->SetCaption("Hi");
  EXPECT_EQ(ticker->Caption(), "Hi");
  ticker->SetStep(2);
  ticker->SetInterval(100);
  std::vector<std::string> events;
  ticker->OnStart = [&](TObject*) { events.push_back("start"); };
  ticker->OnStop = [&](TObject*) { events.push_back("stop"); };
  ticker->SetActive(true);
  EXPECT_TRUE(ticker->Timer()->Enabled());
  EXPECT_EQ(ticker->TextPos(), 194);
  // Ten ticks a second, two pixels a tick.
  Tick(ticker, 10);
  EXPECT_EQ(ticker->TextPos(), 174);
  const std::vector<int> ink = InkColumns(ticker);
  ASSERT_FALSE(ink.empty());
  EXPECT_GE(ink.front(), 174);

  TBitmap probe;
  probe.Canvas()->SetFont(ticker->Font());
  const int w = probe.Canvas()->TextWidth("Hi");
  int last = ticker->TextPos();
  for (int i = 0; i < 200 && ticker->TextPos() != 194; ++i) {
    last = ticker->TextPos();
    Tick(ticker);
    form->Repaint();
  }
  EXPECT_EQ(ticker->TextPos(), 194) << "the caption left at x = 0 and starts again";
  EXPECT_LT(last - 2, -w) << "only once wholly gone";
  EXPECT_GE(last, -w);

  // Hidden, it stays where it is; shown again it goes on from there.
  Tick(ticker, 3);
  ticker->SetVisible(false);
  Tick(ticker, 5);
  EXPECT_EQ(ticker->TextPos(), 188);
  ticker->SetVisible(true);
  Tick(ticker);
  EXPECT_EQ(ticker->TextPos(), 186);

  ticker->SetActive(false);
  EXPECT_FALSE(ticker->Timer()->Enabled());
  EXPECT_TRUE(InkColumns(ticker).empty()) << "at rest the caption waits beyond the edge";
  EXPECT_EQ(events, (std::vector<std::string>{"start", "stop"}));
  delete ticker;
  EXPECT_EQ(events.size(), 2u) << "an inactive ticker stops no more";
}

TEST_F(Animated, DestroyingAnActiveTickerStopsIt) {
  auto* ticker = Make<TepRunStr>(10, 10, 50, 20);
  int stops = 0;
  ticker->OnStop = [&](TObject*) { ++stops; };
  ticker->SetActive(true);
  delete ticker;
  EXPECT_EQ(stops, 1);
}

TEST_F(Animated, RollRestartsFromTheBottomAfterTheLastLine) {
  auto* roll = Make<TepRunPanel>(10, 10, 60, 25);
  EXPECT_EQ(roll->TopPos(), 25);
  TStringList lines;
  lines.Add("one");
  lines.Add("two");
  lines.Add("three");
  roll->SetLines(&lines);
  roll->SetStep(4);
  roll->SetActive(true);
  std::vector<int> order = {roll->TopLine()};
  bool restartedAtBottom = false;
  for (int i = 0; i < 400 && order.size() < 4; ++i) {
    Tick(roll);
    form->Repaint();
    if (roll->TopLine() != order.back()) {
      order.push_back(roll->TopLine());
      if (roll->TopLine() == 0)
        restartedAtBottom = roll->TopPos() == 25;
    }
  }
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 0}));
  EXPECT_TRUE(restartedAtBottom);
}

TEST_F(Animated, RollAlignsItsLines) {
  auto* roll = Make<TepRunPanel>(10, 10, 80, 40);
  roll->SetColor(clWhite);
  roll->Font()->SetColor(clBlack);
  TStringList lines;
  lines.Add("I");
  roll->SetLines(&lines);
  roll->SetStep(20);
  roll->SetActive(true);
  for (auto [layout, lo, hi] :
       {std::tuple{Anictrls::tlLeft, 0, 4}, std::tuple{Anictrls::tlCenter, 36, 44},
        std::tuple{Anictrls::tlRight, 74, 79}}) {
    SCOPED_TRACE(layout);
    roll->SetTextLayout(layout);
    roll->SetActive(false);
    roll->SetActive(true);
    const std::vector<int> ink = InkColumns(roll);
    ASSERT_FALSE(ink.empty());
    EXPECT_GE(ink.front(), lo);
    EXPECT_LE(ink.back(), hi);
  }
}

TEST_F(Animated, ImageStripCyclesItsFrames) {
  auto* image = Make<TepAniImage>(10, 10, 25, 25);
  TBitmap strip;
  // Five 2 x 2 frames of a colour each, bottom-left white and left out.
  Paint(strip, {"rrggbbkkyy", "wrwgwbwkwy"}, colors);
  image->SetGlyph(&strip);
  EXPECT_EQ(image->NumGlyphs(), 5);
  EXPECT_EQ(image->Width(), 2);
  EXPECT_EQ(image->Height(), 2);
  form->SetColor(clWhite);
  const char expected[] = {'r', 'g', 'b', 'k', 'y', 'r'};
  for (char c : expected) {
    form->Repaint();
    EXPECT_EQ(PixelAt(form, 11, 10), ColorToRGB(colors.at(c))) << image->GlyphNum();
    EXPECT_EQ(PixelAt(form, 10, 11), ColorToRGB(clWhite));
    Tick(image);
  }
  image->SetGlyphNum(6);
  EXPECT_EQ(image->GlyphNum(), 2) << "no sixth frame";
  image->SetGlyphNum(0);
  EXPECT_EQ(image->GlyphNum(), 0);
  EXPECT_EQ(PixelAt(form, 11, 10), ColorToRGB(clWhite)) << "frame 0 shows nothing";

  // A strip narrower than high is one frame.
  TBitmap narrow;
  Paint(narrow, {"r", "r", "w"}, colors);
  image->SetGlyph(&narrow);
  EXPECT_EQ(image->NumGlyphs(), 1);
  EXPECT_EQ(image->Width(), 1);
  EXPECT_EQ(image->Height(), 3);
  image->SetStretch(true);
  image->SetBounds(10, 10, 4, 3);
  EXPECT_EQ(PixelAt(form, 13, 11), ColorToRGB(clRed)) << "stretched";
}

// A stored Active starts the animation once the layout is read, without
// the image's start event; other values come back as written.
TEST(AnimatedLayout, ActiveAndValuesRoundTrip) {
  Application->Initialize();
  TForm holder(nullptr);
  holder.SetName("Holder");
  auto* ticker = new TepRunStr(&holder);
  ticker->SetName("run");
  ticker->SetParent(&holder);
  auto* image = new TepAniImage(&holder);
  image->SetName("ani");
  image->SetParent(&holder);
  const AnsiString plain = WriteComponentLayout(&holder);
  for (const char* name : {"Interval", "NumGlyphs"})
    EXPECT_EQ(plain.find(AnsiString(name) + " ="), AnsiString::npos) << name << "\n" << plain;
  const AnsiString tickerPart = plain.substr(plain.find("object run"));
  EXPECT_EQ(tickerPart.substr(0, tickerPart.find("object ani")).find("Active"), AnsiString::npos);
  EXPECT_TRUE(ticker->Caption().empty()) << "no name copied into the caption";

  ticker->SetStep(2);
  ticker->SetInterval(100);
  ticker->SetActive(true);
  image->SetActive(true);
  TForm copy(nullptr);
  ReadComponentLayout(&copy, WriteComponentLayout(&holder), "animated");
  auto* ticker2 = dynamic_cast<TepRunStr*>(copy.FindComponent("run"));
  auto* image2 = dynamic_cast<TepAniImage*>(copy.FindComponent("ani"));
  ASSERT_NE(ticker2, nullptr);
  ASSERT_NE(image2, nullptr);
  EXPECT_EQ(ticker2->Step(), 2);
  EXPECT_EQ(ticker2->Interval(), 100u);
  EXPECT_TRUE(ticker2->Active());
  EXPECT_TRUE(ticker2->Timer()->Enabled());
  EXPECT_TRUE(image2->Active());
}
