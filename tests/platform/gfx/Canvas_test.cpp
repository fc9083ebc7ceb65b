// The canvas: shapes, text, fonts, and a demo drawing of every primitive.
#include "platform/gfx/Graphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

int CountColor(TCanvas* c, const TRect& r, TColor color) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      n += c->Pixels(x, y) == color;
  return n;
}

// Colour identifiers, as layouts write them, match blind to case; the two
// greys that share their values with others are known by their own names.
TEST(Colours, IdentifiersMatchBlindToCase) {
  const std::pair<const char*, TColor> known[] = {{"clRed", clRed},         {"CLRED", clRed},
                                                  {"clbtnface", clBtnFace}, {"CLLTGRAY", clLtGray},
                                                  {"clDkGray", clDkGray},   {"clSilver", clSilver}};
  for (const auto& [ident, color] : known) {
    TColor found = clNone;
    EXPECT_TRUE(IdentToColor(ident, found)) << ident;
    EXPECT_EQ(found, color) << ident;
  }
  for (const char* unknown : {"", "cl", "clRedd", "clR\xC9t"}) {
    TColor found = clNone;
    EXPECT_FALSE(IdentToColor(unknown, found)) << unknown;
  }
}

TEST(Canvas, RectangleFillsInsideThePenFrame) {
  TBitmap b;
  b.SetSize(8, 6);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clRed);
  c->Pen()->SetColor(clBlue);
  c->Rectangle(1, 1, 7, 5);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) {
      const bool inside = x >= 1 && x < 7 && y >= 1 && y < 5;
      const bool edge = inside && (x == 1 || x == 6 || y == 1 || y == 4);
      const TColor expected = !inside ? clWhite : edge ? clBlue : clRed;
      EXPECT_EQ(c->Pixels(x, y), expected) << x << "," << y;
    }
  // Without a pen the shape loses its right and bottom edges.
  c->Pen()->SetStyle(psClear);
  c->Brush()->SetColor(clLime);
  c->Rectangle(0, 0, 3, 3);
  EXPECT_EQ(CountColor(c, TRect{0, 0, 8, 6}, clLime), 4);
}

TEST(Canvas, FillFrameAndFocusRect) {
  TBitmap b;
  b.SetSize(6, 6);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clNavy);
  c->FillRect(TRect{1, 1, 4, 3});
  EXPECT_EQ(CountColor(c, TRect{0, 0, 6, 6}, clNavy), 6);
  c->Brush()->SetColor(clRed);
  c->FrameRect(TRect{0, 0, 6, 6});
  EXPECT_EQ(CountColor(c, TRect{0, 0, 6, 6}, clRed), 20);
  c->Brush()->SetColor(clWhite);
  c->FillRect(TRect{0, 0, 6, 6});
  c->DrawFocusRect(TRect{0, 0, 6, 6});
  EXPECT_EQ(CountColor(c, TRect{0, 0, 6, 6}, clBlack), 10) << "every other frame pixel";
  c->DrawFocusRect(TRect{0, 0, 6, 6});
  EXPECT_EQ(CountColor(c, TRect{0, 0, 6, 6}, clWhite), 36) << "drawn twice it is gone";
}

TEST(Canvas, HatchAndPatternBrushes) {
  TBitmap b;
  b.SetSize(16, 16);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clBlack);
  c->Brush()->SetStyle(bsCross);
  c->FillRect(TRect{0, 0, 16, 16});
  EXPECT_EQ(CountColor(c, TRect{0, 0, 8, 8}, clBlack), 15) << "one row and one column";
  TBitmap pattern;
  pattern.SetSize(8, 8);
  pattern.Canvas()->SetPixels(0, 0, clRed);
  c->Brush()->SetBitmap(&pattern);
  c->FillRect(TRect{0, 0, 16, 16});
  EXPECT_EQ(CountColor(c, TRect{0, 0, 16, 16}, clRed), 4) << "the pattern repeats every 8 pixels";
  c->Brush()->SetBitmap(nullptr);
}

TEST(Canvas, EllipseAndArcStayInTheirBox) {
  TBitmap b;
  b.SetSize(30, 20);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clYellow);
  c->Ellipse(2, 3, 22, 17);
  EXPECT_EQ(c->Pixels(12, 10), clYellow);
  EXPECT_EQ(c->Pixels(2, 3), clWhite) << "corner outside";
  EXPECT_EQ(c->Pixels(2, 10), clBlack) << "left edge of the outline";
  EXPECT_EQ(c->Pixels(21, 10), clBlack) << "right edge, one in from Right";
  EXPECT_EQ(CountColor(c, TRect{22, 0, 30, 20}, clBlack), 0);
  // The upper half from the right point counter-clockwise to the left one.
  c->Brush()->SetColor(clWhite);
  c->FillRect(TRect{0, 0, 30, 20});
  c->Arc(0, 0, 20, 20, 20, 10, 0, 10);
  EXPECT_GT(CountColor(c, TRect{0, 0, 30, 9}, clBlack), 10);
  EXPECT_EQ(CountColor(c, TRect{0, 12, 30, 20}, clBlack), 0);
}

TEST(Canvas, TextDrawsInsideItsExtentInTheFontColour) {
  TBitmap b;
  b.SetSize(120, 40);
  TCanvas* c = b.Canvas();
  c->Font()->SetName("Arial");
  c->Font()->SetSize(12);
  c->Font()->SetColor(clRed);
  c->Brush()->SetStyle(bsClear);
  const SIZE extent = c->TextExtent("Hello");
  EXPECT_GT(extent.cx, 20);
  EXPECT_GT(extent.cy, 10);
  c->TextOut(5, 5, "Hello");
  EXPECT_EQ(c->PenPos().X, 5 + extent.cx);
  const int inside = CountColor(c, TRect{5, 5, 5 + extent.cx, 5 + extent.cy}, clRed);
  EXPECT_GT(inside, 20);
  EXPECT_EQ(CountColor(c, TRect{0, 0, 120, 40}, clRed), inside);
  EXPECT_EQ(CountColor(c, TRect{0, 0, 120, 40}, clWhite) + inside, 120 * 40)
      << "text without anti-aliasing: only two colours";
}

TEST(Font, SizeHeightStyleAndChangeNotice) {
  TFont f;
  EXPECT_EQ(f.Size(), 8);
  EXPECT_EQ(f.Height(), -11);
  int changes = 0;
  f.OnChange = [&](TObject*) { ++changes; };
  f.SetSize(12);
  EXPECT_EQ(f.Height(), -16);
  f.SetStyle({fsBold, fsUnderline});
  f.SetStyle({fsBold, fsUnderline});
  EXPECT_EQ(changes, 2) << "setting the same value is no change";
  TFont g;
  g.Assign(&f);
  EXPECT_EQ(g.Height(), -16);
  EXPECT_TRUE(g.Style().Contains(fsUnderline));
  EXPECT_EQ(f.LogFont().lfWeight, FW_BOLD);
}

// Text reaches the drawing as Windows-1252 where the code page has the
// character, and as the character itself where the system kept its UTF-8
// bytes: 0x80 and the kept bytes of the euro sign draw the same glyph, while
// the two UTF-8 bytes of an e acute, a character the code page has, are two
// characters of their own.
TEST(Text, WindowsBytesAndKeptUtf8DrawAsTheirCharacters) {
  TBitmap b;
  b.SetSize(60, 30);
  TCanvas* c = b.Canvas();
  c->Font()->SetName("Arial");
  c->Font()->SetSize(14);
  c->Font()->SetColor(clBlack);
  auto shot = [&](const char* text) {
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect{0, 0, 60, 30});
    c->TextOut(2, 2, text);
    std::vector<TColor> pixels;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 60; ++x)
        pixels.push_back(c->Pixels(x, y));
    return pixels;
  };
  const std::vector<TColor> blank = shot("");
  EXPECT_NE(shot("\x80"), blank);
  EXPECT_EQ(shot("\x80"), shot("\xE2\x82\xAC"));
  EXPECT_EQ(c->TextWidth("\x80"), c->TextWidth("\xE2\x82\xAC"));

  EXPECT_NE(shot("\xE9"), shot("e"));
  EXPECT_EQ(c->TextWidth("\xE9"), c->TextWidth("e")) << "the same advance, with its accent";
  EXPECT_EQ(c->TextWidth("\xC3\xA9"), c->TextWidth("\xC3") + c->TextWidth("\xA9"));

  // An omega, which the code page lacks, kept as its bytes: one character.
  EXPECT_LT(c->TextWidth("\xCE\xA9"), c->TextWidth("\xCE") + c->TextWidth("\xA9"));
  EXPECT_NE(shot("\xCE\xA9"), blank);
}

TEST(DrawText, CalcRectAlignmentAndPrefix) {
  TBitmap b;
  b.SetSize(200, 80);
  TCanvas* c = b.Canvas();
  c->Font()->SetName("Arial");
  const int h = c->TextHeight("X");
  TRect r{0, 0, 200, 0};
  EXPECT_EQ(c->DrawText("one\ntwo\nthree", r, DT_CALCRECT), 3 * h);
  EXPECT_EQ(r.Bottom, 3 * h);
  EXPECT_EQ(r.Right, c->TextWidth("three"));
  TRect wrap{0, 0, c->TextWidth("alpha beta") + 1, 0};
  c->DrawText("alpha beta gamma", wrap, DT_CALCRECT | DT_WORDBREAK);
  EXPECT_EQ(wrap.Bottom, 2 * h);
  TRect single{0, 0, 200, 0};
  c->DrawText("&File", single, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(single.Right, c->TextWidth("File")) << "the prefix mark takes no room";
  TRect raw{0, 0, 200, 0};
  c->DrawText("&File", raw, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(raw.Right, c->TextWidth("&File"));
  // Right and bottom alignment in a single line.
  c->Brush()->SetStyle(bsClear);
  TRect box{0, 0, 200, 80};
  c->DrawText("Ij", box, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM);
  EXPECT_EQ(CountColor(c, TRect{0, 0, 200 - c->TextWidth("Ij") - 1, 80}, clBlack), 0);
  EXPECT_EQ(CountColor(c, TRect{0, 0, 200, 80 - h}, clBlack), 0);
  EXPECT_GT(CountColor(c, TRect{0, 80 - h, 200, 80}, clBlack), 0);
}

// The names the windows use resolve, through fontconfig, to installed fonts
// with the same metrics: text measures as the layouts expect.
TEST(Font, WindowsNamesResolveToMetricCompatibleFonts) {
  TBitmap b;
  b.SetSize(10, 10);
  TCanvas* c = b.Canvas();
  c->Font()->SetSize(12);
  auto width = [&](const char* family) {
    c->Font()->SetName(family);
    return c->TextWidth("The quick brown fox, 0123456789");
  };
  EXPECT_EQ(width("Arial"), width("Liberation Sans"));
  EXPECT_NE(width("Arial"), width("DejaVu Sans"));
  EXPECT_EQ(width("Times New Roman"), width("Liberation Serif"));
  EXPECT_EQ(width("Courier New"), width("Liberation Mono"));
  TFont byDefault;
  c->Font()->Assign(&byDefault);
  EXPECT_GT(c->TextWidth("Default"), 20);
  EXPECT_GT(c->TextHeight("Default"), 8);
}

// Where the ink of what was drawn in black lies.
TRect InkBox(TCanvas* c, const TRect& area) {
  TRect box{area.Right, area.Bottom, area.Left - 1, area.Top - 1};
  for (int y = area.Top; y < area.Bottom; ++y)
    for (int x = area.Left; x < area.Right; ++x)
      if (c->Pixels(x, y) == clBlack)
        box = TRect{std::min(box.Left, x), std::min(box.Top, y), std::max(box.Right, x + 1),
                    std::max(box.Bottom, y + 1)};
  return box;
}

TEST(DrawText, CentredTabsAndTheShortcutMark) {
  TBitmap b;
  b.SetSize(120, 40);
  TCanvas* c = b.Canvas();
  c->Font()->SetName("Arial");
  c->Brush()->SetStyle(bsClear);
  TRect box{0, 0, 120, 40};
  c->DrawText("MM", box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  const TRect ink = InkBox(c, TRect{0, 0, 120, 40});
  EXPECT_LE(std::abs(ink.Left + ink.Right - 120), 2) << "centred across";
  EXPECT_LE(std::abs(ink.Top + ink.Bottom - 40), 6) << "centred down";

  TEXTMETRIC tm;
  GetTextMetrics(c->Handle(), &tm);
  TRect tabbed{0, 0, 300, 0}, plain{0, 0, 300, 0};
  c->DrawText("a\tb", tabbed, DT_CALCRECT | DT_EXPANDTABS);
  c->DrawText("a\tb", plain, DT_CALCRECT);
  EXPECT_GE(tabbed.Right, 8 * tm.tmAveCharWidth) << "a tab stop is eight average characters";
  EXPECT_LT(plain.Right, tabbed.Right);

  // "&F" underlines the F; "&&" is one '&' and marks nothing.
  auto inkOf = [&](const char* text, UINT format) {
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(TRect{0, 0, 120, 40});
    c->Brush()->SetStyle(bsClear);
    TRect r{0, 0, 120, 40};
    c->DrawText(text, r, DT_SINGLELINE | format);
    return InkBox(c, TRect{0, 0, 120, 40});
  };
  const TRect marked = inkOf("&File", 0), unmarked = inkOf("File", 0);
  EXPECT_GT(marked.Bottom, unmarked.Bottom) << "the underline lies below the letters";
  EXPECT_EQ(marked.Left, unmarked.Left);
  EXPECT_EQ(inkOf("A&&B", 0).Right, inkOf("A&B", DT_NOPREFIX).Right);
}

// Every primitive once, written as a PNG into the build folder for review.
TEST(Demo, EveryPrimitiveSavedForReview) {
  TBitmap b;
  b.SetSize(420, 380);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clBtnFace);
  c->FillRect(TRect{0, 0, 420, 380});
  c->Pen()->SetColor(clNavy);
  c->MoveTo(10, 10);
  c->LineTo(100, 40);
  const TPenStyle styles[] = {psSolid, psDash, psDot, psDashDot, psDashDotDot};
  for (int i = 0; i < 5; ++i) {
    c->Pen()->SetStyle(styles[i]);
    c->MoveTo(10, 50 + 6 * i);
    c->LineTo(130, 50 + 6 * i);
  }
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(3);
  c->Polyline({{140, 10}, {180, 60}, {220, 10}, {260, 60}});
  c->Pen()->SetWidth(1);
  c->Brush()->SetColor(clYellow);
  c->Rectangle(10, 90, 90, 140);
  c->Brush()->SetColor(clAqua);
  c->Ellipse(100, 90, 180, 140);
  c->Brush()->SetColor(clLime);
  c->RoundRect(190, 90, 270, 140, 20, 20);
  c->Brush()->SetColor(clFuchsia);
  c->Pie(280, 90, 340, 150, 340, 120, 310, 90);
  c->Pen()->SetColor(clRed);
  c->Arc(350, 90, 410, 150, 410, 120, 350, 120);
  c->Brush()->SetColor(clBlack);
  c->Brush()->SetStyle(bsDiagCross);
  c->Rectangle(10, 150, 90, 200);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clRed);
  c->FrameRect(TRect{100, 150, 180, 200});
  c->DrawFocusRect(TRect{190, 150, 270, 200});
  c->Brush()->SetColor(clWhite);
  c->Font()->SetName("Arial");
  c->Font()->SetSize(10);
  c->TextOut(10, 210, "TextOut on a white brush");
  c->Brush()->SetStyle(bsClear);
  c->Font()->SetStyle({fsBold, fsItalic});
  c->Font()->SetColor(clMaroon);
  c->TextOut(10, 230, "Bold italic, clear brush: \xE9t\xE9");
  c->Font()->SetStyle({});
  TRect r{200, 210, 410, 290};
  c->DrawText("&Centred, word-broken text that needs two lines", r, DT_CENTER | DT_WORDBREAK);
  HRGN region = CreateRoundRectRgn(300, 160, 410, 200, 16, 16);
  HBRUSH teal = CreateSolidBrush(RGB(0, 128, 128));
  FillRgn(c->Handle(), region, teal);
  HBRUSH black = CreateSolidBrush(0);
  FrameRgn(c->Handle(), region, black, 1, 1);
  DeleteObject(black);
  DeleteObject(teal);
  DeleteObject(region);
  // Bottom row: pattern brush, pen modes, pictures drawn plain, stretched,
  // transparent and copied, and single pixels.
  TBitmap pattern;
  pattern.SetSize(8, 8);
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      pattern.Canvas()->SetPixels(x, y, (x / 2 + y / 2) % 2 ? clNavy : clYellow);
  c->Brush()->SetBitmap(&pattern);
  c->Pen()->SetColor(clBlack);
  c->Rectangle(10, 300, 70, 370);
  c->Brush()->SetBitmap(nullptr);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clWhite);
  c->Pen()->SetWidth(9);
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetColor(clAqua);
  c->MoveTo(80, 305);
  c->LineTo(130, 365);
  c->MoveTo(130, 305);
  c->LineTo(80, 365);
  c->Pen()->SetMode(pmNot);
  c->MoveTo(105, 300);
  c->LineTo(105, 370);
  c->Pen()->SetMode(pmCopy);
  c->Pen()->SetWidth(1);
  TBitmap glyph;
  glyph.SetSize(16, 16);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(TRect{0, 0, 16, 16});
  glyph.Canvas()->Brush()->SetColor(clGreen);
  glyph.Canvas()->Ellipse(1, 1, 15, 15);
  c->Draw(145, 305, &glyph);
  c->StretchDraw(TRect{170, 305, 218, 353}, &glyph);
  glyph.SetTransparent(true);
  c->Draw(225, 305, &glyph);
  c->CopyRect(TRect{250, 305, 298, 353}, c, TRect{170, 305, 194, 329});
  for (int i = 0; i < 40; ++i)
    c->SetPixels(310 + i, 330 + (i % 7), clRed);
  EXPECT_EQ(c->Pixels(226, 306), ColorToRGB(clBtnFace))
      << "the key colour of the transparent glyph";

  const std::string bmp = std::string(WT_BINARY_DIR) + "/gfx-demo.bmp";
  const std::string png = std::string(WT_BINARY_DIR) + "/gfx-demo.png";
  b.SaveToFile(bmp);
  ASSERT_EQ(std::system(("convert '" + bmp + "' '" + png + "'").c_str()), 0);
  TPicture check;
  check.LoadFromFile(bmp);
  EXPECT_EQ(check.Width(), 420);
  EXPECT_EQ(check.Bitmap()->Canvas()->Pixels(50, 115), clYellow);
}

} // namespace
