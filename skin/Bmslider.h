#pragma once
// An integer slider drawn wholly from bitmaps: a ruler stretched to the
// control's length from an image whose two ends stay fixed, a thumb that is a
// small child window cut to the shape of its image, tick marks and a focus
// frame. The ruler takes page jumps (repeated while the button is held), the
// thumb is dragged, and the keyboard steps on the increment grid.
#include "platform/ui/Controls.h"
#include "skin/Vclbase.h"

#include <array>
#include <cstdint>
#include <memory>

enum TSliderOrientation { soHorizontal, soVertical };
enum TSliderOption { soShowFocus, soShowPoints, soSmooth };
using TSliderOptions = TSet<TSliderOption>;
enum TSliderImage { siHThumb, siHRuler, siVThumb, siVRuler };
using TSliderImages = TSet<TSliderImage>;
using TImageArrayRange = int;    // 0..3, the values of TSliderImage
using TNumThumbStates = uint8_t; // 1..2
enum TJumpMode { jmNone, jmHome, jmEnd, jmNext, jmPrior };

// The thumb: its image holds one frame, or two side by side (up, held down).
class TSliderThumb : public TCustomControl {
public:
  explicit TSliderThumb(TComponent* AOwner);
  ~TSliderThumb() override;

  TBitmap* Bitmap() const { return bitmap.get(); }
  // Copies B's picture and fits the window to one frame of it.
  void SetBitmap(const TBitmap* B);
  bool Down() const { return down; }
  void SetDown(bool Value);
  TNumThumbStates NumStates() const { return numStates; }
  // Values outside 1..2 are ignored: the frame width divides by it.
  void SetNumStates(TNumThumbStates Value);
  bool Transparent() const { return transparent; }
  // A transparent thumb's window is cut to the opaque pixels of its frame.
  void SetTransparent(bool Value);
  HRGN Region() const { return region; }

protected:
  void Paint() override;

private:
  void AdjustBounds();

  std::unique_ptr<TBitmap> bitmap;
  bool down = false;
  TNumThumbStates numStates = 2;
  bool transparent = false;
  HRGN region = nullptr; // owned by the window
};

class TepBMPSlider : public TEffectCControl {
public:
  explicit TepBMPSlider(TComponent* AOwner);
  ~TepBMPSlider() override;

  int Value() const { return value; }
  // Clamped to the range; the thumb snaps to the grid without soSmooth but
  // Value keeps what was asked. OnChange fires only for a new value.
  void SetValue(int V);
  int MinValue() const { return minValue; }
  // Ignored unless it leaves at least one increment below MaxValue.
  void SetMinValue(int V);
  int MaxValue() const { return maxValue; }
  // Ignored unless it leaves at least one increment above MinValue.
  void SetMaxValue(int V);
  int Increment() const { return increment; }
  // Values below 1 are ignored.
  void SetIncrement(int V);
  TSliderOrientation Orientation() const { return orientation; }
  void SetOrientation(TSliderOrientation O);
  TSliderOptions Options() const { return options; }
  void SetOptions(TSliderOptions S);
  TColor PointsColor() const { return pointsColor; }
  void SetPointsColor(TColor C);
  bool UseFocusFrame() const { return useFocusFrame; }
  void SetUseFocusFrame(bool Value);
  TColor FocusInnerColor() const { return focusInnerColor; }
  void SetFocusInnerColor(TColor C);
  TColor FocusOuterColor() const { return focusOuterColor; }
  void SetFocusOuterColor(TColor C);
  int EdgeSize() const { return edgeSize; }
  // Ignored unless both edges together are narrower than the ruler image.
  void SetEdgeSize(int V);
  // Copies B into the image (null empties it) and notes it as user-supplied.
  void SetImage(TImageArrayRange Index, const TBitmap* B);
  TBitmap* GetImage(TImageArrayRange Index) const { return images.at(Index).get(); }
  TSliderImages UserImages() const { return userImages; }
  TNumThumbStates NumThumbStates() const { return thumb->NumStates(); }
  void SetNumThumbStates(TNumThumbStates Value) { thumb->SetNumStates(Value); }
  bool ThumbTransparent() const { return thumb->Transparent(); }
  void SetThumbTransparent(bool Value) { thumb->SetTransparent(Value); }

  TSliderThumb* Thumb() const { return thumb; }
  TBitmap* Ruler() const { return ruler.get(); }
  TPoint RulerOrg() const { return rulerOrg; }
  TRect PointsRect() const { return pointsRect; }
  bool IsFocused() const { return focused; }
  bool Sliding() const { return sliding; }
  bool Tracking() const { return tracking; }
  bool TimerActive() const { return timerActive; }

  // The thumb's travel: the ruler's length less the thumb's, never negative.
  int GetRulerLength() const;
  int GetThumbOffset() const;
  int GetOffsetByValue(int V) const;
  int GetValueByOffset(int O) const;
  void ThumbJump(TJumpMode Mode);
  TJumpMode JumpTo(int X, int Y) const;

  void DefineProperties(TFiler& Filer) override;

  TNotifyEvent OnChange;
  TNotifyEvent OnDrawPoints;

protected:
  virtual void ThumbMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, int X,
                              int Y);
  virtual void ThumbMouseMove(TObject* Sender, TShiftState Shift, int X, int Y);
  virtual void ThumbMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void DefaultDrawPoints(int Step, int Height, int ExtremeHeight);
  virtual void Change();

  void PaintFace() override;
  void Loaded() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(uint16_t& Key, TShiftState Shift) override;
  void WMSize(TMessage& Message) override;
  void WMTimer(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMGetDlgCode(TMessage& Message) override;
  void CMFocusChanged(TMessage& Message) override;

private:
  void CreateElements();
  void BuildRuler();
  void AdjustElements();
  void ImageChanged();
  void SetThumbOffset(int O);
  void TimerTrack();
  void StopTracking();
  // The ruler image of the current orientation.
  TBitmap* RulerImage() const;
  // The extent along the slider that the thumb travels over, thumb included.
  int TrackExtent() const;

  bool useFocusFrame = false;
  TColor pointsColor = 0;
  TColor focusInnerColor = clBtnHighlight;
  TColor focusOuterColor = clBtnShadow;
  TSliderImages userImages;
  std::array<std::unique_ptr<TBitmap>, 4> images;
  int edgeSize = 2;
  std::unique_ptr<TBitmap> ruler;
  TPoint rulerOrg{0, 0};
  TSliderThumb* thumb = nullptr; // owned as a component
  TRect pointsRect{0, 0, 0, 0};
  TSliderOrientation orientation = soHorizontal;
  TSliderOptions options{soShowFocus, soShowPoints, soSmooth};
  int minValue = 0;
  int maxValue = 100;
  int increment = 10;
  int value = 0;
  int hitOffset = 0;
  bool focused = false;
  bool sliding = false;
  bool tracking = false;
  bool timerActive = false;
  TPoint mousePos{0, 0};
  TJumpMode startJump = jmNone;
};

WT_DECLARE_META(TepBMPSlider)
