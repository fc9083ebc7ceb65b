// Pixel-exact behaviour of blits, lines, frames and pixel access.
#include "platform/gfx/Graphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// A 32-bit bitmap in a memory context, filled with one colour.
struct TSurface {
  TSurface(int w, int h, COLORREF fill, int bits = 32) {
    bitmap = CreateBitmap(w, h, 1, static_cast<UINT>(bits), nullptr);
    dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, bitmap);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        SetPixel(dc, x, y, fill);
  }
  ~TSurface() {
    DeleteDC(dc);
    DeleteObject(bitmap);
  }
  TSurface(const TSurface&) = delete;
  TSurface& operator=(const TSurface&) = delete;
  COLORREF At(int x, int y) const { return GetPixel(dc, x, y); }
  HBITMAP bitmap;
  HDC dc;
};

TEST(RasterOps, EveryOperationOnKnownPixels) {
  const COLORREF src = RGB(0x12, 0xF0, 0x5A);
  const COLORREF dst = RGB(0xC3, 0x0F, 0x66);
  const COLORREF pat = RGB(0x81, 0x7E, 0x24);
  struct TCase {
    const char* name;
    DWORD rop;
    COLORREF expected;
  };
  const TCase cases[] = {
      {"SRCCOPY", SRCCOPY, src},
      {"SRCAND", SRCAND, src & dst},
      {"SRCPAINT", SRCPAINT, src | dst},
      {"SRCINVERT", SRCINVERT, src ^ dst},
      {"NOTSRCCOPY", NOTSRCCOPY, ~src & 0xFFFFFF},
      {"PATINVERT", PATINVERT, pat ^ dst},
      {"DSTINVERT", DSTINVERT, ~dst & 0xFFFFFF},
      {"PATCOPY", PATCOPY, pat},
      {"MERGECOPY", MERGECOPY, src & pat},
      {"SRCERASE", SRCERASE, src & (~dst & 0xFFFFFF)},
      {"BLACKNESS", BLACKNESS, 0},
      {"WHITENESS", WHITENESS, 0xFFFFFF},
  };
  for (const TCase& c : cases) {
    TSurface from(3, 2, src), to(3, 2, dst);
    HBRUSH brush = CreateSolidBrush(pat);
    SelectObject(to.dc, brush);
    // Only the middle column is covered; its neighbours must stay.
    BitBlt(to.dc, 1, 0, 1, 2, from.dc, 0, 0, c.rop);
    for (int y = 0; y < 2; ++y) {
      EXPECT_EQ(to.At(1, y), c.expected) << c.name;
      EXPECT_EQ(to.At(0, y), dst) << c.name;
      EXPECT_EQ(to.At(2, y), dst) << c.name;
    }
    SelectObject(to.dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
  }
}

// Blits within one bitmap (scrolling) read the whole source before writing,
// whichever way the areas overlap.
TEST(RasterOps, OverlappingBlitsWithinOneBitmap) {
  struct TShift {
    int dx, dy;
  };
  for (const TShift shift : {TShift{0, 1}, TShift{0, -1}, TShift{1, 0}, TShift{-1, 0}})
    for (const DWORD rop : {DWORD{SRCCOPY}, DWORD{SRCINVERT}, DWORD{NOTSRCCOPY}}) {
      TSurface s(4, 4, 0);
      auto original = [](int x, int y) { return RGB(x * 40 + 10, y * 40 + 10, 77); };
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
          SetPixel(s.dc, x, y, original(x, y));
      BitBlt(s.dc, std::max(0, shift.dx), std::max(0, shift.dy), 3 + (shift.dx == 0),
             3 + (shift.dy == 0), s.dc, std::max(0, -shift.dx), std::max(0, -shift.dy), rop);
      for (int y = std::max(0, shift.dy); y < 4 + std::min(0, shift.dy); ++y)
        for (int x = std::max(0, shift.dx); x < 4 + std::min(0, shift.dx); ++x) {
          const COLORREF src = original(x - shift.dx, y - shift.dy), dst = original(x, y);
          const COLORREF expected = rop == SRCCOPY     ? src
                                    : rop == SRCINVERT ? src ^ dst
                                                       : ~src & 0xFFFFFF;
          ASSERT_EQ(s.At(x, y), expected) << "shift " << shift.dx << "," << shift.dy << " rop "
                                          << rop << " at " << x << "," << y;
        }
    }
}

TEST(RasterOps, PatBltInvertsAndClipsToTheSurface) {
  TSurface s(4, 4, RGB(10, 20, 30));
  HBRUSH brush = CreateSolidBrush(RGB(0xFF, 0, 0xFF));
  SelectObject(s.dc, brush);
  EXPECT_TRUE(PatBlt(s.dc, 2, 2, 10, 10, PATINVERT));
  EXPECT_EQ(s.At(3, 3), RGB(10 ^ 0xFF, 20, 30 ^ 0xFF));
  EXPECT_EQ(s.At(1, 1), RGB(10, 20, 30));
  PatBlt(s.dc, 0, 0, 4, 4, DSTINVERT);
  EXPECT_EQ(s.At(0, 0), RGB(245, 235, 225));
  SelectObject(s.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(brush);
}

TEST(MonochromeConversion, ColourToMonoByBackgroundAndBackByTextColours) {
  const COLORREF key = RGB(255, 0, 255);
  TSurface colour(3, 1, key);
  SetPixel(colour.dc, 1, 0, RGB(1, 2, 3));
  TSurface mono(3, 1, 0, 1);
  SetBkColor(colour.dc, key);
  BitBlt(mono.dc, 0, 0, 3, 1, colour.dc, 0, 0, SRCCOPY);
  // Pixels of the source's background colour become white, all others black.
  EXPECT_EQ(mono.At(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(mono.At(1, 0), RGB(0, 0, 0));
  // Back to colour: 0 bits take the text colour, 1 bits the background.
  TSurface out(3, 1, 0);
  SetTextColor(out.dc, RGB(9, 8, 7));
  SetBkColor(out.dc, RGB(200, 100, 50));
  BitBlt(out.dc, 0, 0, 3, 1, mono.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(out.At(0, 0), RGB(200, 100, 50));
  EXPECT_EQ(out.At(1, 0), RGB(9, 8, 7));
}

// The masked transparent draw of the skinned controls, step by step: mask,
// inverse mask, AND the mask onto the work copy, black out the transparent
// source pixels, OR the source in. Transparent pixels show the destination.
TEST(MonochromeConversion, MaskedTransparentDrawKeepsTheDestination) {
  const COLORREF key = RGB(0, 255, 0);
  const COLORREF back = RGB(40, 50, 60);
  TSurface source(4, 2, key), dest(4, 2, back);
  SetPixel(source.dc, 1, 0, RGB(200, 10, 10));
  SetPixel(source.dc, 2, 1, RGB(0, 0, 0));
  SetPixel(source.dc, 3, 1, RGB(255, 255, 255));
  TSurface mask(4, 2, 0, 1), inverse(4, 2, 0, 1);
  const COLORREF oldBk = SetBkColor(source.dc, key);
  BitBlt(mask.dc, 0, 0, 4, 2, source.dc, 0, 0, SRCCOPY);
  SetBkColor(source.dc, oldBk);
  BitBlt(inverse.dc, 0, 0, 4, 2, mask.dc, 0, 0, NOTSRCCOPY);
  TSurface work(4, 2, 0);
  BitBlt(work.dc, 0, 0, 4, 2, dest.dc, 0, 0, SRCCOPY);
  StretchBlt(work.dc, 0, 0, 4, 2, mask.dc, 0, 0, 4, 2, SRCAND);
  BitBlt(source.dc, 0, 0, 4, 2, inverse.dc, 0, 0, SRCAND);
  StretchBlt(work.dc, 0, 0, 4, 2, source.dc, 0, 0, 4, 2, SRCPAINT);
  BitBlt(dest.dc, 0, 0, 4, 2, work.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(dest.At(0, 0), back);
  EXPECT_EQ(dest.At(1, 0), RGB(200, 10, 10));
  EXPECT_EQ(dest.At(2, 1), RGB(0, 0, 0));
  EXPECT_EQ(dest.At(3, 1), RGB(255, 255, 255));
  EXPECT_EQ(dest.At(3, 0), back);
}

TEST(Lines, EndPointIsLeftOut) {
  struct TCase {
    int x0, y0, x1, y1;
  };
  const TCase cases[] = {{1, 1, 6, 1}, {6, 2, 1, 2}, {3, 0, 3, 6},
                         {0, 0, 5, 5}, {6, 6, 1, 1}, {0, 6, 6, 3}};
  for (const TCase& c : cases) {
    TSurface s(8, 8, RGB(255, 255, 255));
    MoveToEx(s.dc, c.x0, c.y0, nullptr);
    LineTo(s.dc, c.x1, c.y1);
    EXPECT_EQ(s.At(c.x0, c.y0), RGB(0, 0, 0)) << c.x0 << "," << c.y0;
    EXPECT_EQ(s.At(c.x1, c.y1), RGB(255, 255, 255)) << c.x1 << "," << c.y1;
    int drawn = 0;
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 8; ++x)
        drawn += s.At(x, y) == 0;
    EXPECT_EQ(drawn, std::max(std::abs(c.x1 - c.x0), std::abs(c.y1 - c.y0)));
  }
}

TEST(Lines, PolylineFrameCoversTheWholeBorderOnce) {
  // Pen in xor mode: a pixel drawn twice would come back white.
  TBitmap b;
  b.SetSize(6, 5);
  TCanvas* c = b.Canvas();
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetColor(clWhite);
  c->Polyline({{0, 0}, {5, 0}, {5, 4}, {0, 4}, {0, 0}});
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) {
      const bool border = x == 0 || y == 0 || x == 5 || y == 4;
      EXPECT_EQ(c->Pixels(x, y), border ? clBlack : clWhite) << x << "," << y;
    }
}

TEST(Lines, PenModesNotAndXor) {
  TBitmap b;
  b.SetSize(4, 1);
  TCanvas* c = b.Canvas();
  c->SetPixels(0, 0, 0x123456);
  c->SetPixels(1, 0, 0x123456);
  c->Pen()->SetMode(pmNot);
  c->MoveTo(0, 0);
  c->LineTo(1, 0);
  EXPECT_EQ(c->Pixels(0, 0), 0xEDCBA9);
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetColor(0x00FF00);
  c->MoveTo(1, 0);
  c->LineTo(2, 0);
  EXPECT_EQ(c->Pixels(1, 0), 0x12CB56);
}

TEST(Pixels, OutsideReadsNoneAndWritesNothing) {
  TBitmap b;
  b.SetSize(3, 2);
  TCanvas* c = b.Canvas();
  const struct { int x, y; } outside[] = {{-1, 0}, {0, -1}, {3, 0}, {0, 2}, {100, 100}};
  for (const auto& p : outside) {
    c->SetPixels(p.x, p.y, clRed);
    EXPECT_EQ(c->Pixels(p.x, p.y), clNone);
  }
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x)
      EXPECT_EQ(c->Pixels(x, y), clWhite) << "a new bitmap is white";
  c->SetPixels(2, 1, clRed);
  EXPECT_EQ(c->Pixels(2, 1), clRed);
  // An empty bitmap has no pixels at all, and two empty ones share nothing.
  TBitmap empty, other;
  empty.Canvas()->SetPixels(0, 0, clRed);
  EXPECT_EQ(empty.Canvas()->Pixels(0, 0), clNone);
  EXPECT_EQ(other.Canvas()->Pixels(0, 0), clNone);
}

TEST(DibSection, StrideAndByteOrderForWidthsOneToFive) {
  for (int width = 1; width <= 5; ++width) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = 40;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -2;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    BITMAP bm;
    ASSERT_EQ(GetObject(section, sizeof bm, &bm), static_cast<int>(sizeof bm));
    const int stride = width * 3 + width % 4;
    EXPECT_EQ(bm.bmWidthBytes, stride) << width;
    EXPECT_EQ(bm.bmBits, bits);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, section);
    SetPixel(dc, width - 1, 1, RGB(0x30, 0x20, 0x10));
    const auto* row1 = static_cast<const uint8_t*>(bits) + stride;
    EXPECT_EQ(row1[(width - 1) * 3 + 0], 0x10) << "blue first";
    EXPECT_EQ(row1[(width - 1) * 3 + 1], 0x20);
    EXPECT_EQ(row1[(width - 1) * 3 + 2], 0x30);
    // And the other way: bytes written by hand are what the context reads.
    auto* row0 = static_cast<uint8_t*>(bits);
    row0[0] = 0x01, row0[1] = 0x02, row0[2] = 0x03;
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0x03, 0x02, 0x01));
    DeleteDC(dc);
    DeleteObject(section);
  }
}

TEST(DibSection, GetDIBitsAndSetDIBitsToDeviceRoundTrip) {
  TBitmap b;
  b.SetSize(5, 3);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      b.Canvas()->SetPixels(x, y, static_cast<TColor>(RGB(x * 40, y * 80, 7)));
  BITMAPINFO info{};
  info.bmiHeader.biSize = 40;
  info.bmiHeader.biWidth = 5;
  info.bmiHeader.biHeight = -3;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  std::vector<uint8_t> bits(16 * 3);
  HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
  EXPECT_EQ(GetDIBits(screen, b.Handle(), 0, 3, bits.data(), &info, DIB_RGB_COLORS), 3);
  DeleteDC(screen);
  EXPECT_EQ(bits[16 * 2 + 3 * 4 + 0], 7);
  EXPECT_EQ(bits[16 * 2 + 3 * 4 + 1], 160);
  EXPECT_EQ(bits[16 * 2 + 3 * 4 + 2], 160);
  TBitmap copy;
  copy.SetSize(7, 4);
  SetDIBitsToDevice(copy.Canvas()->Handle(), 2, 1, 5, 3, 0, 0, 0, 3, bits.data(), &info,
                    DIB_RGB_COLORS);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x)
      EXPECT_EQ(copy.Canvas()->Pixels(x + 2, y + 1), b.Canvas()->Pixels(x, y));
  EXPECT_EQ(copy.Canvas()->Pixels(1, 1), clWhite);
  // Stretched twice as wide: every source pixel covers two.
  TBitmap wide;
  wide.SetSize(10, 3);
  StretchDIBits(wide.Canvas()->Handle(), 0, 0, 10, 3, 0, 0, 5, 3, bits.data(), &info,
                DIB_RGB_COLORS, SRCCOPY);
  for (int x = 0; x < 10; ++x)
    EXPECT_EQ(wide.Canvas()->Pixels(x, 2), b.Canvas()->Pixels(x / 2, 2));
}

// A context answers the colour table of the palette bitmap selected into it,
// from any entry on; a true-colour bitmap and the stock one have none.
TEST(DibSection, ColorTableOfTheSelectedBitmap) {
  std::vector<uint8_t> block(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(block.data());
  log->palVersion = 0x300;
  log->palNumEntries = 256;
  for (int i = 0; i < 256; ++i)
    log->palPalEntry[i] = PALETTEENTRY{static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                       static_cast<uint8_t>(i / 3), 0};
  HPALETTE palette = CreatePalette(log);
  TBitmap indexed;
  indexed.SetPixelFormat(pf8bit);
  indexed.SetSize(4, 4);
  indexed.SetPalette(palette);
  DeleteObject(palette);
  RGBQUAD table[16] = {};
  ASSERT_EQ(GetDIBColorTable(indexed.Canvas()->Handle(), 250, 16, table), 6u);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(table[i].rgbRed, 250 + i);
    EXPECT_EQ(table[i].rgbGreen, 5 - i);
    EXPECT_EQ(table[i].rgbBlue, (250 + i) / 3);
  }
  EXPECT_EQ(GetDIBColorTable(indexed.Canvas()->Handle(), 256, 16, table), 0u);
  TBitmap trueColor;
  trueColor.SetPixelFormat(pf24bit);
  trueColor.SetSize(4, 4);
  EXPECT_EQ(GetDIBColorTable(trueColor.Canvas()->Handle(), 0, 16, table), 0u);
  HDC empty = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetDIBColorTable(empty, 0, 16, table), 0u);
  DeleteDC(empty);
}

TEST(DeviceContext, SaveRestoreViewportAndClipping) {
  TSurface s(10, 10, RGB(255, 255, 255));
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  const int saved = SaveDC(s.dc);
  SetViewportOrgEx(s.dc, 3, 4, nullptr);
  IntersectClipRect(s.dc, 0, 0, 2, 2); // device (3, 4) - (5, 6)
  RECT all{-10, -10, 20, 20};
  FillRect(s.dc, &all, red);
  EXPECT_EQ(GetPixel(s.dc, 0, 0), RGB(255, 0, 0));
  EXPECT_EQ(GetPixel(s.dc, 2, 2), CLR_INVALID) << "outside the clip";
  RestoreDC(s.dc, saved);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 3 && x < 5 && y >= 4 && y < 6;
      EXPECT_EQ(s.At(x, y), inside ? RGB(255, 0, 0) : RGB(255, 255, 255)) << x << "," << y;
    }
  HRGN region = CreateEllipticRgn(0, 0, 10, 10);
  SelectClipRgn(s.dc, region);
  DeleteObject(region);
  FillRect(s.dc, &all, red);
  EXPECT_EQ(s.At(0, 0), CLR_INVALID) << "reads outside the clip give nothing";
  SelectClipRgn(s.dc, nullptr);
  EXPECT_EQ(s.At(0, 0), RGB(255, 255, 255)) << "the corner lies outside the ellipse";
  EXPECT_EQ(s.At(5, 0), RGB(255, 0, 0));
  DeleteObject(red);
}

TEST(DeviceContext, DeletingASelectedObjectWaitsForTheContext) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP b = CreateBitmap(2, 2, 1, 32, nullptr);
  SelectObject(dc, b);
  EXPECT_TRUE(DeleteObject(b));
  // Still usable through the context until it lets go.
  EXPECT_NE(SetPixel(dc, 1, 1, RGB(1, 2, 3)), CLR_INVALID);
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(1, 2, 3));
  DeleteDC(dc);
}

} // namespace

TEST(Edges, BordersInTheSystemColoursAndTheRectangleLeft) {
  const COLORREF white = RGB(255, 255, 255);
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  {
    // One raised inner border, top and left only, nothing filled.
    TSurface s(6, 5, white);
    RECT r{1, 1, 5, 4};
    EXPECT_TRUE(DrawEdge(s.dc, &r, BDR_RAISEDINNER, BF_LEFT | BF_TOP | BF_ADJUST));
    EXPECT_EQ(s.At(1, 1), light);
    EXPECT_EQ(s.At(4, 1), light);
    EXPECT_EQ(s.At(1, 3), light);
    EXPECT_EQ(s.At(4, 3), white);
    EXPECT_EQ(s.At(0, 0), white);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 5);
    EXPECT_EQ(r.bottom, 4);
  }
  {
    // A pushed button: sunken, two pixels, face inside.
    TSurface s(6, 6, white);
    RECT r{0, 0, 6, 6};
    EXPECT_TRUE(
        DrawFrameControl(s.dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED | DFCS_ADJUSTRECT));
    EXPECT_EQ(s.At(0, 3), shadow);
    EXPECT_EQ(s.At(5, 3), light);
    EXPECT_EQ(s.At(1, 3), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(s.At(4, 3), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(s.At(2, 2), face);
    EXPECT_EQ(r.left, 2);
    EXPECT_EQ(r.bottom, 4);
  }
  {
    // Raised and unadjusted: the rectangle stays, the outer border is light
    // at the top and darkest at the bottom.
    TSurface s(4, 4, white);
    RECT r{0, 0, 4, 4};
    EXPECT_TRUE(DrawFrameControl(s.dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH));
    EXPECT_EQ(s.At(2, 0), GetSysColor(COLOR_3DLIGHT));
    EXPECT_EQ(s.At(2, 3), GetSysColor(COLOR_3DDKSHADOW));
    EXPECT_EQ(s.At(1, 1), light);
    EXPECT_EQ(s.At(2, 2), shadow);
    EXPECT_EQ(r.right, 4);
    EXPECT_FALSE(DrawFrameControl(s.dc, &r, DFC_BUTTON, 0));
  }
}
