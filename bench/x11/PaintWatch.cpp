#include "bench/x11/PaintWatch.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <thread>

namespace {

int IgnoreError(Display*, XErrorEvent*) {
  return 0;
}

// Whether one of the 16 pixels of the window from (x, y) down has the colour;
// false when they cannot be read (the window not yet viewable).
bool StripHas(Display* display, Window window, int x, int y, unsigned long rgb) {
  XErrorHandler old = XSetErrorHandler(IgnoreError);
  XImage* image = XGetImage(display, window, x, y, 1, 16, AllPlanes, ZPixmap);
  XSetErrorHandler(old);
  if (image == nullptr)
    return false;
  bool found = false;
  for (int i = 0; i < 16 && !found; ++i)
    found = (XGetPixel(image, 0, i) & 0xFFFFFF) == rgb;
  XDestroyImage(image);
  return found;
}

} // namespace

TPaintWatch::TPaintWatch(const char* name) : display(XOpenDisplay(name)) {
  if (display != nullptr)
    XSelectInput(static_cast<Display*>(display), DefaultRootWindow(static_cast<Display*>(display)),
                 SubstructureNotifyMask);
}

TPaintWatch::~TPaintWatch() {
  if (display != nullptr)
    XCloseDisplay(static_cast<Display*>(display));
}

double TPaintWatch::MsUntilPainted(const std::function<void()>& start, int x, int y,
                                   unsigned long rgb) {
  using Clock = std::chrono::steady_clock;
  auto* d = static_cast<Display*>(display);
  XSync(d, True); // what was mapped before does not count
  const auto begin = Clock::now();
  start();
  Window mapped = 0;
  while (Clock::now() - begin < std::chrono::seconds(10)) {
    while (XPending(d) > 0) {
      XEvent event;
      XNextEvent(d, &event);
      if (event.type == MapNotify && mapped == 0)
        mapped = event.xmap.window;
    }
    if (mapped != 0 && StripHas(d, mapped, x, y, rgb))
      return std::chrono::duration<double, std::milli>(Clock::now() - begin).count();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return -1;
}
