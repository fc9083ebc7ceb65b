#include "platform/gfx/Backend.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdlib>
#include <cstring>

void GfxEnsureBackend() {
  if (QCoreApplication::instance() != nullptr)
    return;
  // The application object lives for the rest of the process, as the
  // platform's own would; its arguments must outlive it too.
  // Drawing into bitmaps needs no screen: without a display to talk to, the
  // toolkit runs offscreen instead of giving up.
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((display == nullptr || *display == '\0') && (wayland == nullptr || *wayland == '\0'))
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  static int argc = 1;
  static char name[] = "welkatidor";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);
}

int GfxScreenWidth() {
  GfxEnsureBackend();
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().width() : 1024;
}

int GfxScreenHeight() {
  GfxEnsureBackend();
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry().height() : 768;
}

std::unique_ptr<TBitmapObject> GfxGrabScreen(int X, int Y, int Width, int Height) {
  if (Width <= 0 || Height <= 0)
    return nullptr;
  GfxEnsureBackend();
  auto shot = std::make_unique<TBitmapObject>(Width, Height, 32);
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr)
    return shot;
  const QImage image =
      screen->grabWindow(0, X, Y, Width, Height).toImage().convertToFormat(QImage::Format_RGB32);
  const int w = std::min(Width, image.width()), h = std::min(Height, image.height());
  for (int y = 0; y < h; ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < w; ++x)
      shot->SetRaw(x, y, RGB(qRed(line[x]), qGreen(line[x]), qBlue(line[x])));
  }
  return shot;
}

TGfxPixels GfxBitmapPixels(HBITMAP Bitmap) {
  if (Bitmap == nullptr)
    return {};
  TGfxPixels pixels;
  pixels.Bits = Bitmap->Row(0);
  pixels.Width = Bitmap->Width;
  pixels.Height = Bitmap->Height;
  pixels.Stride = Bitmap->BottomUp ? -Bitmap->Stride : Bitmap->Stride;
  pixels.BitCount = Bitmap->BitCount;
  return pixels;
}
