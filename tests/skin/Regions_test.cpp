// Shaped controls: the form cut to a mask and dragged by its skin, its
// stored region, and the windowless shapes.
#include "skin/Regions.h"

#include "platform/rtl/Streams.h"
#include "platform/ui/Extctrls.h"
#include "platform/ui/Layout.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/skin/SkinPixels.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// A 40 x 30 mask: black from (5, 5) to (34, 27) with the top-right corner
// (30..34, 5..9) cut away.
void PaintMask(TBitmap& Mask) {
  Mask.SetSize(40, 30);
  Mask.Canvas()->Brush()->SetColor(clWhite);
  Mask.Canvas()->FillRect(Rect(0, 0, 40, 30));
  Mask.Canvas()->Brush()->SetColor(clBlack);
  Mask.Canvas()->FillRect(Rect(5, 5, 35, 28));
  Mask.Canvas()->Brush()->SetColor(clWhite);
  Mask.Canvas()->FillRect(Rect(30, 5, 35, 10));
}

COLORREF Rgb(TColor Color) {
  return static_cast<COLORREF>(ColorToRGB(Color));
}

std::vector<RECT> Rectangles(HRGN Region) {
  const DWORD size = GetRegionData(Region, 0, nullptr);
  std::vector<uint8_t> data(size);
  GetRegionData(Region, size, reinterpret_cast<RGNDATA*>(data.data()));
  std::vector<RECT> rects(reinterpret_cast<RGNDATA*>(data.data())->rdh.nCount);
  std::memcpy(rects.data(), data.data() + 32, rects.size() * sizeof(RECT));
  return rects;
}

const TLayoutValue* FindProperty(const TLayoutObject& Object, const char* Name) {
  for (const auto& property : Object.Properties)
    if (property.Name == Name)
      return &property.Value;
  return nullptr;
}

class RegionForm : public FormTest {
protected:
  TepRegionForm* MakeShaped() {
    auto* shaped = new TepRegionForm(form);
    shaped->SetName("rgnSkin");
    shaped->SetParent(form);
    return shaped;
  }
};

} // namespace

TEST_F(RegionForm, DroppedOnAFormItFillsItAndTakesItsBorder) {
  form->SetBorderStyle(bsSingle);
  TepRegionForm* shaped = MakeShaped();
  EXPECT_EQ(form->BorderStyle(), bsNone);
  EXPECT_FALSE(form->Scaled);
  EXPECT_EQ(shaped->Align(), alClient);
  EXPECT_EQ(shaped->BoundsRect(), form->ClientRect());
  EXPECT_TRUE(shaped->Draggable());
  EXPECT_TRUE(shaped->ShowTitle());
  EXPECT_FALSE(shaped->ShowBevel());
  EXPECT_EQ(shaped->TitleHeight(), 17);
  EXPECT_EQ(shaped->Color(), clBtnFace);
  EXPECT_EQ(shaped->WindowRegion(), nullptr);

  auto* panel = Make<TPanel>(0, 0, 50, 50);
  auto* other = new TepRegionForm(form);
  try {
    other->SetParent(panel);
    ADD_FAILURE() << "a panel was taken as a form";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Drop the RegionForm on a FORM!");
  }
  delete other;

  TComponent plain(nullptr);
  EXPECT_THROW(TepRegionForm{&plain}, EInvalidCast);
}

TEST_F(RegionForm, TheMaskShapesTheFormAndAnEmptyMaskChangesNothing) {
  TepRegionForm* shaped = MakeShaped();
  TBitmap empty;
  shaped->SetMask(&empty);
  EXPECT_EQ(shaped->WindowRegion(), nullptr);
  EXPECT_EQ(form->ClientWidth(), 300);

  TBitmap mask;
  PaintMask(mask);
  shaped->SetMask(&mask);
  EXPECT_EQ(form->ClientWidth(), 40);
  EXPECT_EQ(form->ClientHeight(), 30);
  ASSERT_NE(shaped->WindowRegion(), nullptr);
  EXPECT_EQ(form->WindowRgn(), shaped->WindowRegion());
  struct Case {
    int x, y;
    bool inside;
  } cases[] = {{5, 5, true},   {34, 27, true},  {29, 5, true},   {30, 5, false}, {34, 10, true},
               {4, 10, false}, {35, 20, false}, {20, 28, false}, {0, 0, false},  {20, 4, false}};
  for (const Case& c : cases)
    EXPECT_EQ(PtInRegion(form->WindowRgn(), c.x, c.y) != 0, c.inside) << c.x << "," << c.y;

  // A new mask replaces the shape; the window frees the region it had.
  TBitmap small;
  Paint(small, {"KW", "KK"}, {{'K', clBlack}, {'W', clWhite}});
  shaped->SetMask(&small);
  EXPECT_EQ(form->ClientWidth(), 2);
  EXPECT_EQ(form->WindowRgn(), shaped->WindowRegion());
  EXPECT_FALSE(PtInRegion(form->WindowRgn(), 1, 0));
  EXPECT_TRUE(PtInRegion(shaped->FillRegion(), 1, 1));
}

// A mask without a black pixel is no outline: the window stays (or becomes
// again) the plain rectangle, visible and clickable, and is stored so.
TEST_F(RegionForm, AnAllWhiteMaskMeansNoShape) {
  TepRegionForm* shaped = MakeShaped();
  TBitmap white;
  Paint(white, {"WWWW", "WWWW"}, {{'W', clWhite}});
  shaped->SetMask(&white);
  EXPECT_EQ(form->ClientWidth(), 4);
  EXPECT_EQ(shaped->WindowRegion(), nullptr);
  EXPECT_EQ(form->WindowRgn(), nullptr);

  TBitmap mask;
  PaintMask(mask);
  shaped->SetMask(&mask);
  ASSERT_NE(form->WindowRgn(), nullptr);
  shaped->SetMask(&white);
  EXPECT_EQ(shaped->WindowRegion(), nullptr);
  EXPECT_EQ(shaped->FillRegion(), nullptr);
  EXPECT_EQ(form->WindowRgn(), nullptr);
  const TLayoutObject tree = ParseLayout(WriteComponentLayout(form), "white.lay");
  const TLayoutValue* region = FindProperty(tree.Children[0], "Region");
  ASSERT_NE(region, nullptr);
  EXPECT_EQ(region->Bytes, (std::vector<uint8_t>{0, 0, 0, 0}));

  // A stored block of no rectangles reads the same way.
  std::vector<uint8_t> empty(32, 0);
  const uint32_t header[] = {32, 1, 0, 0};
  std::memcpy(empty.data(), header, sizeof header);
  shaped->SetMask(&mask);
  shaped->NewRegion(static_cast<uint32_t>(empty.size()), empty.data());
  EXPECT_EQ(shaped->WindowRegion(), nullptr);
  EXPECT_EQ(form->WindowRgn(), nullptr);
}

TEST_F(RegionForm, OffsetCopiesFollowTheControlsPlace) {
  TepRegionForm* shaped = MakeShaped();
  shaped->SetAlign(alNone);
  shaped->SetBounds(10, 20, 40, 30);
  TBitmap mask;
  PaintMask(mask);
  shaped->SetMask(&mask);
  HRGN expected = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(expected, shaped->WindowRegion(), nullptr, RGN_COPY);
  OffsetRgn(expected, -10, -20);
  EXPECT_TRUE(EqualRgn(expected, shaped->FillRegion()));
  DeleteObject(expected);
}

TEST_F(RegionForm, StoredRegionIsACountAndTheRegionData) {
  TepRegionForm* shaped = MakeShaped();
  {
    const TLayoutObject tree = ParseLayout(WriteComponentLayout(form), "plain.lay");
    ASSERT_EQ(tree.Children.size(), 1u);
    const TLayoutValue* region = FindProperty(tree.Children[0], "Region");
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(region->Bytes, (std::vector<uint8_t>{0, 0, 0, 0}));
  }

  TBitmap mask;
  PaintMask(mask);
  shaped->SetMask(&mask);
  shaped->SetShowBevel(true);
  shaped->SetTitleHeight(9);
  const AnsiString written = WriteComponentLayout(form);
  const TLayoutObject tree = ParseLayout(written, "shaped.lay");
  const TLayoutValue* region = FindProperty(tree.Children[0], "Region");
  ASSERT_NE(region, nullptr);
  // The platform merges equal rows: rows 5..9 make one rectangle, rows
  // 10..27 another.
  const uint32_t n = 32 + 16 * 2;
  ASSERT_EQ(region->Bytes.size(), 4 + n);
  uint32_t count = 0;
  std::memcpy(&count, region->Bytes.data(), 4);
  EXPECT_EQ(count, n);
  for (const char* name : {"Draggable", "ShowTitle", "ShowBevel", "TitleHeight", "Align"})
    EXPECT_NE(FindProperty(tree.Children[0], name), nullptr) << name;

  // A form read from the layout takes its outline from the stored region,
  // not from its mask.
  auto* again = new TForm(nullptr);
  ReadComponentLayout(again, written, "shaped.lay");
  auto* copy = dynamic_cast<TepRegionForm*>(again->FindComponent("rgnSkin"));
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(again->WindowRgn(), nullptr);
  EXPECT_TRUE(EqualRgn(again->WindowRgn(), form->WindowRgn()));
  const std::vector<RECT> rects = Rectangles(again->WindowRgn());
  ASSERT_EQ(rects.size(), 2u);
  const RECT first{5, 5, 30, 10};
  const RECT second{5, 10, 35, 28};
  EXPECT_TRUE(EqualRect(&rects[0], &first));
  EXPECT_TRUE(EqualRect(&rects[1], &second));
  EXPECT_TRUE(copy->ShowBevel());
  EXPECT_EQ(copy->TitleHeight(), 9);
  EXPECT_EQ(copy->Mask()->Width(), 40);
  delete again;
  Pump();
}

TEST_F(RegionForm, DamagedRegionDataIsRefusedAndTheShapeStays) {
  TepRegionForm* shaped = MakeShaped();
  TBitmap mask;
  PaintMask(mask);
  shaped->SetMask(&mask);
  HRGN before = shaped->WindowRegion();

  std::unique_ptr<uint8_t[]> data;
  TMemoryStream good;
  WriteRegionData(before, good);
  const uint32_t size = static_cast<uint32_t>(good.Size() - 4);
  std::vector<uint8_t> block(static_cast<size_t>(good.Size()));
  good.SetPosition(0);
  good.ReadBuffer(block.data(), static_cast<int>(block.size()));

  // A count beyond the bytes that follow.
  TMemoryStream cut;
  cut.WriteBuffer(block.data(), static_cast<int>(block.size()) - 16);
  cut.SetPosition(0);
  EXPECT_THROW(ReadRegionData(cut, data), EReadError);

  // A header that does not describe rectangles.
  std::vector<uint8_t> wrong(block.begin() + 4, block.end());
  wrong[4] = 7;
  EXPECT_THROW(shaped->NewRegion(size, wrong.data()), EReadError);
  EXPECT_EQ(shaped->WindowRegion(), before);
  EXPECT_EQ(form->WindowRgn(), before);

  // Through a layout: the reader names the trouble.
  const AnsiString layout = "object Form: TForm\n"
                            "  object rgnSkin: TepRegionForm\n"
                            "    Region = {FFFFFFFF0000}\n"
                            "  end\n"
                            "end\n";
  auto* other = new TForm(nullptr);
  EXPECT_THROW(ReadComponentLayout(other, layout, "broken.lay"), EReadError);
  EXPECT_EQ(other->WindowRgn(), nullptr);
  delete other;
}

TEST_F(RegionForm, PaintsTitleBandBevelAndOutline) {
  TepRegionForm* shaped = MakeShaped();
  TBitmap mask;
  PaintMask(mask);
  // The title band's region is made with the shape.
  shaped->SetTitleHeight(6);
  shaped->SetMask(&mask);
  shaped->SetShowBevel(true);
  Pump();
  const COLORREF caption = Rgb(Application->Active() ? clActiveCaption : clInactiveCaption);
  const COLORREF face = Rgb(clBtnFace);
  struct Case {
    int x, y;
    COLORREF color;
  } cases[] = {
      {5, 15, 0},                   // outline, left edge
      {34, 15, 0},                  // outline, right edge
      {20, 27, 0},                  // outline, bottom edge
      {6, 15, Rgb(clBtnHighlight)}, // light edge inside the left
      {33, 15, Rgb(clBtnShadow)},   // dark edge inside the right
      {15, 8, caption},             // title band
      {15, 10, caption},            // its last row: 5 + 6 - 1
      {15, 11, face},               // below it
      {15, 20, face},
      {2, 2, face}, // outside the shape
  };
  for (const Case& c : cases)
    EXPECT_EQ(PixelAt(form, c.x, c.y), c.color) << c.x << "," << c.y;

  shaped->SetShowTitle(false);
  EXPECT_EQ(PixelAt(form, 15, 8), face);
}

TEST_F(RegionForm, APictureIsTheSkinAndTurnsTheDrawnFaceOff) {
  TepRegionForm* shaped = MakeShaped();
  shaped->SetShowBevel(true);
  TPicture picture;
  Paint(*picture.Bitmap(), {"RG", "BR"}, {{'R', clRed}, {'G', clLime}, {'B', clBlue}});
  shaped->SetPicture(&picture);
  EXPECT_FALSE(shaped->ShowTitle());
  EXPECT_FALSE(shaped->ShowBevel());
  EXPECT_EQ(PixelAt(form, 0, 0), Rgb(clRed));
  EXPECT_EQ(PixelAt(form, 1, 0), Rgb(clLime));
  EXPECT_EQ(PixelAt(form, 0, 1), Rgb(clBlue));
}

TEST_F(RegionForm, PressingAnywhereDragsTheFormUnlessNotDraggable) {
  TepRegionForm* shaped = MakeShaped();
  int presses = 0;
  shaped->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++presses; };
  const TPoint start = At(shaped, 50, 40);
  SimulateMouseDown(start, mbLeft);
  SimulateMouseMove(Point(start.X + 15, start.Y + 7));
  SimulateMouseMove(Point(start.X + 25, start.Y - 3));
  SimulateMouseUp(Point(start.X + 25, start.Y - 3), mbLeft);
  Pump();
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(form->Left(), 80 + 25);
  EXPECT_EQ(form->Top(), 80 - 3);
  EXPECT_EQ(form->Width(), 300);
  EXPECT_EQ(form->Height(), 220);

  // Once released, moving changes nothing.
  SimulateMouseMove(Point(start.X + 40, start.Y + 40));
  Pump();
  EXPECT_EQ(form->Left(), 105);

  shaped->SetDraggable(false);
  const TPoint p = At(shaped, 50, 40);
  SimulateMouseDown(p, mbLeft);
  SimulateMouseMove(Point(p.X + 15, p.Y + 7));
  SimulateMouseUp(Point(p.X + 15, p.Y + 7), mbLeft);
  Pump();
  EXPECT_EQ(presses, 2);
  EXPECT_EQ(form->Left(), 105);
  EXPECT_EQ(form->Top(), 77);
}

TEST_F(RegionForm, TheFormsWindowProcedureIsHookedUntilEitherGoes) {
  TepRegionForm* shaped = MakeShaped();
  // The skin paints everything: erasing is answered without the form's own.
  EXPECT_EQ(form->Perform(WM_ERASEBKGND, 0, 0), 0);
  int deactivations = 0;
  form->OnDeactivate = [&](TObject*) { ++deactivations; };
  form->Perform(WM_ACTIVATE, WA_ACTIVE, 0);
  form->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(deactivations, 1); // passed on to the form
  // A control freed before its form gives the procedure back.
  delete shaped;
  form->Perform(WM_ACTIVATE, WA_ACTIVE, 0);
  form->Perform(WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(deactivations, 2);

  // A form freed with its control: the destruction message unhooks it.
  auto* other = new TForm(nullptr);
  new TepRegionForm(other);
  delete other;
}

// ---------------------------------------------------------------- region controls

namespace {

const TPalette edgeColors = {{'.', clYellow},  {'H', clBtnHighlight}, {'S', clBtnShadow},
                             {'F', clBtnFace}, {'D', cl3DDkShadow},   {'L', cl3DLight},
                             {'K', clBlack},   {'B', clBlue},         {'R', clRed}};

class RegionControls : public FormTest {
protected:
  template <class T> T* MakeShape(int x, int y, const std::vector<std::string>& rows) {
    auto* c = Make<T>(x, y, 1, 1);
    TBitmap mask;
    Paint(mask, rows, {{'.', clWhite}, {'K', clBlack}, {'R', clRed}});
    c->SetMask(&mask);
    return c;
  }
};

} // namespace

TEST_F(RegionControls, TheShapeIsEveryPixelThatIsNotPureWhite) {
  auto* shape = MakeShape<TepRegionGraphicControl>(10, 10,
                                                   {"..K...", //
                                                    ".KRK..", //
                                                    "..K...", //
                                                    "......"});
  EXPECT_EQ(shape->Width(), 6);
  EXPECT_EQ(shape->Height(), 4);
  std::string inside;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x)
      inside += PtInRegion(shape->Region(), x, y) ? 'K' : '.';
  EXPECT_EQ(inside, "..K....KKK....K.........");

  auto* white = MakeShape<TepRegionGraphicControl>(0, 0, {"...", "..."});
  RECT box;
  EXPECT_EQ(GetRgnBox(white->Region(), &box), NULLREGION);
  auto* black = MakeShape<TepRegionGraphicControl>(0, 0, {"KKK", "KKK"});
  const RECT whole{0, 0, 3, 2};
  EXPECT_EQ(GetRgnBox(black->Region(), &box), SIMPLEREGION);
  EXPECT_TRUE(EqualRect(&box, &whole));

  // An empty mask is only copied.
  TBitmap empty;
  black->SetMask(&empty);
  EXPECT_TRUE(black->Mask()->Empty());
  EXPECT_EQ(black->Width(), 3);
  EXPECT_TRUE(PtInRegion(black->Region(), 2, 1));
}

TEST_F(RegionControls, AShapeIsFilledWithItsColourAndStoredWithTheLayout) {
  auto* shape = MakeShape<TepRegionGraphicControl>(10, 10, {".K.", "KKK", ".K."});
  EXPECT_EQ(shape->Color(), clWhite);
  shape->SetName("shpDot");
  shape->SetColor(clRed);
  Pump();
  EXPECT_EQ(PixelAt(form, 11, 11), Rgb(clRed));
  EXPECT_EQ(PixelAt(form, 11, 10), Rgb(clRed));
  EXPECT_NE(PixelAt(form, 10, 10), Rgb(clRed));
  EXPECT_NE(PixelAt(form, 12, 12), Rgb(clRed));

  // Only a colour other than the window colour is stored.
  auto* plain = Make<TepRegionGraphicControl>(60, 10, 5, 5);
  plain->SetName("shpPlain");
  plain->SetColor(clWindow);
  const AnsiString written = WriteComponentLayout(form);
  const TLayoutObject tree = ParseLayout(written, "shape.lay");
  ASSERT_EQ(tree.Children.size(), 2u);
  EXPECT_EQ(FindProperty(tree.Children[1], "Color"), nullptr) << written;
  ASSERT_NE(FindProperty(tree.Children[0], "Color"), nullptr) << written;
  EXPECT_EQ(FindProperty(tree.Children[0], "Color")->Text, "clRed");

  auto* again = new TForm(nullptr);
  ReadComponentLayout(again, written, "shape.lay");
  auto* copy = dynamic_cast<TepRegionGraphicControl*>(again->FindComponent("shpDot"));
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy->Region(), nullptr);
  EXPECT_TRUE(EqualRgn(copy->Region(), shape->Region()));
  delete again;

  // A count of 0 reads as no shape: nothing is painted.
  const AnsiString none = "object Form: TForm\n"
                          "  object shpNone: TepRegionGraphicControl\n"
                          "    Color = clRed\n"
                          "    Region = {00000000}\n"
                          "  end\n"
                          "end\n";
  auto* empty = new TForm(nullptr);
  ReadComponentLayout(empty, none, "none.lay");
  auto* blank = dynamic_cast<TepRegionGraphicControl*>(empty->FindComponent("shpNone"));
  ASSERT_NE(blank, nullptr);
  EXPECT_EQ(blank->Region(), nullptr);
  EXPECT_EQ(blank->Width(), 50);
  delete empty;
}

TEST(RegionEdges, OnePixelEdgesOutsideTheShapeThenTheFace) {
  struct Case {
    bool down;
    std::vector<std::string> picture;
  } cases[] = {
      {false, {"HHHH..", "HFFFF.", "HFFFFS", "HFFFFS", ".FFFFS", "..SSSS"}},
      {true, {"SSSS..", "SFFFF.", "SFFFFH", "SFFFFH", ".FFFFH", "..HHHH"}},
  };
  for (const Case& c : cases) {
    TBitmap bitmap;
    Paint(bitmap, std::vector<std::string>(6, "......"), edgeColors);
    HRGN fill = CreateRectRgn(1, 1, 5, 5);
    HRGN upper = CreateRectRgn(1, 1, 5, 5);
    HRGN lower = CreateRectRgn(1, 1, 5, 5);
    DrawRegionEdge(bitmap.Canvas(), fill, upper, lower, c.down, true);
    EXPECT_EQ(Picture(bitmap, edgeColors), c.picture) << c.down;
    // The edge copies are back in place.
    EXPECT_TRUE(EqualRgn(upper, fill));
    EXPECT_TRUE(EqualRgn(lower, fill));
    DeleteObject(fill);
    DeleteObject(upper);
    DeleteObject(lower);
  }
}

TEST(RegionEdges, TheStandardEdgeIsTwoPixelsWide) {
  TBitmap bitmap;
  Paint(bitmap, std::vector<std::string>(8, "........"), edgeColors);
  HRGN fill = CreateRectRgn(2, 2, 6, 6);
  HRGN upper = CreateRectRgn(2, 2, 6, 6);
  HRGN lower = CreateRectRgn(2, 2, 6, 6);
  DrawRegionEdgeStd(bitmap.Canvas(), fill, upper, lower, false, true);
  const std::vector<std::string> picture = Picture(bitmap, edgeColors);
  EXPECT_EQ(picture[4], "HLFFFFSD");
  EXPECT_EQ(picture[0], "HHHHHH..");
  EXPECT_EQ(picture[7], "..DDDDDD");
  EXPECT_TRUE(EqualRgn(upper, fill));
  EXPECT_TRUE(EqualRgn(lower, fill));
  DeleteObject(fill);
  DeleteObject(upper);
  DeleteObject(lower);
}

TEST(ButtonGlyph, FramesFromTheStripAndAnEmbossedDisabledLook) {
  TButtonGlyph glyph;
  EXPECT_EQ(glyph.TransparentColor(), clFuchsia);
  TBitmap strip;
  Paint(strip, {"BBRR", "WBWR"}, {{'B', clBlue}, {'R', clRed}, {'W', clWhite}});
  glyph.SetGlyph(&strip);
  EXPECT_EQ(glyph.NumGlyphs(), 2);
  EXPECT_EQ(glyph.TransparentColor(), clWhite);
  TBitmap wide;
  wide.SetSize(10, 2);
  glyph.SetGlyph(&wide);
  EXPECT_EQ(glyph.NumGlyphs(), 1);

  struct Case {
    TButtonState state;
    std::vector<std::string> picture;
  } cases[] = {
      {TButtonState::bsUp, {"BB", ".B"}},
      {TButtonState::bsDisabled, {"RR", ".R"}},
      {TButtonState::bsDown, {"BB", ".B"}}, // no third frame: the first
  };
  glyph.SetGlyph(&strip);
  for (const Case& c : cases) {
    TBitmap target;
    Paint(target, {"..", ".."}, edgeColors);
    glyph.Draw(target.Canvas(), Rect(0, 0, 2, 2), Point(0, 0), "", TButtonLayout::blGlyphLeft, 0, 0,
               c.state);
    EXPECT_EQ(Picture(target, edgeColors), c.picture) << static_cast<int>(c.state);
  }

  // One frame: the disabled look is the shape pressed into the face.
  TBitmap single;
  Paint(single, {"...", ".B.", "..."}, {{'B', clBlue}, {'.', clWhite}});
  glyph.SetGlyph(&single);
  EXPECT_EQ(glyph.NumGlyphs(), 1);
  TBitmap target;
  Paint(target, {"...", "...", "..."}, edgeColors);
  glyph.Draw(target.Canvas(), Rect(0, 0, 3, 3), Point(0, 0), "", TButtonLayout::blGlyphLeft, 0, 0,
             TButtonState::bsDisabled);
  EXPECT_EQ(Picture(target, edgeColors), (std::vector<std::string>{"...", ".S.", "..H"}));
}

TEST(ButtonGlyph, CaptionLinesAreCutToTheWidth) {
  TBitmap bitmap;
  bitmap.SetSize(10, 10);
  TCanvas* canvas = bitmap.Canvas();
  const int width = canvas->TextWidth("Hello w...");
  EXPECT_EQ(FitCaption(canvas, "Hello world", width), "Hello w...");
  EXPECT_EQ(FitCaption(canvas, "Hello world", 1000), "Hello world");
  EXPECT_EQ(FitCaption(canvas, "Hello world", 0), "H...");
  EXPECT_EQ(FitCaption(canvas, "Hi\r\nHello world", width), "Hi\r\nHello w...");
}

TEST_F(RegionControls, APressOutsideTheShapeDoesNothing) {
  auto* button = MakeShape<TepRegionSpeedButton>(20, 20,
                                                 {"..KKKK..", //
                                                  ".KKKKKK.", //
                                                  "KKKKKKKK", //
                                                  "KKKKKKKK", //
                                                  ".KKKKKK.", //
                                                  "..KKKK.."});
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  SimulateMouseDown(At(button, 0, 0), mbLeft);
  EXPECT_EQ(button->State(), TButtonState::bsUp);
  SimulateMouseUp(At(button, 0, 0), mbLeft);
  EXPECT_EQ(clicks, 0);

  SimulateMouseDown(At(button, 4, 3), mbLeft);
  EXPECT_EQ(button->State(), TButtonState::bsDown);
  // Dragged out of the shape the button comes up; back in, down again.
  SimulateMouseMove(At(button, 7, 0));
  EXPECT_EQ(button->State(), TButtonState::bsUp);
  SimulateMouseMove(At(button, 5, 4));
  EXPECT_EQ(button->State(), TButtonState::bsDown);
  SimulateMouseUp(At(button, 5, 4), mbLeft);
  EXPECT_EQ(button->State(), TButtonState::bsUp);
  EXPECT_EQ(clicks, 1);
  EXPECT_FALSE(button->Down()); // outside a group a button never stays down

  // Released outside the shape: no click.
  SimulateMouseDown(At(button, 4, 3), mbLeft);
  SimulateMouseUp(At(button, 0, 5), mbLeft);
  EXPECT_EQ(clicks, 1);
}

TEST_F(RegionControls, InAGroupClickingOneReleasesTheOther) {
  const std::vector<std::string> square(10, std::string(16, 'K'));
  auto* first = MakeShape<TepRegionSpeedButton>(10, 10, square);
  auto* second = MakeShape<TepRegionSpeedButton>(40, 10, square);
  first->SetGroupIndex(1);
  second->SetGroupIndex(1);
  ClickAt(first, 5, 5);
  EXPECT_TRUE(first->Down());
  EXPECT_EQ(first->State(), TButtonState::bsExclusive);
  // Without AllowAllUp a down button stays down when clicked again.
  ClickAt(first, 5, 5);
  EXPECT_TRUE(first->Down());
  ClickAt(second, 5, 5);
  EXPECT_TRUE(second->Down());
  EXPECT_FALSE(first->Down());
  EXPECT_EQ(first->State(), TButtonState::bsUp);

  // The exclusive look: the checkerboard of face and highlight.
  Pump();
  const COLORREF a = PixelAt(form, 40 + 8, 10 + 7);
  const COLORREF b = PixelAt(form, 40 + 9, 10 + 7);
  EXPECT_NE(a, b);
  for (COLORREF c : {a, b})
    EXPECT_TRUE(c == Rgb(clBtnFace) || c == Rgb(clBtnHighlight)) << std::hex << c;

  second->SetAllowAllUp(true);
  EXPECT_TRUE(first->AllowAllUp()); // the group shares it
  ClickAt(second, 5, 5);
  EXPECT_FALSE(second->Down());
}

TEST_F(RegionControls, AFlatButtonFollowsThePointerWhileEnabled) {
  auto* button =
      MakeShape<TepRegionSpeedButton>(10, 10, std::vector<std::string>(12, std::string(20, 'K')));
  button->SetFlat(true);
  SimulateMouseMove(At(button, 100, 100));
  Pump();
  EXPECT_FALSE(button->MouseInControl());
  SimulateMouseMove(At(button, 5, 5));
  Pump();
  EXPECT_TRUE(button->MouseInControl());
  SimulateMouseMove(At(button, 100, 100));
  Pump();
  EXPECT_FALSE(button->MouseInControl());
  // Disabled buttons do not follow the pointer.
  button->SetEnabled(false);
  SimulateMouseMove(At(button, 5, 5));
  Pump();
  EXPECT_FALSE(button->MouseInControl());
  EXPECT_EQ(button->State(), TButtonState::bsDisabled);
}

TEST_F(RegionControls, ASpeedButtonReadsBackFromItsLayout) {
  auto* button = MakeShape<TepRegionSpeedButton>(10, 10, {".KK.", "KKKK", ".KK."});
  button->SetName("btnShape");
  TBitmap strip;
  Paint(strip, {"BBRR", "WBWR"}, {{'B', clBlue}, {'R', clRed}, {'W', clWhite}});
  button->SetGlyph(&strip);
  button->SetLayout(TButtonLayout::blGlyphTop);
  button->SetMargin(2);
  button->SetGlyphPosX(3);
  button->SetGroupIndex(2);
  button->SetDown(true);
  button->SetCaption("Go");
  const AnsiString written = WriteComponentLayout(form);
  EXPECT_NE(written.find("Layout = blGlyphTop"), AnsiString::npos) << written;
  EXPECT_EQ(written.find("Spacing"), AnsiString::npos) << written; // the default 4

  auto* again = new TForm(nullptr);
  ReadComponentLayout(again, written, "button.lay");
  auto* copy = dynamic_cast<TepRegionSpeedButton*>(again->FindComponent("btnShape"));
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->Layout(), TButtonLayout::blGlyphTop);
  EXPECT_EQ(copy->Margin(), 2);
  EXPECT_EQ(copy->GlyphPosX(), 3);
  EXPECT_EQ(copy->NumGlyphs(), 2);
  EXPECT_TRUE(copy->Down());
  EXPECT_EQ(copy->Caption(), "Go");
  ASSERT_NE(copy->Region(), nullptr);
  EXPECT_TRUE(EqualRgn(copy->Region(), button->Region()));
  EXPECT_TRUE(EqualRgn(copy->UpperLeftRegion(), button->Region()));
  EXPECT_TRUE(EqualRgn(copy->LowerRightRegion(), button->Region()));
  delete again;

  button->SetMargin(-2); // refused
  EXPECT_EQ(button->Margin(), 2);
}

TEST_F(RegionControls, TheGlyphIsLaidOutFromGlyphPosX) {
  auto* button =
      MakeShape<TepRegionSpeedButton>(10, 10, std::vector<std::string>(20, std::string(40, 'K')));
  TBitmap glyph;
  Paint(glyph, {"BBBB", "BBBB", "BBBB", ".BBB"}, {{'B', clBlue}, {'.', clWhite}});
  button->SetGlyph(&glyph);
  button->SetMargin(0);
  button->SetGlyphPosX(10);
  Pump();
  // Glyph rows 8..11 of the button, columns 10..13.
  EXPECT_EQ(PixelAt(form, 10 + 10, 10 + 8), Rgb(clBlue));
  EXPECT_EQ(PixelAt(form, 10 + 13, 10 + 8), Rgb(clBlue));
  EXPECT_EQ(PixelAt(form, 10 + 9, 10 + 8), Rgb(clBtnFace));
  EXPECT_EQ(PixelAt(form, 10 + 14, 10 + 8), Rgb(clBtnFace));
  EXPECT_EQ(PixelAt(form, 10 + 10, 10 + 11), Rgb(clBtnFace)); // transparent corner
  EXPECT_EQ(PixelAt(form, 10 + 11, 10 + 11), Rgb(clBlue));
}

namespace {

// The window's pixels as they were last painted.
void Snapshot(TWinControl* Window, TBitmap& Into) {
  Window->Repaint();
  Into.SetSize(Window->Width(), Window->Height());
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, Window->Impl()->Surface());
  BitBlt(Into.Canvas()->Handle(), 0, 0, Window->Width(), Window->Height(), dc, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
}

} // namespace

TEST_F(RegionControls, DemoSheet) {
  // A shaped form: a rounded outline with title band and bevel.
  auto* shapedForm = new TForm(nullptr);
  shapedForm->Show();
  auto* skin = new TepRegionForm(shapedForm);
  skin->SetParent(shapedForm);
  skin->SetShowBevel(true);
  TBitmap outline;
  outline.SetSize(120, 80);
  outline.Canvas()->Brush()->SetColor(clWhite);
  outline.Canvas()->FillRect(Rect(0, 0, 120, 80));
  outline.Canvas()->Brush()->SetColor(clBlack);
  outline.Canvas()->Pen()->SetColor(clBlack);
  outline.Canvas()->RoundRect(0, 0, 120, 80, 40, 40);
  skin->SetMask(&outline);

  // Region controls on the fixture's form: a shape and four buttons.
  form->SetColor(clTeal);
  TBitmap disc;
  disc.SetSize(40, 40);
  disc.Canvas()->Brush()->SetColor(clWhite);
  disc.Canvas()->FillRect(Rect(0, 0, 40, 40));
  disc.Canvas()->Brush()->SetColor(clBlack);
  disc.Canvas()->Ellipse(0, 0, 40, 40);
  auto* shape = Make<TepRegionGraphicControl>(10, 10, 40, 40);
  shape->SetMask(&disc);
  shape->SetColor(clYellow);
  TBitmap glyph;
  Paint(glyph, {"BBBB", "BRRB", "BRRB", "WBBB"}, {{'B', clBlue}, {'R', clRed}, {'W', clWhite}});
  TBitmap pill;
  pill.SetSize(70, 30);
  pill.Canvas()->Brush()->SetColor(clWhite);
  pill.Canvas()->FillRect(Rect(0, 0, 70, 30));
  pill.Canvas()->Brush()->SetColor(clBlack);
  pill.Canvas()->RoundRect(0, 0, 70, 30, 30, 30);
  for (int i = 0; i < 4; ++i) {
    auto* button = Make<TepRegionSpeedButton>(60 + (i % 2) * 80, 10 + (i / 2) * 40, 70, 30);
    button->SetMask(&pill);
    button->SetGlyph(&glyph);
    button->SetCaption(i == 0 ? "Up" : i == 1 ? "Down" : i == 2 ? "Flat" : "Off");
    button->SetGroupIndex(i == 1 ? 1 : 0);
    button->SetDown(i == 1);
    button->SetFlat(i == 2);
    button->SetEnabled(i != 3);
  }
  auto* plain = Make<TepRegionSpeedButton>(60, 90, 70, 26);
  plain->SetCaption("No shape");
  Pump();

  TBitmap controls, shaped, sheet;
  Snapshot(form, controls);
  Snapshot(shapedForm, shaped);
  sheet.SetSize(controls.Width() + 130, controls.Height());
  sheet.Canvas()->Brush()->SetColor(clGray);
  sheet.Canvas()->FillRect(Rect(0, 0, sheet.Width(), sheet.Height()));
  sheet.Canvas()->Draw(0, 0, &controls);
  // Only the shape of the shaped form shows on the screen.
  HDC dc = sheet.Canvas()->Handle();
  SelectClipRgn(dc, nullptr);
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  CombineRgn(clip, shapedForm->WindowRgn(), nullptr, RGN_COPY);
  OffsetRgn(clip, controls.Width() + 5, 5);
  SelectClipRgn(dc, clip);
  sheet.Canvas()->Draw(controls.Width() + 5, 5, &shaped);
  SelectClipRgn(dc, nullptr);
  DeleteObject(clip);
  EXPECT_EQ(sheet.Canvas()->Pixels(controls.Width() + 5, 5), ColorToRGB(clGray));
  EXPECT_EQ(sheet.Canvas()->Pixels(30, 30), ColorToRGB(clYellow));
  delete shapedForm;

  const std::string bmp = std::string(WT_BINARY_DIR) + "/skin-regions-demo.bmp";
  const std::string png = std::string(WT_BINARY_DIR) + "/skin-regions-demo.png";
  sheet.SaveToFile(bmp.c_str());
  ASSERT_EQ(std::system(("convert '" + bmp + "' '" + png + "'").c_str()), 0);
}
