#pragma once
// Controls shaped by a region taken from a black-and-white mask: the shaped
// form that cuts its form's window to the mask and lets the user drag it, and
// the windowless filled shape. Their regions are stored in layouts as the
// binary property "Region": a 4-byte count, then the region data.
#include "platform/gfx/Graphics.h"
#include "platform/rtl/Persistent.h"
#include "platform/ui/Buttons.h"
#include "platform/ui/Controls.h"

#include <cstdint>
#include <memory>
#include <vector>

class TStream;

// The shape: a region handle (null when none) and the control it belongs to.
class TepRegionType : public TPersistent {
public:
  explicit TepRegionType(TControl* AOwner) : owner(AOwner) {}
  HRGN Region = nullptr;
  TControl* Owner() const { return owner; }

private:
  TControl* owner;
};

// The "Region" property's stream form, shared by every shaped control.
// Writes a 4-byte 0 without a region.
void WriteRegionData(HRGN Region, TStream& Stream);
// Reads the count and the block; a count of 0 gives no block and answers 0.
// EReadError for a count the stream does not hold.
uint32_t ReadRegionData(TStream& Stream, std::unique_ptr<uint8_t[]>& Data);

class TepRegionForm : public TGraphicControl {
public:
  // Owner must be a windowed control (EInvalidCast otherwise): its window
  // procedure is replaced by one of this control's.
  explicit TepRegionForm(TComponent* AOwner);
  ~TepRegionForm() override;

  void SetParent(TWinControl* AParent) override;

  TPicture* Picture() const { return picture.get(); }
  // Copies Value; a picture turns the drawn title and bevel off.
  void SetPicture(const TPicture* Value);
  TBitmap* Mask() const { return mask.get(); }
  // Copies Value and shapes the owner form to it; an empty mask changes nothing.
  void SetMask(const TBitmap* Value);
  bool Draggable() const { return draggable; }
  void SetDraggable(bool Value) { draggable = Value; }
  int TitleHeight() const { return titleHeight; }
  void SetTitleHeight(int Value) { titleHeight = Value; }
  bool ShowTitle() const { return showTitle; }
  void SetShowTitle(bool Value);
  bool ShowBevel() const { return showBevel; }
  void SetShowBevel(bool Value);

  // The window region, as given to the owner form (null when none).
  HRGN WindowRegion() const { return regionType->Region; }
  // The shape in this control's coordinates.
  HRGN FillRegion() const { return fillRgn; }

  // Makes the window region and its offset copies from a region data block
  // and gives the window region to the owner form.
  void NewRegion(uint32_t Size, const uint8_t* Data);

  void DefineProperties(TFiler& Filer) override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  virtual void ReadData(TStream& Stream);
  virtual void WriteData(TStream& Stream);

private:
  void SubclassProc(TMessage& Message);
  void Unhook();
  void DeleteOffsetRegions();
  // Back to the plain rectangular window.
  void ClearRegion();
  void InvalidateOwner();

  std::unique_ptr<TPicture> picture;
  std::unique_ptr<TepRegionType> regionType;
  HRGN fillRgn = nullptr;
  HRGN highlightRgn = nullptr;
  HRGN shadowRgn = nullptr;
  HRGN titleRgn = nullptr;
  bool draggable = true;
  bool dragging = false;
  int dragX = 0;
  int dragY = 0;
  int titleHeight = 17;
  std::unique_ptr<TBitmap> mask;
  bool showTitle = true;
  bool showBevel = false;
  TWinControl* ownerWindow = nullptr; // whose window procedure is replaced
  TWndMethod oldWndProc;
  bool hooked = false;
  bool regionGiven = false; // the window region belongs to the owner's window
};

// A windowless filled shape.
class TepRegionGraphicControl : public TGraphicControl {
public:
  explicit TepRegionGraphicControl(TComponent* AOwner);
  ~TepRegionGraphicControl() override;

  TBitmap* Mask() const { return mask.get(); }
  // Copies Value and takes its size and shape: every pixel but the pure
  // white ones. An empty bitmap is only copied.
  void SetMask(const TBitmap* Value);
  HRGN Region() const { return regionType->Region; }
  // Replaces the shape by one made from a region data block.
  virtual void NewRegion(uint32_t Size, const uint8_t* Data);

  void DefineProperties(TFiler& Filer) override;

protected:
  void Paint() override;
  virtual void ReadData(TStream& Stream);
  virtual void WriteData(TStream& Stream);
  // Drops the shape.
  virtual void ClearRegion();

  std::unique_ptr<TepRegionType> regionType;
  std::unique_ptr<TBitmap> mask;
};

// A raised or sunken one-pixel edge along a shape: UpperLeft (when given) is
// framed one pixel up and left, LowerRight one pixel down and right; then,
// with Fill, the shape is filled with the face colour.
void DrawRegionEdge(TCanvas* Canvas, HRGN FillRgn, HRGN UpperLeft, HRGN LowerRight, bool Down,
                    bool Fill);
// The two-pixel edge of a standard button along a shape.
void DrawRegionEdgeStd(TCanvas* Canvas, HRGN FillRgn, HRGN UpperLeft, HRGN LowerRight, bool Down,
                       bool Fill);

// A button's glyph: a strip of one to four frames (up, disabled, down,
// exclusive) and the image of each state, made once and kept.
class TButtonGlyph {
public:
  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  TBitmap* Glyph() const { return original.get(); }
  void SetGlyph(const TBitmap* Value) { original->Assign(Value); }
  int NumGlyphs() const { return numGlyphs; }
  // 1 to 4; other values change nothing.
  void SetNumGlyphs(int Value);
  TColor TransparentColor() const { return transparentColor; }

  // Lays glyph and caption out in Client and draws them, moved by Offset.
  // Answers where the caption went.
  TRect Draw(TCanvas* Canvas, const TRect& Client, TPoint Offset, const AnsiString& Caption,
             TButtonLayout Layout, int Margin, int Spacing, TButtonState State);
  // Where the glyph and the caption go in Client.
  void CalcLayout(TCanvas* Canvas, const TRect& Client, TPoint Offset, const AnsiString& Caption,
                  TButtonLayout Layout, int Margin, int Spacing, TPoint& GlyphPos,
                  TRect& TextBounds);

  TNotifyEvent OnChange;

private:
  void GlyphChanged(TObject* Sender);
  void Invalidate();
  TBitmap* StateImage(TButtonState State, TColor& Transparent);
  void DrawCaption(TCanvas* Canvas, const AnsiString& Caption, TRect TextBounds,
                   TButtonState State);

  std::unique_ptr<TBitmap> original;
  std::vector<std::unique_ptr<TBitmap>> images;
  int indexes[4] = {-1, -1, -1, -1};
  TColor transparentColor = clFuchsia;
  int numGlyphs = 1;
};

// A speed button whose hit area and 3-D edges follow its shape.
class TepRegionSpeedButton : public TepRegionGraphicControl {
public:
  explicit TepRegionSpeedButton(TComponent* AOwner);
  ~TepRegionSpeedButton() override;

  int GroupIndex() const { return groupIndex; }
  void SetGroupIndex(int Value);
  bool Down() const { return down; }
  void SetDown(bool Value);
  bool AllowAllUp() const { return allowAllUp; }
  void SetAllowAllUp(bool Value);
  TButtonLayout Layout() const { return layout; }
  void SetLayout(TButtonLayout Value);
  int Spacing() const { return spacing; }
  void SetSpacing(int Value);
  int Margin() const { return margin; }
  // -1 (centred) and up; other values change nothing.
  void SetMargin(int Value);
  bool Flat() const { return flat; }
  void SetFlat(bool Value);
  TBitmap* Glyph() const { return glyph->Glyph(); }
  void SetGlyph(const TBitmap* Value);
  int NumGlyphs() const { return glyph->NumGlyphs(); }
  void SetNumGlyphs(int Value);
  int GlyphPosX() const { return glyphPosX; }
  void SetGlyphPosX(int Value);
  int GlyphPosY() const { return glyphPosY; }
  void SetGlyphPosY(int Value);
  TButtonState State() const { return state; }
  bool MouseInControl() const { return mouseInControl; }
  // The shape's edge copies.
  HRGN UpperLeftRegion() const { return upperLeftRgn; }
  HRGN LowerRightRegion() const { return lowerRightRgn; }

  void NewRegion(uint32_t Size, const uint8_t* Data) override;

protected:
  void Paint() override;
  void ClearRegion() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void CMButtonPressed(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;

private:
  bool Inside(int X, int Y) const;
  void UpdateExclusive();
  void UpdateTracking();
  void PaintFrame(TCanvas* Canvas, TRect& PaintRect, bool Pressed);
  void DeleteEdgeRegions();
  void GlyphChanged(TObject* Sender);

  int groupIndex = 0;
  std::unique_ptr<TButtonGlyph> glyph;
  bool down = false;
  bool dragging = false;
  bool allowAllUp = false;
  TButtonLayout layout = TButtonLayout::blGlyphLeft;
  int spacing = 4;
  int margin = -1;
  bool flat = false;
  bool mouseInControl = false;
  HRGN upperLeftRgn = nullptr;
  HRGN lowerRightRgn = nullptr;
  int glyphPosX = 0;
  int glyphPosY = 0;
  TButtonState state = TButtonState::bsUp;
};

// The caption's lines, each cut to Width with "..." where it is wider.
AnsiString FitCaption(TCanvas* Canvas, const AnsiString& Caption, int Width);

WT_DECLARE_META(TepRegionForm)
WT_DECLARE_META(TepRegionGraphicControl)
WT_DECLARE_META(TepRegionSpeedButton)
