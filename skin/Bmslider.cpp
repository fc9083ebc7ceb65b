#include "skin/Bmslider.h"

#include "platform/gfx/Gdi.h"
#include "platform/rtl/Filer.h"
#include "platform/rtl/Streams.h"
#include "platform/ui/Typinfo.h"
#include "skin/Bmputils.h"
#include "skin/Grutils.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The ruler keeps this far from every edge of the slider.
constexpr int kIndent = 6;
constexpr uintptr_t kTrackTimer = 1;
constexpr unsigned kTrackPeriod = 400;

// Halves to even, as the platform's rounding does; kept inside int.
int RoundToInt(double V) {
  const double r = std::nearbyint(V);
  if (r >= static_cast<double>(std::numeric_limits<int>::max()))
    return std::numeric_limits<int>::max();
  if (r <= static_cast<double>(std::numeric_limits<int>::min()))
    return std::numeric_limits<int>::min();
  return static_cast<int>(r);
}

int ClampToInt(int64_t V) {
  return static_cast<int>(
      std::clamp<int64_t>(V, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

// ---------------------------------------------------------------- TSliderThumb

TSliderThumb::TSliderThumb(TComponent* AOwner)
    : TCustomControl(AOwner), bitmap(std::make_unique<TBitmap>()) {
  ControlStyle = TControlStyle{csCaptureMouse, csOpaque};
}

TSliderThumb::~TSliderThumb() {
  Destroying();
}

void TSliderThumb::SetBitmap(const TBitmap* B) {
  bitmap->Assign(B);
  AdjustBounds();
}

void TSliderThumb::SetDown(bool Value) {
  if (Value == down)
    return;
  down = Value;
  Invalidate();
}

void TSliderThumb::SetNumStates(TNumThumbStates Value) {
  if (Value < 1 || Value > 2 || Value == numStates)
    return;
  numStates = Value;
  AdjustBounds();
}

void TSliderThumb::SetTransparent(bool Value) {
  transparent = Value;
  AdjustBounds();
}

void TSliderThumb::AdjustBounds() {
  if (bitmap->Empty())
    return;
  const int frameWidth = bitmap->Width() / numStates;
  SetBounds(Left(), Top(), frameWidth, bitmap->Height());
  HRGN shape = nullptr;
  if (transparent) {
    std::unique_ptr<uint8_t[]> data;
    int size = 0;
    if (numStates == 1) {
      size = CreateRFromBmp(bitmap.get(), data);
    } else {
      TBitmap frame;
      frame.SetSize(frameWidth, bitmap->Height());
      frame.Canvas()->CopyRect(Rect(0, 0, frameWidth, bitmap->Height()), bitmap->Canvas(),
                               Rect(0, 0, frameWidth, bitmap->Height()));
      size = CreateRFromBmp(&frame, data);
    }
    if (size > 0)
      shape = ExtCreateRegion(nullptr, static_cast<DWORD>(size),
                              reinterpret_cast<const RGNDATA*>(data.get()));
  }
  SetWindowRgn(shape, true);
  region = shape;
}

void TSliderThumb::Paint() {
  if (numStates == 2)
    PaintGlyph(Canvas(), 0, 0, bitmap.get(), 2, down ? 2 : 1);
  else
    PaintGlyph(Canvas(), 0, 0, bitmap.get(), 1, 1);
}

// ---------------------------------------------------------------- TepBMPSlider

TepBMPSlider::TepBMPSlider(TComponent* AOwner) : TEffectCControl(AOwner) {
  ControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csOpaque};
  SetBounds(Left(), Top(), 140, 40);
  SetTabStop(true);
  ControlState << csCreating;
  CreateElements();
  ControlState >> csCreating;
}

TepBMPSlider::~TepBMPSlider() {
  Destroying();
  if (timerActive)
    KillTimer(this, kTrackTimer);
}

void TepBMPSlider::CreateElements() {
  ruler = std::make_unique<TBitmap>();
  thumb = new TSliderThumb(this);
  thumb->SetParent(this);
  thumb->SetNumStates(2);
  thumb->OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                              int Y) { ThumbMouseDown(Sender, Button, Shift, X, Y); };
  thumb->OnMouseMove = [this](TObject* Sender, TShiftState Shift, int X, int Y) {
    ThumbMouseMove(Sender, Shift, X, Y);
  };
  thumb->OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    ThumbMouseUp(Sender, Button, Shift, X, Y);
  };
  for (int i = 0; i < 4; ++i)
    SetImage(i, nullptr);
  AdjustElements();
}

// ---------------------------------------------------------------- properties

void TepBMPSlider::SetValue(int V) {
  if (V > maxValue)
    V = maxValue;
  if (V < minValue)
    V = minValue;
  const bool changed = V != value;
  value = V;
  SetThumbOffset(GetOffsetByValue(V));
  if (changed && OnChange && !IsLoading(this))
    OnChange(this);
}

void TepBMPSlider::SetMinValue(int V) {
  if (V == minValue || static_cast<int64_t>(V) > static_cast<int64_t>(maxValue) - increment)
    return;
  minValue = V;
  if (options.Contains(soShowPoints))
    Invalidate();
}

void TepBMPSlider::SetMaxValue(int V) {
  if (V == maxValue || static_cast<int64_t>(V) < static_cast<int64_t>(minValue) + increment)
    return;
  maxValue = V;
  if (options.Contains(soShowPoints))
    Invalidate();
}

void TepBMPSlider::SetIncrement(int V) {
  if (V < 1 || V == increment)
    return;
  increment = V;
  SetValue(value);
  Invalidate();
}

void TepBMPSlider::SetOrientation(TSliderOrientation O) {
  if (O == orientation)
    return;
  orientation = O;
  thumb->SetBitmap(images[orientation == soHorizontal ? siHThumb : siVThumb].get());
  ImageChanged();
}

void TepBMPSlider::SetOptions(TSliderOptions S) {
  if (S == options)
    return;
  options = S;
  Invalidate();
}

void TepBMPSlider::SetPointsColor(TColor C) {
  pointsColor = C;
  Invalidate();
}

void TepBMPSlider::SetUseFocusFrame(bool Value) {
  useFocusFrame = Value;
  Invalidate();
}

void TepBMPSlider::SetFocusInnerColor(TColor C) {
  focusInnerColor = C;
  Invalidate();
}

void TepBMPSlider::SetFocusOuterColor(TColor C) {
  focusOuterColor = C;
  Invalidate();
}

TBitmap* TepBMPSlider::RulerImage() const {
  return images[orientation == soHorizontal ? siHRuler : siVRuler].get();
}

void TepBMPSlider::SetEdgeSize(int V) {
  TBitmap* image = RulerImage();
  const int extent = orientation == soHorizontal ? image->Width() : image->Height();
  if (static_cast<int64_t>(V) * 2 >= extent || V == edgeSize)
    return;
  edgeSize = V;
  ImageChanged();
}

void TepBMPSlider::SetImage(TImageArrayRange Index, const TBitmap* B) {
  if (Index < siHThumb || Index > siVRuler)
    return;
  const auto which = static_cast<TSliderImage>(Index);
  if (!images[Index])
    images[Index] = std::make_unique<TBitmap>();
  images[Index]->Assign(B);
  if (B != nullptr)
    userImages << which;
  else
    userImages >> which;
  if ((Index == siHThumb && orientation == soHorizontal) ||
      (Index == siVThumb && orientation == soVertical))
    thumb->SetBitmap(images[Index].get());
  if (!ControlState.Contains(csCreating))
    ImageChanged();
}

void TepBMPSlider::ImageChanged() {
  AdjustElements();
  Invalidate();
}

void TepBMPSlider::Loaded() {
  TEffectCControl::Loaded();
  for (int i = siHThumb; i <= siVRuler; ++i)
    if (userImages.Contains(static_cast<TSliderImage>(i)))
      SetImage(i, images[i].get());
}

void TepBMPSlider::DefineProperties(TFiler& Filer) {
  TEffectCControl::DefineProperties(Filer);
  Filer.DefineBinaryProperty(
      "UserImages",
      [this](TStream& s) {
        if (s.Size() - s.Position() != 1)
          throw EReadError("UserImages must hold exactly one byte");
        uint8_t mask = 0;
        s.ReadBuffer(&mask, 1);
        userImages = {};
        for (int i = siHThumb; i <= siVRuler; ++i)
          if ((mask & (1u << i)) != 0)
            userImages << static_cast<TSliderImage>(i);
      },
      [this](TStream& s) {
        uint8_t mask = 0;
        for (int i = siHThumb; i <= siVRuler; ++i)
          if (userImages.Contains(static_cast<TSliderImage>(i)))
            mask |= static_cast<uint8_t>(1u << i);
        s.WriteBuffer(&mask, 1);
      },
      !userImages.Empty());
}

// ---------------------------------------------------------------- geometry

void TepBMPSlider::BuildRuler() {
  TBitmap* image = RulerImage();
  const bool horizontal = orientation == soHorizontal;
  const int e = edgeSize;
  const int s = horizontal ? image->Width() : image->Height();
  const int b = s - 2 * e;
  // Without a middle section there is nothing to tile: no ruler.
  if (image->Empty() || b <= 0) {
    ruler->Assign(nullptr);
    return;
  }
  TBitmap work;
  if (horizontal)
    work.SetSize(std::max(0, Width() - 2 * kIndent), image->Height());
  else
    work.SetSize(image->Width(), std::max(0, Height() - 2 * kIndent));
  const int a = (horizontal ? work.Width() : work.Height()) - 2 * e;
  const int n = a / b + 1;
  const int rem = a % b;
  const int thickness = horizontal ? image->Height() : image->Width();
  // A piece along the slider, the full thickness across.
  auto along = [&](int start, int length) {
    return horizontal ? Rect(start, 0, start + length, thickness)
                      : Rect(0, start, thickness, start + length);
  };
  for (int i = 0; i < n; ++i) {
    if (i == 0)
      work.Canvas()->CopyRect(along(0, s - e), image->Canvas(), along(0, s - e));
    else if (i < n - 1)
      work.Canvas()->CopyRect(along(e + i * b, b), image->Canvas(), along(e, b));
    else
      work.Canvas()->CopyRect(along(e + i * b, e + rem), image->Canvas(),
                              along(e + b - rem, e + rem));
  }
  ruler->Assign(&work);
}

void TepBMPSlider::AdjustElements() {
  const int v = value;
  BuildRuler();
  const int rw = ruler->Width(), rh = ruler->Height();
  const int tw = thumb->Width(), th = thumb->Height();
  const int track = TrackExtent();
  if (orientation == soHorizontal) {
    if (rh < th) {
      thumb->SetBounds(kIndent, kIndent, tw, th);
      rulerOrg = Point(kIndent, kIndent + (th - rh) / 2);
      pointsRect = Rect(rulerOrg.X, th + 7, rulerOrg.X + track, Height() - 1);
    } else {
      thumb->SetBounds(kIndent, kIndent + (rh - th) / 2, tw, th);
      rulerOrg = Point(kIndent, kIndent);
      pointsRect = Rect(kIndent, rh + 7, kIndent + track, Height() - 1);
    }
  } else {
    if (rw < tw) {
      thumb->SetBounds(kIndent, kIndent, tw, th);
      rulerOrg = Point(kIndent + (tw - rw) / 2, kIndent);
      pointsRect = Rect(tw + 7, rulerOrg.Y, Width() - 1, rulerOrg.Y + track);
    } else {
      thumb->SetBounds(kIndent + (rw - tw) / 2, kIndent, tw, th);
      rulerOrg = Point(kIndent, kIndent);
      pointsRect = Rect(rw + 7, kIndent, Width() - 1, kIndent + track);
    }
  }
  SetValue(v);
}

// A slider stored with its thumb image alone slides over a ruler drawn
// beneath it by someone else: the thumb then travels the length the built
// ruler would have, not a negative one.
int TepBMPSlider::TrackExtent() const {
  const bool horizontal = orientation == soHorizontal;
  if (!ruler->Empty())
    return horizontal ? ruler->Width() : ruler->Height();
  return std::max(0, (horizontal ? Width() : Height()) - 2 * kIndent);
}

int TepBMPSlider::GetRulerLength() const {
  const int thumbExtent = orientation == soHorizontal ? thumb->Width() : thumb->Height();
  return std::max(0, TrackExtent() - thumbExtent);
}

int TepBMPSlider::GetThumbOffset() const {
  return orientation == soHorizontal ? thumb->Left() : thumb->Top();
}

int TepBMPSlider::GetOffsetByValue(int V) const {
  const int64_t range = static_cast<int64_t>(maxValue) - minValue;
  const int64_t span =
      static_cast<int64_t>(GetRulerLength()) * (static_cast<int64_t>(V) - minValue);
  const int64_t result =
      (range == 0 ? 0 : RoundToInt(static_cast<double>(span) / static_cast<double>(range))) +
      int64_t{kIndent};
  if (orientation == soVertical)
    return ClampToInt(int64_t{ClientHeight()} - result - thumb->Height());
  return ClampToInt(result);
}

int TepBMPSlider::GetValueByOffset(int O) const {
  const int length = GetRulerLength();
  // A thumb with no travel says nothing about the value.
  if (length == 0)
    return value;
  int64_t o = O;
  if (orientation == soVertical)
    o = int64_t{ClientHeight()} - o - thumb->Height();
  const int64_t range = static_cast<int64_t>(maxValue) - minValue;
  int64_t v = RoundToInt(static_cast<double>((o - kIndent) * range) / length);
  if (!options.Contains(soSmooth))
    v = (v / increment) * increment;
  return ClampToInt(v + minValue);
}

void TepBMPSlider::SetThumbOffset(int O) {
  const int old = value;
  const int length = GetRulerLength();
  O = std::max(O, kIndent);
  O = std::min(O, length + kIndent);
  if (!options.Contains(soSmooth))
    O = GetOffsetByValue(GetValueByOffset(O));
  if (orientation == soHorizontal)
    thumb->SetLeft(O);
  else
    thumb->SetTop(O);
  if (!sliding)
    return;
  value = GetValueByOffset(O);
  if (value != old)
    Change();
}

void TepBMPSlider::Change() {
  if (OnChange)
    OnChange(this);
}

// ---------------------------------------------------------------- jumps and mouse

void TepBMPSlider::ThumbJump(TJumpMode Mode) {
  // The grid counts from 0, not from MinValue.
  const int64_t grid = (static_cast<int64_t>(value) / increment) * increment;
  switch (Mode) {
  case jmHome:
    SetValue(minValue);
    break;
  case jmEnd:
    SetValue(maxValue);
    break;
  case jmNext:
    SetValue(ClampToInt(grid + increment));
    break;
  case jmPrior:
    SetValue(ClampToInt(grid - increment));
    break;
  case jmNone:
    break;
  }
}

TJumpMode TepBMPSlider::JumpTo(int X, int Y) const {
  if (orientation == soHorizontal) {
    if (X < thumb->Left())
      return jmPrior;
    if (X > thumb->Left() + thumb->Width())
      return jmNext;
    return jmNone;
  }
  if (Y < thumb->Top())
    return jmNext;
  if (Y > thumb->Top() + thumb->Height())
    return jmPrior;
  return jmNone;
}

void TepBMPSlider::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TEffectCControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || Shift.Contains(ssDouble))
    return;
  if (CanFocus())
    SetFocus();
  SetMouseCapture(true);
  tracking = true;
  mousePos = Point(X, Y);
  startJump = JumpTo(X, Y);
  TimerTrack();
}

void TepBMPSlider::TimerTrack() {
  const TJumpMode mode = JumpTo(mousePos.X, mousePos.Y);
  if (mode != startJump)
    return;
  ThumbJump(mode);
  if (timerActive)
    return;
  SetTimer(this, kTrackTimer, kTrackPeriod);
  timerActive = true;
}

void TepBMPSlider::StopTracking() {
  if (!tracking)
    return;
  if (timerActive) {
    KillTimer(this, kTrackTimer);
    timerActive = false;
  }
  tracking = false;
  SetMouseCapture(false);
}

void TepBMPSlider::MouseMove(TShiftState Shift, int X, int Y) {
  if (tracking)
    mousePos = Point(X, Y);
  TEffectCControl::MouseMove(Shift, X, Y);
}

void TepBMPSlider::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  StopTracking();
  TEffectCControl::MouseUp(Button, Shift, X, Y);
}

void TepBMPSlider::WMTimer(TMessage& Message) {
  if (Message.WParam == kTrackTimer && timerActive)
    TimerTrack();
  TEffectCControl::WMTimer(Message);
}

void TepBMPSlider::ThumbMouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  if (CanFocus())
    SetFocus();
  if (Button != mbLeft)
    return;
  hitOffset = orientation == soHorizontal ? X : Y;
  sliding = true;
  thumb->SetDown(true);
}

void TepBMPSlider::ThumbMouseMove(TObject*, TShiftState Shift, int X, int Y) {
  const TPoint p = ScreenToClient(thumb->ClientToScreen(Point(X, Y)));
  if (!Shift.Contains(ssLeft))
    return;
  SetThumbOffset((orientation == soHorizontal ? p.X : p.Y) - hitOffset);
}

void TepBMPSlider::ThumbMouseUp(TObject*, TMouseButton, TShiftState, int, int) {
  sliding = false;
  thumb->SetDown(false);
}

void TepBMPSlider::KeyDown(uint16_t& Key, TShiftState Shift) {
  if ((Shift * TShiftState{ssShift, ssAlt, ssCtrl}).Empty()) {
    TJumpMode mode = jmNone;
    if (Key == VK_HOME)
      mode = jmHome;
    else if (Key == VK_END)
      mode = jmEnd;
    else if (orientation == soHorizontal && Key == VK_LEFT)
      mode = jmPrior;
    else if (orientation == soHorizontal && Key == VK_RIGHT)
      mode = jmNext;
    else if (orientation == soVertical && Key == VK_UP)
      mode = jmNext;
    else if (orientation == soVertical && Key == VK_DOWN)
      mode = jmPrior;
    if (mode != jmNone) {
      Key = 0;
      ThumbJump(mode);
    }
  }
  TEffectCControl::KeyDown(Key, Shift);
}

// ---------------------------------------------------------------- messages

void TepBMPSlider::WMSize(TMessage& Message) {
  TEffectCControl::WMSize(Message);
  // The constructor sizes the control before its elements exist.
  if (!ruler)
    return;
  if (!ComponentState().Contains(csReading))
    ImageChanged();
}

void TepBMPSlider::WMEraseBkgnd(TMessage& Message) {
  if (transparent)
    TEffectCControl::WMEraseBkgnd(Message);
  else
    TWinControl::WMEraseBkgnd(Message);
}

void TepBMPSlider::WMGetDlgCode(TMessage& Message) {
  Message.Result = DLGC_WANTARROWS;
}

void TepBMPSlider::CMFocusChanged(TMessage& Message) {
  TEffectCControl::CMFocusChanged(Message);
  const bool now = reinterpret_cast<TWinControl*>(Message.LParam) == this;
  if (now == focused)
    return;
  focused = now;
  if (!options.Contains(soShowFocus))
    return;
  Invalidate();
  thumb->Invalidate();
}

// ---------------------------------------------------------------- painting

void TepBMPSlider::PaintFace() {
  TCanvas* canvas = OffBmp()->Canvas();
  if (!ruler->Empty())
    DrawBitmapTransparent(canvas, rulerOrg.X, rulerOrg.Y, ruler.get(),
                          GetTransparentColor(ruler.get()));
  if (options.Contains(soShowFocus) && focused) {
    if (useFocusFrame)
      Frm3D(canvas, ClientRect(), focusInnerColor, focusOuterColor, 1);
    else
      canvas->DrawFocusRect(ClientRect());
  }
  if (!options.Contains(soShowPoints))
    return;
  if (OnDrawPoints)
    OnDrawPoints(this);
  else
    DefaultDrawPoints(increment, 3, 4);
}

void TepBMPSlider::DefaultDrawPoints(int Step, int Height, int ExtremeHeight) {
  if (Step < 1)
    return;
  TCanvas* canvas = OffBmp() != nullptr ? OffBmp()->Canvas() : Canvas();
  const int64_t length = GetRulerLength();
  const int64_t range = static_cast<int64_t>(maxValue) - minValue;
  canvas->Pen()->SetColor(pointsColor);
  // Fewer ticks until they stand at least 3 pixels apart.
  int64_t k = 0;
  int64_t gap = 0;
  do {
    ++k;
    const int64_t count = range / (k * Step) + 1;
    gap = count > 1 ? (length - count) / (count - 1) : length;
  } while (gap < 3 && gap != length);
  const int64_t stride = k * Step;
  for (int64_t v = minValue; v <= maxValue; v += stride) {
    const int h = v == minValue || v == maxValue ? ExtremeHeight : Height;
    const int o = GetOffsetByValue(static_cast<int>(v));
    if (orientation == soHorizontal) {
      const int x = o + thumb->Width() / 2;
      const int y = (pointsRect.Top + pointsRect.Bottom) / 2 - h / 2;
      canvas->Rectangle(x, y, x + 1, y + h);
    } else {
      const int y = o + thumb->Height() / 2;
      const int x = (pointsRect.Left + pointsRect.Right) / 2 - h / 2;
      canvas->Rectangle(x, y, x + h, y + 1);
    }
  }
}

// ---------------------------------------------------------------- publishing

namespace {

[[maybe_unused]] const bool sliderIdents =
    RegisterEnum<TSliderOrientation>(
        {{"soHorizontal", soHorizontal}, {"soVertical", soVertical}}) &&
    RegisterEnum<TSliderOption>(
        {{"soShowFocus", soShowFocus}, {"soShowPoints", soShowPoints}, {"soSmooth", soSmooth}}) &&
    RegisterEnum<TSliderImage>({{"siHThumb", siHThumb},
                                {"siHRuler", siHRuler},
                                {"siVThumb", siVThumb},
                                {"siVRuler", siVRuler}});

// An image is stored only when the user supplied it; while a layout is read
// every image takes what it holds, and Loaded applies them.
TPropInfo ImageProperty(const char* Name, TSliderImage Index) {
  TPropInfo info;
  info.Name = Name;
  info.Kind = pkObject;
  info.ObjectClass = &MetaOf<TBitmap>();
  info.SubObject = [Index](TObject& o) -> TObject* {
    auto& slider = static_cast<TepBMPSlider&>(o);
    if (slider.UserImages().Contains(Index) || slider.ComponentState().Contains(csReading))
      return slider.GetImage(Index);
    return nullptr;
  };
  return info;
}

} // namespace

WT_PUBLISH(TepBMPSlider, TEffectCControl) {
  p.Property("UseFocusFrame", &TepBMPSlider::UseFocusFrame, &TepBMPSlider::SetUseFocusFrame);
  p.Color("FocusInnerColor", &TepBMPSlider::FocusInnerColor, &TepBMPSlider::SetFocusInnerColor);
  p.Color("FocusOuterColor", &TepBMPSlider::FocusOuterColor, &TepBMPSlider::SetFocusOuterColor);
  p.Color("PointsColor", &TepBMPSlider::PointsColor, &TepBMPSlider::SetPointsColor);
  p.Property("ThumbTransparent", &TepBMPSlider::ThumbTransparent,
             &TepBMPSlider::SetThumbTransparent);
  p.Custom(ImageProperty("ImageHThumb", siHThumb));
  p.Custom(ImageProperty("ImageHRuler", siHRuler));
  p.Custom(ImageProperty("ImageVThumb", siVThumb));
  p.Custom(ImageProperty("ImageVRuler", siVRuler));
  p.Property("EdgeSize", &TepBMPSlider::EdgeSize, &TepBMPSlider::SetEdgeSize).Default(2);
  p.Property("NumThumbStates", &TepBMPSlider::NumThumbStates, &TepBMPSlider::SetNumThumbStates);
  p.Property("Orientation", &TepBMPSlider::Orientation, &TepBMPSlider::SetOrientation)
      .Default(soHorizontal);
  p.Property("Options", &TepBMPSlider::Options, &TepBMPSlider::SetOptions);
  p.Property("Increment", &TepBMPSlider::Increment, &TepBMPSlider::SetIncrement);
  p.Property("MinValue", &TepBMPSlider::MinValue, &TepBMPSlider::SetMinValue);
  p.Property("MaxValue", &TepBMPSlider::MaxValue, &TepBMPSlider::SetMaxValue);
  p.Property("Value", &TepBMPSlider::Value, &TepBMPSlider::SetValue);
  p.Event("OnChange", &TepBMPSlider::OnChange);
  p.Event("OnDrawPoints", &TepBMPSlider::OnDrawPoints);
}
