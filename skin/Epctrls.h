#pragma once
// Panels that tile a shared wallpaper and draw their bevels in chosen
// colours, an invisible handle that drags its window, and small skinned
// controls painted straight onto their own canvas.
#include "platform/gfx/Graphics.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Extctrls.h"
#include "platform/ui/Typinfo.h"
#include "skin/Medialib.h"

#include <memory>

// A windowed control with nothing of its own.
class THack : public TWinControl {
public:
  using TWinControl::TWinControl;
};

class TepImagePanel : public TPanel {
public:
  explicit TepImagePanel(TComponent* AOwner);
  ~TepImagePanel() override;

  TColor BevelInnerColor() const { return bevelInnerColor; }
  void SetBevelInnerColor(TColor Value);
  TColor BevelOuterColor() const { return bevelOuterColor; }
  void SetBevelOuterColor(TColor Value);
  // Not owned; forgotten when the component goes away.
  TepBitmap* Wallpaper() const { return wallpaper; }
  void SetWallpaper(TepBitmap* Value);

protected:
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The paint covers every pixel: erasing first would only flicker.
  void WMEraseBkgnd(TMessage& Message) override;

private:
  void DrawWallPaper(TGraphic* Graphic);
  void DrawBevel(TPanelBevel Kind, const TRect& R);

  TColor bevelInnerColor = clBtnHighlight;
  TColor bevelOuterColor = clBtnShadow;
  TepBitmap* wallpaper = nullptr;
};

// Dragging it with the left button drags the window that owns it.
class TepMoveForm : public TGraphicControl {
public:
  explicit TepMoveForm(TComponent* AOwner);

  bool Moving() const { return moving; }

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  bool moving = false;
  int StartX = 0;
  int StartY = 0;
};

enum TepBevelStyle { bsLowered, bsRaised };
enum TepBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine };

class TepBevel : public TGraphicControl {
public:
  explicit TepBevel(TComponent* AOwner);

  TepBevelStyle Style() const { return style; }
  void SetStyle(TepBevelStyle Value);
  TepBevelShape Shape() const { return shape; }
  void SetShape(TepBevelShape Value);
  TColor InnerColor() const { return innerColor; }
  void SetInnerColor(TColor Value);
  TColor OuterColor() const { return outerColor; }
  void SetOuterColor(TColor Value);

protected:
  void Paint() override;

private:
  void HLine(int Y, TColor Color);
  void VLine(int X, TColor Color);

  TepBevelStyle style = bsLowered;
  TepBevelShape shape = bsBox;
  TColor innerColor = clBtnHighlight;
  TColor outerColor = clBtnShadow;
};

class TepImage : public TGraphicControl {
public:
  explicit TepImage(TComponent* AOwner);
  ~TepImage() override;

  TBitmap* Glyph() const { return glyph.get(); }
  // Copies Value's picture.
  void SetGlyph(const TBitmap* Value);
  bool Stretch() const { return stretch; }
  void SetStretch(bool Value);
  bool WallStyle() const { return wallStyle; }
  void SetWallStyle(bool Value);
  bool GlyphTransparent() const { return glyphTransparent; }
  void SetGlyphTransparent(bool Value);

protected:
  void Paint() override;

private:
  std::unique_ptr<TBitmap> glyph;
  bool stretch = false;
  bool wallStyle = false;
  bool glyphTransparent = false;
};

WT_DECLARE_META(THack)
WT_DECLARE_META(TepImagePanel)
WT_DECLARE_META(TepMoveForm)
WT_DECLARE_META(TepBevel)
WT_DECLARE_META(TepImage)
