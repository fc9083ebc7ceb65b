#include "skin/Grutils.h"

#include "SkinPixels.h"

#include "platform/ui/Forms.h"

#include <gtest/gtest.h>

namespace {

const TPalette kColors{{'.', clWhite},  {'t', clRed},  {'b', clBlue},   {'g', clLime},
                       {'y', clYellow}, {'a', clAqua}, {'f', clFuchsia}};

std::vector<std::string> Blank(int w, int h) {
  return std::vector<std::string>(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '.'));
}

TEST(Frames, Frm3DTopLeftThenBottomRightPerRing) {
  const struct {
    TRect rect;
    int width;
    std::vector<std::string> out;
  } cases[] = {
      {{0, 0, 6, 5}, 1, {"tttttb", "t....b", "t....b", "t....b", "bbbbbb"}},
      {{0, 0, 6, 5}, 2, {"tttttb", "ttttbb", "tt..bb", "tbbbbb", "bbbbbb"}},
      {{1, 1, 4, 3}, 1, {"......", ".ttb..", ".bbb..", "......", "......"}},
      {{0, 0, 6, 5}, 0, {"......", "......", "......", "......", "......"}},
  };
  for (const auto& c : cases) {
    TBitmap b;
    Paint(b, Blank(6, 5), kColors);
    Frm3D(b.Canvas(), c.rect, clRed, clBlue, c.width);
    EXPECT_EQ(Picture(b, kColors), c.out) << c.width;
  }
}

// The first colour met going from an edge's middle towards the centre.
char FromEdge(TBitmap& b, int x, int y, int dx, int dy) {
  for (; x >= 0 && y >= 0 && x < b.Width() && y < b.Height(); x += dx, y += dy) {
    const std::string row = Picture(b, kColors)[static_cast<size_t>(y)];
    if (row[static_cast<size_t>(x)] != '.')
      return row[static_cast<size_t>(x)];
  }
  return '.';
}

TEST(Frames, RoundFramesLightUpperLeftDarkLowerRight) {
  for (auto [w, h] : {std::pair{40, 40}, {40, 20}, {20, 40}}) {
    TBitmap b;
    Paint(b, Blank(w, h), kColors);
    RndFrm3D(b.Canvas(), clRed, clBlue, TRect{0, 0, w, h}, 2);
    EXPECT_EQ(FromEdge(b, w / 2, 0, 0, 1), 't') << w << "x" << h << " top";
    EXPECT_EQ(FromEdge(b, 0, h / 2, 1, 0), 't') << w << "x" << h << " left";
    EXPECT_EQ(FromEdge(b, w / 2, h - 1, 0, -1), 'b') << w << "x" << h << " bottom";
    EXPECT_EQ(FromEdge(b, w - 1, h / 2, -1, 0), 'b') << w << "x" << h << " right";
    EXPECT_EQ(b.Canvas()->Pixels(w / 2, h / 2), clWhite) << "only the rim";
  }
  TBitmap b;
  Paint(b, Blank(40, 30), kColors);
  RndRectFrm3D(b.Canvas(), TRect{0, 0, 40, 30}, clRed, clBlue, 12, 3);
  EXPECT_EQ(FromEdge(b, 20, 0, 0, 1), 't');
  EXPECT_EQ(FromEdge(b, 0, 15, 1, 0), 't');
  EXPECT_EQ(FromEdge(b, 20, 29, 0, -1), 'b');
  EXPECT_EQ(FromEdge(b, 39, 15, -1, 0), 'b');
  EXPECT_EQ(FromEdge(b, 39, 0, -1, 1), 'b') << "the upper-right corner's outer half";
  EXPECT_EQ(FromEdge(b, 0, 29, 1, -1), 't') << "the lower-left corner";
  const std::vector<std::string> picture = Picture(b, kColors);
  EXPECT_EQ(picture[0][20], 't') << "the pen stays inside the rectangle";
  EXPECT_EQ(picture[29][20], 'b');

  Paint(b, Blank(40, 30), kColors);
  RndRectFrm3D(b.Canvas(), TRect{0, 0, 40, 30}, clNone, clBlue, 12, 1);
  EXPECT_EQ(FromEdge(b, 20, 0, 0, 1), 'b') << "no top edge: the bottom one is met";
  EXPECT_EQ(FromEdge(b, 20, 29, 0, -1), 'b');
}

// A shown form with painted and windowless and windowed children, to copy
// what lies under a control.
class TBlock : public TGraphicControl {
public:
  TBlock(TComponent* AOwner, TColor AColor) : TGraphicControl(AOwner), color(AColor) {}

protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(color);
    Canvas()->FillRect(TRect{0, 0, Width(), Height()});
  }

private:
  TColor color;
};

class TWindowBlock : public TCustomControl {
public:
  TWindowBlock(TComponent* AOwner, TColor AColor) : TCustomControl(AOwner), color(AColor) {}

protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(color);
    Canvas()->FillRect(TRect{0, 0, Width(), Height()});
  }

private:
  TColor color;
};

class ParentImage : public testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    form = new TForm(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(40, 30, 60, 40);
    form->SetColor(clLime);
    // The form paints a yellow band over its left half.
    form->OnPaint = [this](TObject*) {
      form->Canvas()->Brush()->SetColor(clYellow);
      form->Canvas()->FillRect(TRect{0, 0, 30, 40});
    };
    Place(new TBlock(form, clRed), 10, 10, 10, 10);           // below, overlapping
    Place(new TWindowBlock(form, clAqua), 26, 10, 8, 4);      // below, windowed
    Place(new TBlock(form, clFuchsia), 50, 30, 5, 5);         // below, apart
    control = Place(new TBlock(form, clBlue), 15, 8, 20, 10); // the control
    Place(new TBlock(form, clFuchsia), 16, 9, 3, 3);          // above it
    form->Show();
    for (int i = 0; i < 5; ++i)
      Application->ProcessMessages();
  }
  void TearDown() override {
    delete form;
    Application->ProcessMessages();
  }
  TControl* Place(TControl* c, int x, int y, int w, int h) {
    c->SetParent(form);
    c->SetBounds(x, y, w, h);
    return c;
  }

  TForm* form = nullptr;
  TControl* control = nullptr;
};

TEST_F(ParentImage, UnderTheControlInItsOwnCoordinates) {
  TBitmap image;
  Paint(image, Blank(20, 10), kColors);
  CopyParentImage(control, image.Canvas());
  // The control spans x 15..34, y 8..17 of the form: yellow left of x 30,
  // the red block at x 15..19 from y 10, the form's own colour is not
  // painted (the caller fills it), the windowed block and anything above
  // the control not at all.
  const std::vector<std::string> expected{"yyyyyyyyyyyyyyy.....", "yyyyyyyyyyyyyyy.....",
                                          "tttttyyyyyyyyyy.....", "tttttyyyyyyyyyy.....",
                                          "tttttyyyyyyyyyy.....", "tttttyyyyyyyyyy.....",
                                          "tttttyyyyyyyyyy.....", "tttttyyyyyyyyyy.....",
                                          "tttttyyyyyyyyyy.....", "tttttyyyyyyyyyy....."};
  EXPECT_EQ(Picture(image, kColors), expected);

  Paint(image, Blank(20, 10), kColors);
  CopyParentImage1(control, image.Canvas());
  std::vector<std::string> withWindow = expected;
  for (int y = 2; y < 6; ++y)
    for (int x = 11; x < 19; ++x)
      withWindow[static_cast<size_t>(y)][static_cast<size_t>(x)] = 'a';
  EXPECT_EQ(Picture(image, kColors), withWindow);
}

TEST_F(ParentImage, ScreenImageShowsTheFormWhereItIs) {
  TBitmap shot;
  shot.SetSize(6, 4);
  GetScreenImage(form->Left() + 27, form->Top() + 20, &shot);
  const std::vector<std::string> picture = Picture(shot, kColors);
  EXPECT_EQ(picture, (std::vector<std::string>(4, "yyyggg")));
}

} // namespace
