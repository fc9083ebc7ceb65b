// The bitmap slider: the ruler tiled from its image, value and thumb
// position, page jumps by mouse and keyboard, dragging, ticks and focus
// frame, and the slider in stored layouts.
#include "skin/Bmslider.h"

#include "platform/ui/Layout.h"
#include "tests/platform/ui/FormFixture.h"

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

// Every column its own colour, so a copied piece shows where it came from.
TColor ColumnColor(int x) {
  return RGB(10 + x * 7, 120, 200 - x * 3);
}

void MakeRuler(TBitmap& b, int width, int height) {
  b.SetSize(width, height);
  for (int x = 0; x < width; ++x)
    for (int y = 0; y < height; ++y)
      b.Canvas()->SetPixels(x, y, ColumnColor(x));
}

// Two 10 x 15 frames: red up, blue down; each frame's bottom-left pixel and
// its left column are the white key.
void MakeThumb(TBitmap& b) {
  b.SetSize(20, 15);
  for (int x = 0; x < 20; ++x)
    for (int y = 0; y < 15; ++y)
      b.Canvas()->SetPixels(x, y, x % 10 == 0 ? clWhite : (x < 10 ? clRed : clBlue));
}

// The image column each ruler column was copied from.
std::vector<int> RulerColumns(TepBMPSlider* s) {
  std::vector<int> columns;
  for (int x = 0; x < s->Ruler()->Width(); ++x) {
    const TColor c = s->Ruler()->Canvas()->Pixels(x, 0);
    int found = -1;
    for (int i = 0; i < 64 && found < 0; ++i)
      if (ColorToRGB(ColumnColor(i)) == c)
        found = i;
    columns.push_back(found);
  }
  return columns;
}

// The bytes of a binary property of the form's first component, if stored.
std::optional<std::vector<uint8_t>> StoredBytes(const AnsiString& Text, const AnsiString& Name) {
  const TLayoutObject root = ParseLayout(Text, "written");
  for (const TLayoutProperty& p : root.Children.at(0).Properties)
    if (p.Name == Name)
      return p.Value.Bytes;
  return std::nullopt;
}

class SliderTest : public FormTest {
protected:
  // A horizontal slider with a 10-pixel-wide thumb: the ruler is 100 pixels
  // long, so the thumb travels 90 pixels from offset 6.
  TepBMPSlider* MakeSlider(int width = 112) {
    auto* s = Make<TepBMPSlider>(10, 10, width, 40);
    TBitmap thumbImage, rulerImage;
    MakeThumb(thumbImage);
    MakeRuler(rulerImage, 20, 4);
    s->SetImage(siHThumb, &thumbImage);
    s->SetImage(siHRuler, &rulerImage);
    s->OnChange = [this](TObject*) { changes.push_back(slider->Value()); };
    slider = s;
    Pump();
    return s;
  }

  TepBMPSlider* slider = nullptr;
  std::vector<int> changes;
};

TEST_F(SliderTest, ConstructorAndElements) {
  auto* s = new TepBMPSlider(form);
  EXPECT_EQ(s->Width(), 140);
  EXPECT_EQ(s->Height(), 40);
  EXPECT_EQ(s->Options(), (TSliderOptions{soShowFocus, soShowPoints, soSmooth}));
  EXPECT_TRUE(s->TabStop());
  EXPECT_EQ(s->Increment(), 10);
  EXPECT_EQ(s->MaxValue(), 100);
  EXPECT_EQ(s->EdgeSize(), 2);
  EXPECT_TRUE(s->UserImages().Empty());
  EXPECT_EQ(s->Thumb()->Owner(), s);
  EXPECT_EQ(s->Thumb()->Parent(), s);
  EXPECT_EQ(s->NumThumbStates(), 2);
  // With no images the ruler is empty; the thumb starts at the indent and
  // travels the control's width less the indents and itself.
  EXPECT_TRUE(s->Ruler()->Empty());
  EXPECT_EQ(s->GetThumbOffset(), 6);
  EXPECT_EQ(s->GetRulerLength(), 128 - s->Thumb()->Width());
  s->SetValue(50);
  EXPECT_EQ(s->Value(), 50);
}

// The wizard stores sliders with a thumb image only, over a ruler drawn
// beneath them: the thumb must travel the control's width, in both
// orientations, by value and by dragging.
TEST_F(SliderTest, ThumbAloneTravelsTheControlsLength) {
  TBitmap thumbImage;
  thumbImage.SetSize(10, 15);
  thumbImage.Canvas()->Brush()->SetColor(clRed);
  thumbImage.Canvas()->FillRect(Rect(0, 0, 10, 15));
  auto* s = Make<TepBMPSlider>(10, 10, 150, 19);
  s->SetNumThumbStates(1);
  s->SetThumbTransparent(true);
  s->SetImage(siHThumb, &thumbImage);
  s->OnChange = [&](TObject*) { changes.push_back(s->Value()); };
  Pump();
  ASSERT_TRUE(s->Ruler()->Empty());
  EXPECT_EQ(s->GetRulerLength(), 150 - 12 - 10);
  EXPECT_EQ(s->PointsRect(), Rect(6, 22, 144, 18));
  EXPECT_EQ(s->GetThumbOffset(), 6);
  s->SetValue(50);
  EXPECT_EQ(s->GetThumbOffset(), 70);
  s->SetValue(100);
  EXPECT_EQ(s->GetThumbOffset(), 134);
  s->SetValue(0);
  changes.clear();

  // Dragging the thumb half its travel gives half the range, not the maximum.
  const TPoint start = At(s->Thumb(), 5, 7);
  SimulateMouseDown(start, mbLeft);
  SimulateMouseMove(Point(start.X + 64, start.Y));
  SimulateMouseUp(Point(start.X + 64, start.Y), mbLeft);
  EXPECT_EQ(s->Value(), 50);
  EXPECT_EQ(changes, std::vector<int>{50});

  // Narrower than the thumb and its indents: no travel, never a negative one.
  s->SetWidth(20);
  EXPECT_EQ(s->GetRulerLength(), 0);
  EXPECT_EQ(s->GetThumbOffset(), 6);

  auto* v = Make<TepBMPSlider>(10, 40, 19, 112);
  v->SetOrientation(soVertical);
  v->SetNumThumbStates(1);
  v->SetImage(siVThumb, &thumbImage);
  EXPECT_EQ(v->GetRulerLength(), 112 - 12 - 15);
  v->SetValue(100);
  EXPECT_EQ(v->Thumb()->Top(), 6);
  v->SetValue(0);
  EXPECT_EQ(v->Thumb()->Top(), 112 - 6 - 15);
}

TEST_F(SliderTest, RulerTilesTheMiddleAndKeepsTheEdges) {
  auto* s = Make<TepBMPSlider>(0, 0, 286, 40);
  TBitmap image;
  MakeRuler(image, 30, 3);
  s->SetImage(siHRuler, &image);
  s->SetEdgeSize(0);
  // Nine whole copies, then the image's last four columns at 270.
  std::vector<int> expected;
  for (int x = 0; x < 270; ++x)
    expected.push_back(x % 30);
  for (int x = 26; x < 30; ++x)
    expected.push_back(x);
  EXPECT_EQ(s->Ruler()->Height(), 3);
  EXPECT_EQ(RulerColumns(s), expected);

  // A 10-pixel image with 2-pixel edges on a 20-pixel ruler: the near edge
  // and middle, the middle again, then the middle's last four and the far edge.
  TBitmap small;
  MakeRuler(small, 10, 3);
  s->SetImage(siHRuler, &small);
  s->SetEdgeSize(2);
  s->SetWidth(32);
  EXPECT_EQ(RulerColumns(s),
            (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(s->RulerOrg(), Point(6, 6));
}

TEST_F(SliderTest, EdgeSizeMustLeaveAMiddle) {
  auto* s = Make<TepBMPSlider>(0, 0, 140, 40);
  TBitmap image;
  MakeRuler(image, 20, 3);
  s->SetImage(siHRuler, &image);
  s->SetEdgeSize(10);
  EXPECT_EQ(s->EdgeSize(), 2);
  s->SetEdgeSize(9);
  EXPECT_EQ(s->EdgeSize(), 9);
  // A narrower image afterwards leaves no middle: no ruler, no crash.
  TBitmap narrow;
  MakeRuler(narrow, 18, 3);
  s->SetImage(siHRuler, &narrow);
  EXPECT_TRUE(s->Ruler()->Empty());
}

TEST_F(SliderTest, ValueIsClampedAndChangesFireOnce) {
  auto* s = MakeSlider();
  s->SetValue(150);
  EXPECT_EQ(s->Value(), 100);
  EXPECT_EQ(s->GetThumbOffset(), 96);
  s->SetValue(100);
  s->SetValue(-5);
  EXPECT_EQ(s->Value(), 0);
  EXPECT_EQ(s->GetThumbOffset(), 6);
  EXPECT_EQ(changes, (std::vector<int>{100, 0}));

  // Range changes that leave less than one increment are ignored.
  s->SetMinValue(95);
  EXPECT_EQ(s->MinValue(), 0);
  s->SetMinValue(90);
  EXPECT_EQ(s->MinValue(), 90);
  s->SetMaxValue(95);
  EXPECT_EQ(s->MaxValue(), 100);
  s->SetIncrement(0);
  EXPECT_EQ(s->Increment(), 10);
}

TEST_F(SliderTest, WithoutSmoothTheThumbSnapsButTheValueStays) {
  auto* s = MakeSlider();
  s->SetOptions({soShowPoints});
  s->SetIncrement(5);
  s->SetValue(12);
  EXPECT_EQ(s->Value(), 12);
  // Offset of 10: round(90 * 10 / 100) + 6; of 12 it would be 17.
  EXPECT_EQ(s->GetThumbOffset(), 15);
  s->SetOptions({soSmooth});
  s->SetValue(13);
  // Halves to even: 90 * 13 / 100 = 11.7, and 90 * 25 / 100 = 22.5 gives 22.
  EXPECT_EQ(s->GetThumbOffset(), 18);
  s->SetValue(25);
  EXPECT_EQ(s->GetThumbOffset(), 28);
}

TEST_F(SliderTest, KeysStepOnTheGridCountedFromZero) {
  auto* s = MakeSlider();
  s->SetIncrement(5);
  s->SetValue(12);
  s->SetFocus();
  Pump();
  SimulateKey(VK_RIGHT);
  EXPECT_EQ(s->Value(), 15);
  s->SetValue(12);
  SimulateKey(VK_LEFT);
  EXPECT_EQ(s->Value(), 5);
  SimulateKey(VK_END);
  EXPECT_EQ(s->Value(), 100);
  SimulateKey(VK_HOME);
  EXPECT_EQ(s->Value(), 0);
  SimulateKey(VK_RIGHT, TShiftState{ssCtrl});
  EXPECT_EQ(s->Value(), 0) << "a held shift key is not a step";
  s->SetOrientation(soVertical);
  SimulateKey(VK_UP);
  EXPECT_EQ(s->Value(), 5);
  SimulateKey(VK_DOWN);
  EXPECT_EQ(s->Value(), 0);
  EXPECT_EQ(s->Perform(WM_GETDLGCODE), static_cast<LRESULT>(DLGC_WANTARROWS));
}

TEST_F(SliderTest, HoldingOnTheRulerStepsUntilTheThumbPassesThePointer) {
  auto* s = MakeSlider();
  const TPoint press = At(s, 45, 20);
  SimulateMouseDown(press, mbLeft);
  // The first step comes at once.
  EXPECT_EQ(s->Value(), 10);
  EXPECT_TRUE(s->Tracking());
  EXPECT_TRUE(s->TimerActive());
  EXPECT_TRUE(s->IsFocused());
  // Then every 400 ms: 20 (thumb 24..34), 30 (33..43), 40 (42..52) covers 45.
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(1900);
  while (std::chrono::steady_clock::now() < end) {
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(changes, (std::vector<int>{10, 20, 30, 40}));
  SimulateMouseUp(press, mbLeft);
  EXPECT_FALSE(s->Tracking());
  EXPECT_FALSE(s->TimerActive());

  // Left of the thumb the steps go down.
  SimulateMouseDown(At(s, 8, 20), mbLeft);
  SimulateMouseUp(At(s, 8, 20), mbLeft);
  EXPECT_EQ(s->Value(), 30);
}

TEST_F(SliderTest, DraggingInIncrementStepsFiresOnlyOnChanges) {
  auto* s = MakeSlider();
  s->SetOptions({soShowPoints});
  // Grab the thumb 4 pixels into it and drag it pixel by pixel.
  const TPoint start = At(s->Thumb(), 4, 7);
  SimulateMouseDown(start, mbLeft);
  EXPECT_TRUE(s->Sliding());
  EXPECT_TRUE(s->Thumb()->Down());
  std::vector<int> lefts;
  for (int dx = 1; dx <= 40; ++dx) {
    SimulateMouseMove(Point(start.X + dx, start.Y));
    lefts.push_back(s->Thumb()->Left());
  }
  SimulateMouseUp(Point(start.X + 40, start.Y), mbLeft);
  EXPECT_FALSE(s->Sliding());
  EXPECT_FALSE(s->Thumb()->Down());
  // Thumb at 46 is value 44.4, on the grid 40 (offset 42).
  EXPECT_EQ(changes, (std::vector<int>{10, 20, 30, 40}));
  EXPECT_EQ(s->Value(), 40);
  for (int left : lefts)
    EXPECT_TRUE(left == 6 || left == 15 || left == 24 || left == 33 || left == 42) << left;
}

TEST_F(SliderTest, VerticalValuesGrowUpward) {
  auto* s = Make<TepBMPSlider>(10, 10, 40, 112);
  TBitmap thumbImage, rulerImage;
  thumbImage.SetSize(15, 10);
  MakeRuler(rulerImage, 4, 20);
  s->SetOrientation(soVertical);
  s->SetNumThumbStates(1);
  s->SetImage(siVThumb, &thumbImage);
  s->SetImage(siVRuler, &rulerImage);
  EXPECT_EQ(s->Ruler()->Height(), 100);
  EXPECT_EQ(s->GetRulerLength(), 90);
  s->SetValue(100);
  EXPECT_EQ(s->Thumb()->Top(), 6);
  s->SetValue(0);
  EXPECT_EQ(s->Thumb()->Top(), 96);
  EXPECT_EQ(s->JumpTo(20, 50), jmNext);
  EXPECT_EQ(s->JumpTo(20, 110), jmPrior);
  // The ruler is the narrower: centred across the thumb.
  EXPECT_EQ(s->RulerOrg(), Point(6 + (15 - 4) / 2, 6));
  EXPECT_EQ(s->PointsRect(), Rect(22, 6, 39, 106));

  // Horizontal ticks across the band's middle (column 30), at the thumb's
  // middle row: 0 at the bottom (row 101), 100 at the top (row 11).
  s->SetIncrement(50);
  s->SetPointsColor(clGreen);
  s->SetColor(clYellow);
  for (int y : {11, 56, 101}) {
    const int h = y == 56 ? 3 : 4;
    const int x0 = 30 - h / 2;
    EXPECT_EQ(PixelAt(s, x0 - 1, y), ColorToRGB(clYellow)) << y;
    for (int x = x0; x < x0 + h; ++x)
      EXPECT_EQ(PixelAt(s, x, y), ColorToRGB(clGreen)) << x << "," << y;
    EXPECT_EQ(PixelAt(s, x0 + h, y), ColorToRGB(clYellow)) << y;
  }
  // A handler of its own replaces the default ticks.
  int drawn = 0;
  s->OnDrawPoints = [&](TObject*) { ++drawn; };
  EXPECT_EQ(PixelAt(s, 30, 56), ColorToRGB(clYellow));
  EXPECT_GT(drawn, 0);
}

TEST_F(SliderTest, FaceRulerTicksAndFocusFrame) {
  auto* s = MakeSlider();
  s->SetIncrement(50);
  s->SetPointsColor(clGreen);
  s->SetColor(clYellow);
  // The ruler is narrower than the thumb: it is centred on it.
  EXPECT_EQ(s->RulerOrg(), Point(6, 6 + (15 - 4) / 2));
  EXPECT_EQ(s->PointsRect(), Rect(6, 22, 106, 39));
  EXPECT_EQ(PixelAt(s, 6 + 3, 12), ColorToRGB(ColumnColor(3)));
  // The ruler image's bottom-left colour is left out.
  EXPECT_EQ(PixelAt(s, 6, 12), ColorToRGB(clYellow));
  // Ticks at 0, 50 and 100, at the thumb's middle; the ends are 4 high, the
  // others 3, centred on row 30 of the band 22..39.
  for (int x : {11, 101}) {
    EXPECT_EQ(PixelAt(s, x, 27), ColorToRGB(clYellow)) << x;
    for (int y = 28; y < 32; ++y)
      EXPECT_EQ(PixelAt(s, x, y), ColorToRGB(clGreen)) << x << "," << y;
    EXPECT_EQ(PixelAt(s, x, 32), ColorToRGB(clYellow)) << x;
  }
  EXPECT_EQ(PixelAt(s, 56, 28), ColorToRGB(clYellow));
  for (int y = 29; y < 32; ++y)
    EXPECT_EQ(PixelAt(s, 56, y), ColorToRGB(clGreen)) << y;
  EXPECT_EQ(PixelAt(s, 57, 30), ColorToRGB(clYellow));

  s->SetUseFocusFrame(true);
  s->SetFocusInnerColor(clWhite);
  s->SetFocusOuterColor(clMaroon);
  EXPECT_EQ(PixelAt(s, 0, 0), ColorToRGB(clYellow));
  s->SetFocus();
  Pump();
  EXPECT_TRUE(s->IsFocused());
  EXPECT_EQ(PixelAt(s, 0, 0), ColorToRGB(clWhite));
  EXPECT_EQ(PixelAt(s, 111, 39), ColorToRGB(clMaroon));
}

TEST_F(SliderTest, TicksThinOutToThreePixelGaps) {
  auto* s = MakeSlider();
  s->SetIncrement(1);
  s->SetPointsColor(clGreen);
  s->SetColor(clYellow);
  // 101 ticks on 90 pixels are too dense; every 5th value leaves 21 ticks
  // at least 3 pixels apart.
  std::vector<int> ticks;
  for (int x = 0; x < s->Width(); ++x)
    if (PixelAt(s, x, 30) == static_cast<COLORREF>(ColorToRGB(clGreen)))
      ticks.push_back(x);
  ASSERT_EQ(ticks.size(), 21u);
  EXPECT_EQ(ticks.front(), 11);
  EXPECT_EQ(ticks[1], 11 + 4); // round(90 * 5 / 100), the half to even
  EXPECT_EQ(ticks.back(), 101);
}

TEST_F(SliderTest, ThumbShapeAndStates) {
  auto* s = MakeSlider();
  TSliderThumb* t = s->Thumb();
  EXPECT_EQ(t->Width(), 10);
  EXPECT_EQ(t->Height(), 15);
  EXPECT_EQ(t->Region(), nullptr);
  EXPECT_EQ(PixelAt(t, 5, 5), ColorToRGB(clRed));
  t->SetDown(true);
  EXPECT_EQ(PixelAt(t, 5, 5), ColorToRGB(clBlue));
  s->SetThumbTransparent(true);
  ASSERT_NE(t->Region(), nullptr);
  EXPECT_EQ(t->WindowRgn(), t->Region());
  // The white left column is cut away.
  EXPECT_FALSE(PtInRegion(t->Region(), 0, 5));
  EXPECT_TRUE(PtInRegion(t->Region(), 1, 5));
  s->SetNumThumbStates(1);
  EXPECT_EQ(t->Width(), 20);
  s->SetNumThumbStates(3);
  EXPECT_EQ(t->NumStates(), 1);
}

TEST_F(SliderTest, StoredLayoutKeepsUserImages) {
  auto* s = MakeSlider();
  s->SetName("sldTest");
  s->SetNumThumbStates(1);
  s->SetValue(30);
  const AnsiString text = WriteComponentLayout(form);
  EXPECT_EQ(StoredBytes(text, "UserImages"), std::vector<uint8_t>{3});
  EXPECT_NE(text.find("ImageHThumb.Data"), AnsiString::npos);
  EXPECT_EQ(text.find("ImageVThumb"), AnsiString::npos);
  EXPECT_EQ(text.find("EdgeSize"), AnsiString::npos);
  EXPECT_NE(text.find("Increment = 10"), AnsiString::npos);

  TForm copy(nullptr);
  ReadComponentLayout(&copy, text, "copy");
  auto* r = dynamic_cast<TepBMPSlider*>(copy.FindComponent("sldTest"));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->UserImages(), (TSliderImages{siHThumb, siHRuler}));
  EXPECT_EQ(r->Value(), 30);
  EXPECT_EQ(r->Thumb()->Width(), 20);
  EXPECT_EQ(r->Ruler()->Width(), 100);
  EXPECT_EQ(r->GetThumbOffset(), 30); // a 20-pixel thumb travels 80 pixels

  // No user images, no such property; a block of another size is refused.
  s->SetImage(siHThumb, nullptr);
  s->SetImage(siHRuler, nullptr);
  EXPECT_EQ(StoredBytes(WriteComponentLayout(form), "UserImages"), std::nullopt);
  const AnsiString bad = "object Form: TForm\n object s: TepBMPSlider\n  UserImages = {0301}\n "
                         "end\nend\n";
  TForm other(nullptr);
  EXPECT_THROW(ReadComponentLayout(&other, bad, "bad"), EReadError);
}

TEST_F(SliderTest, DemoSheet) {
  form->SetColor(clSilver);
  auto* s = MakeSlider(180);
  TBitmap rulerImage;
  rulerImage.SetSize(24, 6);
  rulerImage.Canvas()->Brush()->SetColor(clFuchsia);
  rulerImage.Canvas()->FillRect(Rect(0, 0, 24, 6));
  rulerImage.Canvas()->Brush()->SetColor(clGray);
  rulerImage.Canvas()->FillRect(Rect(0, 0, 24, 5));
  rulerImage.Canvas()->Brush()->SetColor(clWhite);
  rulerImage.Canvas()->FillRect(Rect(1, 1, 23, 4));
  s->SetImage(siHRuler, &rulerImage);
  s->SetColor(clSilver);
  s->SetPointsColor(clNavy);
  s->SetValue(60);
  s->SetUseFocusFrame(true);
  s->SetFocus();
  Pump();

  TBitmap sheet;
  sheet.SetSize(s->Width(), s->Height());
  HDC dc = CreateCompatibleDC(nullptr);
  for (TWinControl* w : {static_cast<TWinControl*>(s), static_cast<TWinControl*>(s->Thumb())}) {
    w->Repaint();
    HGDIOBJ old = SelectObject(dc, w->Impl()->Surface());
    const int x = w == s ? 0 : w->Left(), y = w == s ? 0 : w->Top();
    BitBlt(sheet.Canvas()->Handle(), x, y, w->Width(), w->Height(), dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
  }
  DeleteDC(dc);
  const std::string bmp = std::string(WT_BINARY_DIR) + "/skin-slider-demo.bmp";
  const std::string png = std::string(WT_BINARY_DIR) + "/skin-slider-demo.png";
  sheet.SaveToFile(bmp.c_str());
  ASSERT_EQ(std::system(("convert '" + bmp + "' '" + png + "'").c_str()), 0);
  EXPECT_EQ(sheet.Canvas()->Pixels(s->Thumb()->Left() + 5, s->Thumb()->Top() + 5), clRed);
}

} // namespace
