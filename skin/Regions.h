#pragma once
// Controls shaped by a region taken from a black-and-white mask: the shaped
// form that cuts its form's window to the mask and lets the user drag it, and
// the windowless filled shape. Their regions are stored in layouts as the
// binary property "Region": a 4-byte count, then the region data.
#include "platform/gfx/Graphics.h"
#include "platform/rtl/Persistent.h"
#include "platform/ui/Controls.h"

#include <cstdint>
#include <memory>

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

WT_DECLARE_META(TepRegionForm)
