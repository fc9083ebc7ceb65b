#pragma once
// Windowless controls animated by a timer each owns: a one-line ticker that
// runs from right to left, a roll of lines that scrolls upward, and a glyph
// strip played frame by frame.
#include "platform/rtl/Stringlist.h"
#include "platform/ui/Timers.h"
#include "platform/ui/Typinfo.h"
#include "skin/Vclbase.h"

#include <cstdint>
#include <memory>

using TStep = uint8_t; // 1..100

namespace Anictrls {
// Kept apart from the class library's vertical text layout of the same name.
enum TTextLayout { tlRight, tlCenter, tlLeft };
} // namespace Anictrls

// What the three share: the owned timer, activation and the start and stop
// events.
class TepAnimated : public TEffectGControl {
public:
  explicit TepAnimated(TComponent* AOwner);
  ~TepAnimated() override;

  TTimer* Timer() const { return timer.get(); }
  unsigned Interval() const { return timer->Interval(); }
  void SetInterval(unsigned Value) { timer->SetInterval(Value); }
  bool Active() const { return active; }
  void SetActive(bool Value);

  TNotifyEvent OnStart;
  TNotifyEvent OnStop;

protected:
  virtual void TimerExpired(TObject* Sender) = 0;
  // Where an animation begins again when it is switched on.
  virtual void Rewind() {}
  virtual void Start();
  virtual void Stop();

private:
  std::unique_ptr<TTimer> timer;
  bool active = false;
};

class TepRunStr : public TepAnimated {
public:
  explicit TepRunStr(TComponent* AOwner);
  ~TepRunStr() override;

  TStep Step() const { return step; }
  // Values outside 1..100 are ignored.
  void SetStep(TStep Value);
  // The x of the caption's left edge.
  int TextPos() const { return textPos; }

protected:
  void TimerExpired(TObject* Sender) override;
  void Rewind() override;
  void PaintFace() override;

private:
  int textPos = 0;
  TStep step = 10;
};

class TepRunPanel : public TepAnimated {
public:
  explicit TepRunPanel(TComponent* AOwner);
  ~TepRunPanel() override;

  TStrings* Lines() const { return lines.get(); }
  // Copies Value.
  void SetLines(const TStrings* Value);
  TStep Step() const { return step; }
  void SetStep(TStep Value);
  Anictrls::TTextLayout TextLayout() const { return textLayout; }
  void SetTextLayout(Anictrls::TTextLayout Value);
  int TopLine() const { return topLine; }
  int TopPos() const { return topPos; }

protected:
  void TimerExpired(TObject* Sender) override;
  void Rewind() override;
  // Every repaint moves the roll on by Step.
  void PaintFace() override;

private:
  std::unique_ptr<TStringList> lines;
  int topLine = 0;
  int topPos = 0;
  TStep step = 1;
  Anictrls::TTextLayout textLayout = Anictrls::tlRight;
};

class TepAniImage : public TepAnimated {
public:
  explicit TepAniImage(TComponent* AOwner);
  ~TepAniImage() override;

  TBitmap* Glyph() const { return glyph.get(); }
  // Copies Value; square frames: the control takes one frame's size.
  void SetGlyph(const TBitmap* Value);
  int NumGlyphs() const { return numGlyphs; }
  // Values below 1 are ignored.
  void SetNumGlyphs(int Value);
  int GlyphNum() const { return glyphNum; }
  // Accepted only within 0..NumGlyphs; frame 0 shows no frame.
  void SetGlyphNum(int Value);
  bool Stretch() const { return stretch; }
  void SetStretch(bool Value);

protected:
  void TimerExpired(TObject* Sender) override;
  void Start() override;
  void Stop() override;
  void PaintFace() override;

private:
  void DrawGl(int N);
  bool Quiet() const;

  std::unique_ptr<TBitmap> glyph;
  int numGlyphs = 1;
  int glyphNum = 1;
  bool stretch = false;
};

WT_DECLARE_META(TepRunStr)
WT_DECLARE_META(TepRunPanel)
WT_DECLARE_META(TepAniImage)
