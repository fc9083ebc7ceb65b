#pragma once
// A picture shared by several controls as their wallpaper, and small controls
// drawn with the same ideas: a bevelled panel with a tiled wallpaper, the
// bevel alone, an invisible area that reports the pointer entering and
// leaving, and a timed cross-fade between two bitmaps.
#include "platform/gfx/Graphics.h"
#include "platform/ui/Classes.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Extctrls.h"
#include "platform/ui/Timers.h"
#include "platform/ui/Typinfo.h"

#include <cstdint>
#include <memory>

// Owns one picture of any registered graphic class; those who show it hold a
// plain reference and forget it when the component goes away.
class TepBitmap : public TComponent {
public:
  explicit TepBitmap(TComponent* AOwner);
  ~TepBitmap() override;

  TPicture* Bitmap() const { return bitmap.get(); }
  // Copies Value; the caller keeps its own.
  void SetBitmap(const TPicture* Value);

private:
  std::unique_ptr<TPicture> bitmap;
};

// Nested frames, N wide, around a W x H area from (0, 0): top and left in A,
// bottom and right in Z. A light A over a dark Z looks raised.
void DrawMediaBevel(TCanvas* Canvas, int W, int H, int N, TColor A, TColor Z);

// The wallpaper's graphic when it can be drawn: present, with a positive size.
TGraphic* WallpaperGraphic(const TepBitmap* Wallpaper);

class TepCustomMediaPanel : public TCustomPanel {
public:
  explicit TepCustomMediaPanel(TComponent* AOwner);
  ~TepCustomMediaPanel() override;

  TColor InnerColor() const { return innerColor; }
  void SetInnerColor(TColor Value);
  TColor OuterColor() const { return outerColor; }
  void SetOuterColor(TColor Value);
  TepBitmap* Wallpaper() const { return wallpaper; }
  void SetWallpaper(TepBitmap* Value);

protected:
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void PaintWallpaper(TGraphic* Graphic);

  TColor innerColor = clBtnHighlight;
  TColor outerColor = clBtnShadow;
  TepBitmap* wallpaper = nullptr;
};

class TepMediaPanel : public TepCustomMediaPanel {
public:
  using TepCustomMediaPanel::TepCustomMediaPanel;
};

class TepMediaBevel : public TGraphicControl {
public:
  explicit TepMediaBevel(TComponent* AOwner);

  TColor InnerColor() const { return innerColor; }
  void SetInnerColor(TColor Value);
  TColor OuterColor() const { return outerColor; }
  void SetOuterColor(TColor Value);
  int BevelWidth() const { return bevelWidth; }
  void SetBevelWidth(int Value);

protected:
  void Paint() override;

private:
  TColor innerColor = clBtnHighlight;
  TColor outerColor = clBtnShadow;
  int bevelWidth = 2;
};

// Paints nothing: it only tells when the pointer comes and goes.
class TepTracker : public TCustomControl {
public:
  explicit TepTracker(TComponent* AOwner);

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

protected:
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
};

enum TDirect { mdForward, mdBackward };

class TepMorphing : public TCustomControl {
public:
  explicit TepMorphing(TComponent* AOwner);
  ~TepMorphing() override;

  TDirect Direct() const { return direct; }
  void SetDirect(TDirect Value);
  TBitmap* Dest() const { return dest.get(); }
  void SetDest(const TBitmap* Value);
  TBitmap* Source() const { return source.get(); }
  void SetSource(const TBitmap* Value);
  uint8_t Step() const { return step; }
  void SetStep(uint8_t Value) { step = Value; }
  // Where the fade stands, 0 to 1.
  double Factor() const { return factor; }
  bool Fading() const { return timer->Enabled(); }

  // Starts the fade from the beginning; with Step 0 it ends at once.
  void Morphing();

protected:
  void Paint() override;

private:
  void TimerExpired(TObject* Sender);
  // What the fade starts and ends with in the current direction.
  TBitmap* FromImage() const;
  TBitmap* ToImage() const;

  TDirect direct = mdForward;
  std::unique_ptr<TBitmap> dest;
  std::unique_ptr<TBitmap> source;
  uint8_t step = 20;
  std::unique_ptr<TTimer> timer;
  double factor = 0.0;
  double increment = 0.0;
};

WT_DECLARE_META(TepBitmap)
WT_DECLARE_META(TepCustomMediaPanel)
WT_DECLARE_META(TepMediaPanel)
WT_DECLARE_META(TepMediaBevel)
WT_DECLARE_META(TepTracker)
WT_DECLARE_META(TepMorphing)
