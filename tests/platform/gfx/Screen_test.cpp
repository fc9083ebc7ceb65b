// Screen capture through a context on the display, and the backend bridge.
#include "platform/gfx/Backend.h"
#include "platform/gfx/Graphics.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <cstdlib>

namespace {

TEST(Screen, CaptureOfARectangleShowsAWindowOnIt) {
  GfxEnsureBackend();
  ASSERT_NE(qobject_cast<QApplication*>(QCoreApplication::instance()), nullptr)
      << "a widget application, shared with the windows";
  QWidget window;
  window.setWindowFlags(Qt::FramelessWindowHint);
  window.setGeometry(40, 30, 60, 50);
  QPalette palette = window.palette();
  palette.setColor(QPalette::Window, QColor(10, 200, 30));
  window.setPalette(palette);
  window.setAutoFillBackground(true);
  window.show();
  window.repaint();
  QCoreApplication::processEvents();

  TBitmap shot;
  shot.SetSize(20, 10);
  HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_GT(GetDeviceCaps(screen, HORZRES), 100);
  BitBlt(shot.Canvas()->Handle(), 0, 0, 20, 10, screen, 50, 40, SRCCOPY);
  DeleteDC(screen);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(shot.Canvas()->Pixels(x, y), static_cast<TColor>(RGB(10, 200, 30)))
          << x << "," << y;
}

TEST(Backend, SurfacePixelsAndFontSpec) {
  HBITMAP surface = CreateBitmap(3, 2, 1, 32, nullptr);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, surface);
  SetPixel(dc, 2, 1, RGB(1, 2, 3));
  const TGfxPixels pixels = GfxBitmapPixels(surface);
  EXPECT_EQ(pixels.Width, 3);
  EXPECT_EQ(pixels.Stride, 12);
  EXPECT_EQ(pixels.BitCount, 32);
  const uint8_t* p = pixels.Bits + pixels.Stride + 2 * 4;
  EXPECT_EQ(p[0], 3);
  EXPECT_EQ(p[1], 2);
  EXPECT_EQ(p[2], 1);
  DeleteDC(dc);
  DeleteObject(surface);
  TFont font;
  font.SetName("Arial");
  font.SetSize(10);
  font.SetStyle({fsBold});
  const TGfxFontSpec spec = GfxFontSpec(font.LogFont());
  EXPECT_EQ(spec.PixelSize, 13);
  EXPECT_TRUE(spec.Bold);
  EXPECT_FALSE(spec.Family.empty());
}

// A font's family crosses to the toolkit and back unchanged, whether its
// name holds Windows-1252 letters or the kept UTF-8 bytes of one the code
// page lacks.
TEST(Backend, FontFamilyKeepsItsNonAsciiName) {
  for (const char* name : {"Caf\xE9 Sans", "\x80uro Mono", "\xCE\xA9mega Serif"}) {
    TFont font;
    font.SetName(name);
    EXPECT_EQ(GfxFontSpec(font.LogFont()).Family, name);
  }
}

} // namespace

namespace {

// Bitmaps need no screen: a program without any display still draws.
TEST(Backend, DrawsWithoutAnyDisplay) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        unsetenv("QT_QPA_PLATFORM");
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        TBitmap b;
        b.SetSize(40, 20);
        b.Canvas()->Font()->SetName("Arial");
        b.Canvas()->TextOut(2, 2, "Hi");
        std::exit(b.Canvas()->Pixels(0, 0) == clWhite && b.Canvas()->TextWidth("Hi") > 5 ? 0 : 1);
      },
      testing::ExitedWithCode(0), "");
}

} // namespace
