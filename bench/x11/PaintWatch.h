#pragma once
// Watches an X display for the next window that is mapped and painted: the
// time from a start the caller makes until the window's pixel at a point has
// the colour asked for in a strip of 16 pixels from a point down. Kept apart from the program's own
// headers, whose names the X headers would clash with.
#include <functional>

class TPaintWatch {
public:
  // False from Ok() when the display cannot be opened.
  explicit TPaintWatch(const char* display);
  ~TPaintWatch();
  TPaintWatch(const TPaintWatch&) = delete;
  TPaintWatch& operator=(const TPaintWatch&) = delete;

  bool Ok() const { return display != nullptr; }
  // Runs start, then waits up to 10 s for the first window mapped after it to
  // show rgb (0xRRGGBB) at (x, y) or below; milliseconds since start, -1 on
  // time-out.
  double MsUntilPainted(const std::function<void()>& start, int x, int y, unsigned long rgb);

private:
  void* display;
};
