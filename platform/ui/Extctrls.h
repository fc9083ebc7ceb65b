#pragma once
// Panels with bevels, pictures on a form, and the 3-D frame they draw with.
#include "platform/ui/Controls.h"
#include "platform/ui/Stdctrls.h"

#include <memory>

// Draws a frame of Width pixels just inside Rect, top and left in TopColor,
// bottom and right in BottomColor, and shrinks Rect to what lies inside it.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width);

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

// A panel's bevels, border and centred caption, with none of its properties
// published: each descendant names those a layout may set.
class TCustomPanel : public TCustomControl {
public:
  explicit TCustomPanel(TComponent* AOwner);

  TPanelBevel BevelInner() const { return bevelInner; }
  void SetBevelInner(TPanelBevel Value);
  TPanelBevel BevelOuter() const { return bevelOuter; }
  void SetBevelOuter(TPanelBevel Value);
  int BevelWidth() const { return bevelWidth; }
  void SetBevelWidth(int Value);
  int BorderWidth() const { return borderWidth; }
  void SetBorderWidth(int Value);
  TAlignment Alignment() const { return alignment; }
  void SetAlignment(TAlignment Value);

  // Aligned children fill what the bevels and the border leave free.
  void AlignControls(TControl* AControl, TRect& Rect) override;

protected:
  void Paint() override;
  void CMTextChanged(TMessage& Message) override;

private:
  // Bevels and border: how far the free area lies inside each edge.
  int FrameWidth() const;
  void FrameChanged();

  TPanelBevel bevelInner = bvNone;
  TPanelBevel bevelOuter = bvRaised;
  int bevelWidth = 1;
  int borderWidth = 0;
  TAlignment alignment = taCenter;
};

class TPanel : public TCustomPanel {
public:
  using TCustomPanel::TCustomPanel;
};

// Shows its picture: at the top left, centred or stretched to the control.
class TImage : public TGraphicControl {
public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return picture.get(); }
  void SetPicture(const TPicture* Value) { picture->Assign(Value); }
  bool Stretch() const { return stretch; }
  void SetStretch(bool Value);
  bool Center() const { return center; }
  void SetCenter(bool Value);
  // Takes the picture's size whenever the picture changes.
  bool AutoSize() const { return autoSize; }
  void SetAutoSize(bool Value);
  bool Transparent() const { return transparent; }
  void SetTransparent(bool Value);

protected:
  void Paint() override;

private:
  void PictureChanged(TObject* Sender);
  TRect DestRect() const;

  std::unique_ptr<TPicture> picture;
  bool stretch = false;
  bool center = false;
  bool autoSize = false;
  bool transparent = false;
};

WT_DECLARE_META(TCustomPanel)
WT_DECLARE_META(TPanel)
WT_DECLARE_META(TImage)
