// The image panel with its wallpaper, bevels and caption, the handle that
// drags its window, and the small bevel and image controls, read back pixel
// by pixel from an off-screen form.
#include "skin/Epctrls.h"

#include "platform/ui/Layout.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/skin/SkinPixels.h"

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using TRows = std::vector<std::string>;

const TPalette colors = {{'r', clRed},   {'g', clLime},   {'b', clBlue}, {'w', clWhite},
                         {'k', clBlack}, {'y', clYellow}, {'c', clAqua}};

class PanelControls : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    form->SetColor(clWhite);
  }
  // What the window shows in a rectangle of its client area, as characters.
  static TRows Shot(TWinControl* w, int x0, int y0, int width, int height) {
    w->Repaint();
    TBitmap shot;
    shot.SetSize(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        shot.Canvas()->SetPixels(x, y, static_cast<TColor>(PixelAt(w, x0 + x, y0 + y)));
    return Picture(shot, colors);
  }
  static TRows ShotOf(TWinControl* c) { return Shot(c, 0, 0, c->Width(), c->Height()); }
  TRows ShotOf(TGraphicControl* c) {
    return Shot(form, c->Left(), c->Top(), c->Width(), c->Height());
  }
  TepImagePanel* MakePanel(int w, int h) {
    auto* panel = Make<TepImagePanel>(10, 10, w, h);
    panel->SetColor(clWhite);
    panel->SetBevelInnerColor(clRed);
    panel->SetBevelOuterColor(clBlue);
    return panel;
  }
  TepBitmap* MakeWallpaper(const TRows& rows) {
    auto* paper = new TepBitmap(form);
    TBitmap tile;
    if (!rows.empty())
      Paint(tile, rows, colors);
    paper->Bitmap()->SetGraphic(&tile);
    return paper;
  }
};

} // namespace

TEST_F(PanelControls, ImagePanelDrawsOuterAndInnerBevelsInItsColours) {
  auto* panel = MakePanel(8, 6);
  panel->SetBevelOuter(bvLowered);
  EXPECT_EQ(ShotOf(panel),
            (TRows{"bbbbbbbr", "bwwwwwwr", "bwwwwwwr", "bwwwwwwr", "bwwwwwwr", "rrrrrrrr"}));
  // Raised outside, then lowered inside the border.
  panel->SetBevelOuter(bvRaised);
  panel->SetBevelInner(bvLowered);
  panel->SetBorderWidth(1);
  EXPECT_EQ(ShotOf(panel),
            (TRows{"rrrrrrrb", "rwwwwwwb", "rwbbbrwb", "rwrrrrwb", "rwwwwwwb", "bbbbbbbb"}));
  // Without an outer bevel the border does not push the inner one in.
  panel->SetBevelOuter(bvNone);
  EXPECT_EQ(ShotOf(panel)[0], "bbbbbbbr");
}

// The caption's line is as high as a "W", centred in the rectangle inside
// the bevel, and aligned within that rectangle's width.
TEST_F(PanelControls, ImagePanelCaptionSitsInsideTheBevel) {
  auto* panel = MakePanel(60, 31);
  panel->SetBevelOuter(bvLowered);
  panel->Font()->SetColor(clBlack);
  panel->SetCaption("II");
  TBitmap probe;
  probe.Canvas()->SetFont(panel->Font());
  const int h = probe.Canvas()->TextHeight("W");
  const int top = (1 + 30 - h) / 2;
  for (TAlignment a : {taLeftJustify, taRightJustify, taCenter}) {
    SCOPED_TRACE(a);
    panel->SetAlignment(a);
    const TRows shot = ShotOf(panel);
    int left = 60, right = -1, high = 31, low = -1;
    for (int y = 0; y < 31; ++y)
      for (int x = 0; x < 60; ++x)
        if (shot[static_cast<size_t>(y)][static_cast<size_t>(x)] == 'k') {
          left = std::min(left, x);
          right = std::max(right, x);
          high = std::min(high, y);
          low = std::max(low, y);
        }
    ASSERT_GE(right, 0) << "the caption is drawn";
    EXPECT_GE(high, top);
    EXPECT_LT(low, top + h);
    if (a == taLeftJustify) {
      EXPECT_GE(left, 1);
      EXPECT_LE(left, 3);
    } else if (a == taRightJustify) {
      EXPECT_LE(right, 58);
      EXPECT_GE(right, 56);
    } else {
      EXPECT_NEAR(left + right, 59, 3);
    }
  }
}

TEST_F(PanelControls, ImagePanelTilesItsWallpaperFromTheCorner) {
  auto* panel = MakePanel(7, 5);
  panel->SetBevelOuter(bvNone);
  panel->SetWallpaper(MakeWallpaper({"gyk", "ycg"}));
  EXPECT_EQ(ShotOf(panel), (TRows{"gykgykg", "ycgycgy", "gykgykg", "ycgycgy", "gykgykg"}));
  // The bevel lies over the tiles.
  panel->SetBevelOuter(bvRaised);
  EXPECT_EQ(ShotOf(panel)[2], "rykgykb");
}

// Without a drawable wallpaper, or once it is gone, the panel shows Color.
TEST_F(PanelControls, ImagePanelFallsBackToItsColour) {
  auto* panel = MakePanel(5, 3);
  panel->SetBevelOuter(bvNone);
  panel->SetColor(clAqua);
  TepBitmap* empty = MakeWallpaper({});
  panel->SetWallpaper(empty);
  EXPECT_EQ(ShotOf(panel), (TRows{"ccccc", "ccccc", "ccccc"}));
  TepBitmap* paper = MakeWallpaper({"g"});
  panel->SetWallpaper(paper);
  EXPECT_EQ(ShotOf(panel)[1], "ggggg");
  delete paper;
  EXPECT_EQ(panel->Wallpaper(), nullptr);
  EXPECT_EQ(ShotOf(panel)[1], "ccccc");
}

namespace {

class MoveHandle : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    handle = Make<TepMoveForm>(0, 0, 100, 20);
    handle->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int, int) { ++events; };
    handle->OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int, int) { ++events; };
  }
  // Presses at the handle's (x, y), moves the pointer by (dx, dy) in two
  // steps and releases there.
  void Drag(int x, int y, int dx, int dy, TMouseButton b) {
    const TPoint from = At(handle, x, y);
    SimulateMouseDown(from, b);
    SimulateMouseMove(Point(from.X + dx / 2, from.Y + dy / 2));
    SimulateMouseMove(Point(from.X + dx, from.Y + dy));
    SimulateMouseUp(Point(from.X + dx, from.Y + dy), b);
    Pump();
  }
  TepMoveForm* handle = nullptr;
  int events = 0;
};

} // namespace

TEST_F(MoveHandle, LeftDragMovesTheWindowByThePointersPath) {
  Drag(10, 10, 10, 5, mbLeft);
  EXPECT_EQ(form->Left(), 90);
  EXPECT_EQ(form->Top(), 85);
  EXPECT_EQ(form->Width(), 300);
  EXPECT_FALSE(handle->Moving());
  EXPECT_EQ(events, 0) << "the handle keeps its mouse events";
}

TEST_F(MoveHandle, OtherButtonsDoNotMoveButSetThePressPoint) {
  Drag(10, 10, 10, 5, mbRight);
  EXPECT_EQ(form->Left(), 80);
  EXPECT_EQ(form->Top(), 80);
  const TPoint right = At(handle, 40, 12);
  SimulateMouseDown(right, mbRight);
  SimulateMouseUp(right, mbRight);
  Drag(30, 4, -7, 6, mbLeft);
  EXPECT_EQ(form->Left(), 73);
  EXPECT_EQ(form->Top(), 86);
}

TEST_F(MoveHandle, HandleWithoutAWindowOwnerMovesNothing) {
  TComponent holder(nullptr);
  auto* loose = new TepMoveForm(&holder);
  loose->SetParent(form);
  loose->SetBounds(0, 30, 50, 20);
  const TPoint from = At(loose, 5, 5);
  SimulateMouseDown(from, mbLeft);
  SimulateMouseMove(Point(from.X + 9, from.Y + 9));
  SimulateMouseUp(Point(from.X + 9, from.Y + 9), mbLeft);
  Pump();
  EXPECT_EQ(form->Left(), 80);
  EXPECT_EQ(loose->Top(), 30);
  loose->SetParent(nullptr);
}

TEST_F(PanelControls, BevelShapesInBothStyles) {
  struct TCase {
    TepBevelShape Shape;
    TRows Lowered;
  };
  const std::vector<TCase> cases = {
      {bsBox, {"bbbbr", "bwwwr", "bwwwr", "rrrrr"}},
      {bsFrame, {"bbbrw", "brrrb", "rrrrb", "wbbbb"}},
      {bsTopLine, {"bbbbb", "rrrrr", "wwwww", "wwwww"}},
      {bsBottomLine, {"wwwww", "wwwww", "bbbbb", "rrrrr"}},
      {bsLeftLine, {"brwww", "brwww", "brwww", "brwww"}},
      {bsRightLine, {"wwwbr", "wwwbr", "wwwbr", "wwwbr"}},
  };
  auto* bevel = Make<TepBevel>(20, 20, 5, 4);
  EXPECT_EQ(bevel->Style(), bsLowered);
  EXPECT_EQ(bevel->Shape(), bsBox);
  bevel->SetInnerColor(clRed);
  bevel->SetOuterColor(clBlue);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Shape);
    bevel->SetShape(c.Shape);
    bevel->SetStyle(bsLowered);
    EXPECT_EQ(ShotOf(bevel), c.Lowered);
    // Raised exchanges the two colours.
    TRows raised = c.Lowered;
    for (auto& row : raised)
      for (auto& ch : row)
        ch = ch == 'r' ? 'b' : ch == 'b' ? 'r' : ch;
    bevel->SetStyle(bsRaised);
    EXPECT_EQ(ShotOf(bevel), raised);
  }
}

TEST_F(PanelControls, ImageDrawsItsGlyphPlainTransparentTiledOrStretched) {
  auto* image = Make<TepImage>(20, 20, 5, 3);
  EXPECT_EQ(ShotOf(image), (TRows{"wwwww", "wwwww", "wwwww"})) << "empty: nothing";
  TBitmap glyph;
  Paint(glyph, {"rgb", "kyy"}, colors);
  image->SetGlyph(&glyph);
  EXPECT_EQ(ShotOf(image), (TRows{"rgbww", "kyyww", "wwwww"}));
  image->SetGlyphTransparent(true);
  EXPECT_EQ(ShotOf(image), (TRows{"rgbww", "wyyww", "wwwww"}));
  image->SetWallStyle(true);
  EXPECT_EQ(ShotOf(image), (TRows{"rgbrg", "kyyky", "rgbrg"}));
  image->SetWallStyle(false);
  image->SetStretch(true);
  image->SetGlyphTransparent(false);
  image->SetBounds(20, 20, 6, 4);
  EXPECT_EQ(ShotOf(image), (TRows{"rrggbb", "rrggbb", "kkyyyy", "kkyyyy"}));
  image->SetGlyphTransparent(true);
  EXPECT_EQ(ShotOf(image)[3], "wwyyyy");
}

TEST(PanelLayout, ImagePanelStoresItsColoursAndWallpaperReference) {
  Application->Initialize();
  TForm holder(nullptr);
  holder.SetName("Holder");
  auto* paper = new TepBitmap(&holder);
  paper->SetName("bmpBack");
  auto* panel = new TepImagePanel(&holder);
  panel->SetName("pnl");
  panel->SetParent(&holder);
  EXPECT_EQ(panel->Width(), 100);
  EXPECT_EQ(panel->Height(), 100);
  auto* bevel = new TepBevel(&holder);
  bevel->SetName("bev");
  bevel->SetParent(&holder);
  const AnsiString plain = WriteComponentLayout(&holder);
  EXPECT_NE(plain.find("BevelInnerColor = clBtnHighlight"), AnsiString::npos) << plain;
  EXPECT_NE(plain.find("BevelOuterColor = clBtnShadow"), AnsiString::npos) << plain;
  for (const char* name : {"Shape", "Style", "InnerColor"})
    EXPECT_EQ(plain.find(AnsiString("  ") + name), AnsiString::npos) << name << " in\n" << plain;

  panel->SetWallpaper(paper);
  panel->SetBevelOuterColor(clYellow);
  bevel->SetShape(bsRightLine);
  bevel->SetStyle(bsRaised);
  TForm copy(nullptr);
  ReadComponentLayout(&copy, WriteComponentLayout(&holder), "panels");
  auto* panel2 = dynamic_cast<TepImagePanel*>(copy.FindComponent("pnl"));
  auto* bevel2 = dynamic_cast<TepBevel*>(copy.FindComponent("bev"));
  ASSERT_NE(panel2, nullptr);
  ASSERT_NE(bevel2, nullptr);
  EXPECT_EQ(panel2->Wallpaper(), copy.FindComponent("bmpBack"));
  EXPECT_EQ(panel2->BevelOuterColor(), clYellow);
  EXPECT_EQ(bevel2->Shape(), bsRightLine);
  EXPECT_EQ(bevel2->Style(), bsRaised);
}

namespace {} // namespace

TEST_F(PanelControls, RegulatorClampsItsValueAndPlacesTheKnob) {
  auto* reg = Make<TepRegulator>(10, 10, 30, 150);
  int changes = 0;
  reg->OnChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(reg->KnobY(), 135);
  const struct {
    int Set, Value, KnobY, Changes;
  } cases[] = {{50, 50, 75, 1}, {50, 50, 75, 1}, {150, 100, 15, 2}, {-5, 0, 135, 3}};
  for (const auto& c : cases) {
    reg->SetValue(c.Set);
    EXPECT_EQ(reg->Value(), c.Value) << c.Set;
    EXPECT_EQ(reg->KnobY(), c.KnobY) << c.Set;
    EXPECT_EQ(changes, c.Changes) << c.Set;
  }
  reg->SetBtnColor(clRed);
  EXPECT_EQ(PixelAt(reg, 15, 135), ColorToRGB(clRed)) << "the knob";
  EXPECT_NE(PixelAt(reg, 15, 75), ColorToRGB(clRed));
  // An empty range keeps the knob at the bottom instead of dividing by zero.
  reg->SetMaxValue(0);
  EXPECT_EQ(reg->KnobY(), 135);
}

TEST_F(PanelControls, RegulatorKnobFollowsThePointerOnItsTimer) {
  auto* reg = Make<TepRegulator>(10, 10, 30, 150);
  reg->SetTimeInt(10);
  std::vector<int> seen;
  reg->OnChange = [&](TObject*) { seen.push_back(reg->Value()); };
  SimulateMouseDown(At(reg, 15, 60), mbLeft);
  SimulateMouseUp(At(reg, 15, 60), mbLeft);
  EXPECT_FALSE(reg->Tracking()) << "a press beside the knob";
  const TPoint knob = At(reg, 15, 135);
  SimulateMouseDown(knob, mbLeft);
  ASSERT_TRUE(reg->Tracking());
  SimulateMouseMove(Point(knob.X, knob.Y - 60));
  ASSERT_TRUE(PumpUntil([&] { return reg->KnobY() == 75; }));
  EXPECT_EQ(reg->Value(), 50);
  SimulateMouseMove(Point(knob.X, knob.Y - 500));
  ASSERT_TRUE(PumpUntil([&] { return reg->KnobY() == 15; })) << "clamped at the top";
  EXPECT_EQ(reg->Value(), 100);
  SimulateMouseUp(Point(knob.X, knob.Y - 500), mbLeft);
  EXPECT_FALSE(reg->Tracking());
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), 100);
  Pump();
  EXPECT_EQ(reg->Value(), 100);
}

TEST_F(PanelControls, SwitchIsAPillThatTogglesOnLeftPresses) {
  auto* sw = Make<TepSwitch>(10, 10, 35, 70);
  EXPECT_EQ(sw->Height(), 52) << "round(1.5 x 35), halves to even";
  sw->SetBounds(10, 10, 40, 10);
  EXPECT_EQ(sw->Height(), 60);
  ASSERT_NE(sw->WindowRgn(), nullptr);
  EXPECT_FALSE(PtInRegion(sw->WindowRgn(), 0, 0)) << "rounded corner";
  EXPECT_TRUE(PtInRegion(sw->WindowRgn(), 20, 30));
  sw->SetOnBtnColor(clRed);
  sw->SetOffBtnColor(clBlue);
  EXPECT_EQ(PixelAt(sw, 20, 50), ColorToRGB(clBlue)) << "off: the knob below";

  std::vector<std::string> fired;
  sw->OnOn = [&](TObject*) { fired.push_back("on"); };
  sw->OnOff = [&](TObject*) { fired.push_back("off"); };
  sw->SetState(Epctrls::sOff);
  EXPECT_EQ(fired, (std::vector<std::string>{"off"}));
  ClickAt(sw, 20, 30);
  EXPECT_EQ(sw->State(), Epctrls::sOn);
  EXPECT_EQ(PixelAt(sw, 20, 10), ColorToRGB(clRed)) << "on: the knob above";
  ClickAt(sw, 20, 30, mbRight);
  EXPECT_EQ(sw->State(), Epctrls::sOn);
  ClickAt(sw, 20, 30);
  EXPECT_EQ(sw->State(), Epctrls::sOff);
  EXPECT_EQ(fired, (std::vector<std::string>{"off", "on", "off"}));
}

TEST_F(PanelControls, ShadowPanelDarkensTheParentBesideItsBody) {
  form->SetColor(clYellow);
  auto* panel = Make<TepShadowPanel>(10, 10, 10, 8);
  panel->SetBevelOuter(bvNone);
  panel->SetColor(clAqua);
  panel->SetShadowWidth(2);
  const COLORREF gray = PixelAt(panel, 9, 4);
  ASSERT_EQ(GetRValue(gray), GetGValue(gray));
  ASSERT_EQ(GetBValue(gray), 0);
  ASSERT_NEAR(GetRValue(gray), 128, 1) << "yellow half-way to black";
  TPalette withShadow = colors;
  withShadow['d'] = static_cast<TColor>(gray);
  TBitmap shot;
  shot.SetSize(10, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 10; ++x)
      shot.Canvas()->SetPixels(x, y, static_cast<TColor>(PixelAt(panel, x, y)));
  EXPECT_EQ(Picture(shot, withShadow),
            (TRows{"ccccccccyy", "ccccccccyy", "ccccccccdd", "ccccccccdd", "ccccccccdd",
                   "ccccccccdd", "yydddddddd", "yydddddddd"}));
}

TEST_F(PanelControls, ShadowPanelAlignsChildrenInItsBodyOnly) {
  const struct {
    TShadowKind Kind;
    TRect Body;
  } cases[] = {{skLeftTop, {3, 3, 40, 30}},
               {skRightTop, {0, 3, 37, 30}},
               {skLeftBottom, {3, 0, 40, 27}},
               {skRightBottom, {0, 0, 37, 27}}};
  auto* panel = Make<TepShadowPanel>(10, 10, 40, 30);
  panel->SetBevelOuter(bvRaised);
  panel->SetShadowWidth(3);
  auto* child = Make<TepImagePanel>(0, 0, 5, 5, panel);
  child->SetAlign(alClient);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Kind);
    panel->SetShadowKind(c.Kind);
    EXPECT_EQ(panel->BodyRect(), c.Body);
    EXPECT_EQ(child->BoundsRect(), c.Body);
  }
}

TEST_F(PanelControls, RoundPanelShapesItsWindowAndBevel) {
  auto* panel = Make<TepRndPanel>(10, 10, 100, 100);
  panel->SetColor(clWhite);
  panel->SetBevelInnerColor(clRed);
  panel->SetBevelOuterColor(clBlue);
  EXPECT_EQ(panel->PanelKind(), pkEllipse);
  EXPECT_EQ(panel->Radius(), 20);
  ASSERT_NE(panel->WindowRgn(), nullptr);
  EXPECT_FALSE(PtInRegion(panel->WindowRgn(), 25, 1));
  EXPECT_TRUE(PtInRegion(panel->WindowRgn(), 50, 1));
  // Raised: the light colour above, the dark one below.
  const auto white = static_cast<COLORREF>(ColorToRGB(clWhite));
  auto firstFrom = [&](int y0, int step) {
    for (int y = y0; y >= 0 && y < 100; y += step)
      if (PixelAt(panel, 50, y) != white)
        return PixelAt(panel, 50, y);
    return white;
  };
  EXPECT_EQ(firstFrom(50, -1), ColorToRGB(clRed));
  EXPECT_EQ(firstFrom(50, 1), ColorToRGB(clBlue));

  panel->SetPanelKind(pkRndRect);
  EXPECT_TRUE(PtInRegion(panel->WindowRgn(), 25, 1));
  EXPECT_FALSE(PtInRegion(panel->WindowRgn(), 1, 1));
  panel->SetBounds(10, 10, 60, 40);
  EXPECT_TRUE(PtInRegion(panel->WindowRgn(), 30, 38));
  EXPECT_FALSE(PtInRegion(panel->WindowRgn(), 30, 45)) << "the region follows the size";
}

TEST_F(PanelControls, EffectRoundPanelShowsTheParentTintedOrSpeckled) {
  form->SetColor(clBlue);
  auto* panel = Make<TepEffectRndPanel>(10, 10, 40, 40);
  panel->SetColor(clRed);
  panel->SetBevelOuter(bvNone);
  EXPECT_EQ(PixelAt(panel, 20, 20), ColorToRGB(clBlue)) << "the parent shows through";
  panel->SetMiddleTransparent(true);
  const COLORREF mid = PixelAt(panel, 20, 20);
  EXPECT_NEAR(GetRValue(mid), 128, 1);
  EXPECT_EQ(GetGValue(mid), 0);
  EXPECT_NEAR(GetBValue(mid), 128, 1);
  panel->SetMiddleTransparent(false);
  panel->SetNoise(true);
  int differing = 0;
  for (int x = 10; x < 30; ++x) {
    const COLORREF c = PixelAt(panel, x, 20);
    EXPECT_LE(GetRValue(c), 15);
    EXPECT_GE(GetBValue(c), 240);
    differing += c != static_cast<COLORREF>(ColorToRGB(clBlue));
  }
  EXPECT_GT(differing, 0) << "noise";
  panel->SetNoise(false);
  form->SetColor(clLime);
  panel->InvalidatePanel();
  EXPECT_EQ(PixelAt(panel, 20, 20), ColorToRGB(clLime)) << "a fresh copy";
}

namespace {

class Splitter : public PanelControls {
protected:
  // A panel aligned to Side, the splitter beside it, a client panel filling
  // the rest; form 300 x 220.
  TepSplitter* Layout(TAlign Side, int Size) {
    neighbour = Make<TepImagePanel>(0, 0, Size, Size);
    neighbour->SetAlign(Side);
    auto* splitter = Make<TepSplitter>(0, 0, 3, 3);
    splitter->SetAlign(Side);
    if (Side == alTop || Side == alBottom)
      splitter->SetHeight(3);
    else
      splitter->SetWidth(3);
    // Placed past the neighbour, so aligning keeps it beside it.
    if (Side == alLeft)
      splitter->SetLeft(Size + 1);
    else if (Side == alRight)
      splitter->SetLeft(300 - Size - 4);
    else if (Side == alTop)
      splitter->SetTop(Size + 1);
    else
      splitter->SetTop(220 - Size - 4);
    auto* rest = Make<TepImagePanel>(0, 0, 10, 10);
    rest->SetAlign(alClient);
    splitter->OnMoved = [this](TObject*) { ++moved; };
    return splitter;
  }
  void Drag(TepSplitter* s, int dx, int dy) {
    const TPoint from = At(s, 1, 1);
    SimulateMouseDown(from, mbLeft);
    SimulateMouseMove(Point(from.X + dx, from.Y + dy));
    SimulateMouseUp(Point(from.X + dx, from.Y + dy), mbLeft);
    Pump();
  }
  TepImagePanel* neighbour = nullptr;
  int moved = 0;
};

} // namespace

TEST_F(Splitter, DragResizesTheNeighbourOnEachSide) {
  const struct {
    TAlign Side;
    int Dx, Dy;
    TRect Expected;
  } cases[] = {{alLeft, 40, 0, {0, 0, 140, 220}},
               {alRight, -20, 0, {200, 0, 300, 220}},
               {alTop, 0, 25, {0, 0, 300, 125}},
               {alBottom, 0, -10, {0, 130, 300, 220}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Side);
    TearDown();
    SetUp();
    moved = 0;
    TepSplitter* s = Layout(c.Side, c.Side == alLeft || c.Side == alTop ? 100 : 80);
    ASSERT_EQ(s->Align(), c.Side);
    Drag(s, c.Dx, c.Dy);
    EXPECT_EQ(neighbour->BoundsRect(), c.Expected);
    EXPECT_EQ(moved, 1);
    EXPECT_FALSE(s->Sizing());
  }
}

TEST_F(Splitter, SizeStaysBetweenMinSizeAndWhatTheParentLeaves) {
  TepSplitter* s = Layout(alLeft, 100);
  EXPECT_EQ(s->MinSize(), 30);
  Drag(s, -500, 0);
  EXPECT_EQ(neighbour->Width(), 30);
  // 300 less the neighbour and the splitter, plus the neighbour.
  Drag(s, 1000, 0);
  EXPECT_EQ(neighbour->Width(), 297);
}

TEST_F(Splitter, EscapeEndsTheDragWithoutResizingOtherKeysPassOn) {
  TepSplitter* s = Layout(alLeft, 100);
  auto* focused = Make<TepImagePanel>(0, 0, 10, 10, neighbour);
  focused->SetTabStop(true);
  focused->SetFocus();
  Pump();
  ASSERT_EQ(form->ActiveControl(), focused);
  std::vector<uint16_t> keys;
  focused->OnKeyDown = [&](TObject*, uint16_t& Key, TShiftState) { keys.push_back(Key); };
  const TPoint from = At(s, 1, 1);
  SimulateMouseDown(from, mbLeft);
  SimulateMouseMove(Point(from.X + 30, from.Y));
  ASSERT_TRUE(s->Sizing());
  SimulateKey('A');
  SimulateKey(VK_ESCAPE);
  EXPECT_FALSE(s->Sizing());
  EXPECT_EQ(moved, 1);
  SimulateMouseUp(Point(from.X + 30, from.Y), mbLeft);
  Pump();
  EXPECT_EQ(neighbour->Width(), 100);
  EXPECT_EQ(keys, (std::vector<uint16_t>{'A'}));
  SimulateKey('B');
  EXPECT_EQ(keys, (std::vector<uint16_t>{'A', 'B'})) << "the handler is given back";
}

TEST_F(Splitter, PaintsABevelOrTilesItsGlyph) {
  TepSplitter* s = Layout(alLeft, 100);
  s->SetColor(clWhite);
  s->SetInnerColor(clRed);
  s->SetOuterColor(clBlue);
  EXPECT_EQ(Shot(form, s->Left(), 0, 3, 3), (TRows{"bwr", "bwr", "bwr"}));
  TBitmap glyph;
  Paint(glyph, {"gk"}, colors);
  s->SetSplitterGlyph(&glyph);
  s->SetUseGlyph(true);
  EXPECT_EQ(Shot(form, s->Left(), 0, 3, 2), (TRows{"gkg", "gkg"}));
}

// Every control of the unit on one form, written as a PNG into the build
// folder for a look by eye.
TEST_F(PanelControls, DemoSheet) {
  form->SetColor(static_cast<TColor>(0x705030));
  auto* paper = MakeWallpaper({"yyyyww", "yyyyww", "ywwwww", "wwwwyy"});
  auto* image = Make<TepImagePanel>(8, 8, 120, 60);
  image->SetBevelOuter(bvRaised);
  image->SetBevelInner(bvLowered);
  image->SetBevelWidth(2);
  image->SetBorderWidth(2);
  image->SetBevelInnerColor(clWhite);
  image->SetBevelOuterColor(clNavy);
  image->SetWallpaper(paper);
  image->Font()->SetColor(clNavy);
  image->SetCaption("Image panel");
  auto* round = Make<TepRndPanel>(136, 8, 70, 60);
  round->SetBevelOuterColor(clMaroon);
  round->SetBevelWidth(2);
  round->SetCaption("Round");
  auto* rect = Make<TepRndPanel>(214, 8, 80, 60);
  rect->SetPanelKind(pkRndRect);
  rect->SetRadius(12);
  rect->SetColor(clSilver);
  rect->SetCaption("Rounded");
  auto* shadow = Make<TepShadowPanel>(8, 80, 120, 60);
  shadow->SetShadowWidth(6);
  shadow->SetCaption("Shadow");
  auto* effect = Make<TepEffectRndPanel>(136, 80, 70, 60);
  effect->SetColor(clYellow);
  effect->SetMiddleTransparent(true);
  effect->SetNoise(true);
  effect->SetCaption("Effect");
  auto* reg = Make<TepRegulator>(214, 76, 24, 120);
  reg->SetValue(70);
  reg->SetBtnColor(clTeal);
  auto* on = Make<TepSwitch>(246, 80, 20, 0);
  on->SetState(Epctrls::sOn);
  Make<TepSwitch>(272, 80, 20, 0);
  const TepBevelShape shapes[] = {bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine};
  for (int i = 0; i < 6; ++i) {
    auto* bevel = Make<TepBevel>(8 + i * 34, 150, 28, 28);
    bevel->SetShape(shapes[i]);
    bevel->SetStyle(i % 2 ? bsRaised : bsLowered);
  }
  TBitmap strip;
  strip.SetSize(16, 16);
  strip.Canvas()->Brush()->SetColor(clFuchsia);
  strip.Canvas()->FillRect(Rect(0, 0, 16, 16));
  strip.Canvas()->Brush()->SetColor(clLime);
  strip.Canvas()->Ellipse(1, 1, 15, 15);
  auto* tiles = Make<TepImage>(8, 184, 100, 32);
  tiles->SetGlyph(&strip);
  tiles->SetGlyphTransparent(true);
  tiles->SetStretch(true);
  form->Repaint();

  TBitmap sheet;
  sheet.SetPixelFormat(pf24bit);
  sheet.SetSize(form->Width(), form->Height());
  HDC screen = GetDC(nullptr);
  BitBlt(sheet.Canvas()->Handle(), 0, 0, form->Width(), form->Height(), screen, form->Left(),
         form->Top(), SRCCOPY);
  ReleaseDC(nullptr, screen);
  const std::string bmp = std::string(WT_BINARY_DIR) + "/skin-panels-demo.bmp";
  const std::string png = std::string(WT_BINARY_DIR) + "/skin-panels-demo.png";
  sheet.SaveToFile(bmp.c_str());
  ASSERT_EQ(std::system(("convert '" + bmp + "' '" + png + "'").c_str()), 0);
  EXPECT_EQ(sheet.Canvas()->Pixels(tiles->Left() + 50, tiles->Top() + 16), ColorToRGB(clLime));
  EXPECT_EQ(sheet.Canvas()->Pixels(reg->Left() + 12, reg->Top() + reg->KnobY()), ColorToRGB(clTeal))
      << "windowed controls are on the sheet";
}
