#include "skin/Grutils.h"

#include <cmath>

namespace {

// The parent paints its own face through the protected PaintWindow; this
// derived view only lends access to it.
class TParentPainter : public TWinControl {
public:
  static void PaintWindowOf(TWinControl* Parent, HDC DC) {
    (Parent->*&TParentPainter::PaintWindow)(DC);
  }
};

bool Overlap(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// Runs Paint with DC's origin at Other's place relative to Control and the
// drawing clipped to Other.
template <typename TPaint>
void PaintAt(HDC DC, const TControl* Control, const TControl* Other, TPaint Paint) {
  const int saved = SaveDC(DC);
  OffsetViewportOrgEx(DC, Other->Left() - Control->Left(), Other->Top() - Control->Top(), nullptr);
  IntersectClipRect(DC, 0, 0, Other->Width(), Other->Height());
  Paint();
  RestoreDC(DC, saved);
}

// The siblings below Control in z-order that are visible and overlap it.
template <typename TVisit> void SiblingsBelow(TControl* Control, TVisit Visit) {
  TWinControl* parent = Control->Parent();
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == Control)
      return;
    if (c->Visible() && Overlap(c->BoundsRect(), Control->BoundsRect()))
      Visit(c);
  }
}

} // namespace

void CopyParentImage(TControl* Control, TCanvas* Canvas) {
  if (Control == nullptr || Canvas == nullptr || Control->Parent() == nullptr)
    return;
  TWinControl* parent = Control->Parent();
  HDC dc = Canvas->Handle();
  const int saved = SaveDC(dc);
  OffsetViewportOrgEx(dc, -Control->Left(), -Control->Top(), nullptr);
  IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
  TParentPainter::PaintWindowOf(parent, dc);
  RestoreDC(dc, saved);
  SiblingsBelow(Control, [&](TControl* c) {
    if (dynamic_cast<TWinControl*>(c) != nullptr)
      return;
    PaintAt(dc, Control, c, [&] { c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0); });
  });
}

void CopyParentImage1(TControl* Control, TCanvas* Canvas) {
  CopyParentImage(Control, Canvas);
  if (Control == nullptr || Canvas == nullptr || Control->Parent() == nullptr)
    return;
  HDC dc = Canvas->Handle();
  SiblingsBelow(Control, [&](TControl* c) {
    if (dynamic_cast<TCustomControl*>(c) == nullptr)
      return;
    PaintAt(dc, Control, c, [&] {
      c->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
      c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    });
  });
}

void GetScreenImage(int X, int Y, TBitmap* Bitmap) {
  if (Bitmap == nullptr || Bitmap->Empty())
    return;
  const int w = Bitmap->Width(), h = Bitmap->Height();
  HDC screen = CreateDC("DISPLAY", nullptr, nullptr, nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP shot = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, shot);
  BitBlt(memory, 0, 0, w, h, screen, X, Y, SRCCOPY);
  BitBlt(Bitmap->Canvas()->Handle(), 0, 0, w, h, memory, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  DeleteObject(shot);
  DeleteDC(memory);
  DeleteDC(screen);
}

void Frm3D(TCanvas* Canvas, const TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
  Canvas->Pen()->SetWidth(1);
  TRect r = Rect;
  --r.Right;
  --r.Bottom;
  for (int i = 0; i < Width; ++i) {
    Canvas->Pen()->SetColor(TopColor);
    Canvas->Polyline({{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}});
    Canvas->Pen()->SetColor(BottomColor);
    Canvas->Polyline({{r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}});
    ++r.Left;
    ++r.Top;
    --r.Right;
    --r.Bottom;
  }
}

void RndFrm3D(TCanvas* Canvas, TColor LightColor, TColor DarkColor, const TRect& Rect, int Width) {
  const int a = (Rect.Right - Rect.Left) / 2;
  const int b = (Rect.Bottom - Rect.Top) / 2;
  TPoint first, second;
  if (a < b) {
    const int t = (b - static_cast<int>(std::lrint(std::sqrt(double(b) * b - double(a) * a)))) / 3;
    first = {Rect.Left + t, Rect.Bottom - t};
    second = {Rect.Right - t, Rect.Top + t};
  } else {
    const int d = a - static_cast<int>(std::lrint(std::sqrt(double(a) * a - double(b) * b)));
    const int t = d / 3;
    first = {Rect.Left + t, Rect.Top + b + d - t};
    second = {Rect.Right - t, Rect.Top + b - d + t};
  }
  Canvas->Pen()->SetWidth(Width);
  Canvas->Pen()->SetColor(DarkColor);
  Canvas->Arc(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, first.X, first.Y, second.X, second.Y);
  Canvas->Pen()->SetColor(LightColor);
  Canvas->Arc(Rect.Left, Rect.Top, Rect.Right, Rect.Bottom, second.X, second.Y, first.X, first.Y);
}

// Coordinates below are the pen's centre lines, both ends inclusive: x0..x1
// and y0..y1; a corner's circle box is Radius wide.
void RndRectFrm3D(TCanvas* Canvas, const TRect& Rect, TColor TopColor, TColor BottomColor,
                  int Radius, int PenWidth) {
  Canvas->Pen()->SetWidth(PenWidth);
  const int half = PenWidth / 2;
  const int even = PenWidth % 2 == 0 ? 1 : 0;
  const int x0 = Rect.Left + even + half, y0 = Rect.Top + even + half;
  const int x1 = Rect.Right - 1 - half, y1 = Rect.Bottom - 1 - half;
  const int d = Radius, r = Radius / 2;
  auto line = [Canvas](int ax, int ay, int bx, int by) {
    Canvas->MoveTo(ax, ay);
    Canvas->LineTo(bx + (bx > ax) - (bx < ax), by + (by > ay) - (by < ay));
  };
  // Quarter arcs, counter-clockwise from the first point to the second.
  auto upperLeft = [&] { Canvas->Arc(x0, y0, x0 + d, y0 + d, x0 + r, y0, x0, y0 + r); };
  auto lowerLeft = [&] { Canvas->Arc(x0, y1 - d + 1, x0 + d, y1 + 1, x0, y1 - r, x0 + r, y1); };
  auto lowerRight = [&] {
    Canvas->Arc(x1 - d + 1, y1 - d + 1, x1 + 1, y1 + 1, x1 - r, y1, x1, y1 - r);
  };
  auto upperRight = [&](int toX, int toY) {
    Canvas->Arc(x1 - d + 1, y0, x1 + 1, y0 + d, x1, y0 + r, toX, toY);
  };
  if (BottomColor != clNone) {
    Canvas->Pen()->SetColor(BottomColor);
    line(x1, y0 + r, x1, y1 - r);
    line(x0 + r, y1, x1 - r, y1);
    lowerRight();
  }
  if (TopColor != clNone) {
    Canvas->Pen()->SetColor(TopColor);
    line(x0 + r, y0, x1 - r, y0);
    line(x0, y0 + r, x0, y1 - r);
    upperLeft();
    upperRight(x1 - r, y0);
    lowerLeft();
  }
  // The upper-right corner's outer half belongs to the shadow side.
  if (BottomColor != clNone) {
    Canvas->Pen()->SetColor(BottomColor);
    upperRight(x1 + 1, y0 - 1);
  }
}
