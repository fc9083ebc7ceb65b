// The effect labels: embossed, word-wrapped, shadowed, cut out of a
// wallpaper and waved, each read back pixel by pixel from the form.
#include "skin/Eplabels.h"

#include "platform/ui/Layout.h"
#include "tests/platform/ui/FormFixture.h"

#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using TPixels = std::set<std::pair<int, int>>;

// The form's pixels, read once after a repaint.
class TShot {
public:
  explicit TShot(TWinControl* w) : width(w->Width()), height(w->Height()) {
    w->Repaint();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, w->Impl()->Surface());
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x)
        pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
  // The points of colour C inside R, relative to R's top-left.
  TPixels Of(COLORREF c, const TRect& r) const {
    TPixels s;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (At(x, y) == c)
          s.insert({x - r.Left, y - r.Top});
    return s;
  }

private:
  int width, height;
  std::vector<COLORREF> pixels;
};

TPixels Shifted(const TPixels& s, int dx, int dy) {
  TPixels out;
  for (auto [x, y] : s)
    out.insert({x + dx, y + dy});
  return out;
}

TPixels Minus(const TPixels& a, const TPixels& b) {
  TPixels out;
  for (const auto& p : a)
    if (!b.count(p))
      out.insert(p);
  return out;
}

// The pixels Text covers when drawn at (X, Y) with Font in a W x H area.
TPixels TextPixels(TFont* Font, const AnsiString& Text, int X, int Y, int W, int H) {
  TBitmap b;
  b.SetSize(W, H);
  b.Canvas()->Brush()->SetColor(clWhite);
  b.Canvas()->FillRect(Rect(0, 0, W, H));
  b.Canvas()->SetFont(Font);
  b.Canvas()->Font()->SetColor(clBlack);
  b.Canvas()->Brush()->SetStyle(bsClear);
  b.Canvas()->TextOut(X, Y, Text);
  TPixels s;
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x)
      if (b.Canvas()->Pixels(x, y) == 0)
        s.insert({x, y});
  return s;
}

SIZE Extent(TFont* Font, const AnsiString& Text) {
  TBitmap b;
  b.SetSize(1, 1);
  b.Canvas()->SetFont(Font);
  return b.Canvas()->TextExtent(Text);
}

const COLORREF kInk = RGB(0, 0, 255);
const COLORREF kBack = RGB(200, 200, 200);

class Labels : public FormTest {
protected:
  template <class T> T* MakeLabel(int w, int h, const AnsiString& caption) {
    auto* label = Make<T>(10, 10, w, h);
    label->SetColor(kBack);
    label->SetParentFont(false);
    label->Font()->SetName("Arial");
    label->Font()->SetSize(10);
    label->Font()->SetColor(kInk);
    label->SetCaption(caption);
    return label;
  }
  static TRect Area(TControl* c) { return c->BoundsRect(); }
};

} // namespace

TEST_F(Labels, ConstructorsGiveTheDocumentedSizesAndColours) {
  TepLabel label(nullptr);
  EXPECT_EQ(label.Width(), 65);
  EXPECT_EQ(label.Height(), 17);
  EXPECT_EQ(label.InnerColor(), clLime);
  EXPECT_EQ(label.OuterColor(), clLime);
  EXPECT_TRUE(label.Text3D());
  EXPECT_TRUE(label.UseInnerColor() && label.UseOuterColor());
  EXPECT_EQ(label.GradKind(), gdRight);
  TepTextLabel text(nullptr);
  EXPECT_EQ(text.Width(), 50);
  EXPECT_EQ(text.Height(), 25);
  EXPECT_EQ(text.Lines()->Count(), 0);
  TepBitLabel bit(nullptr);
  EXPECT_EQ(bit.Width(), 60);
  EXPECT_EQ(bit.Height(), 20);
  EXPECT_EQ(bit.TransparentColor(), clWhite);
  EXPECT_EQ(bit.OuterColor(), clBtnShadow);
  EXPECT_EQ(bit.InnerColor(), clBtnHighlight);
  EXPECT_TRUE(bit.Dirty());
  TepWaveLabel wave(nullptr);
  EXPECT_EQ(wave.TextX(), 1);
  EXPECT_EQ(wave.TextY(), 1);
}

TEST_F(Labels, AnEmbossedLabelDrawsItsCopiesAroundTheTextAtItsAlignment) {
  auto* label = MakeLabel<TepLabel>(80, 24, "Hm");
  label->SetInnerColor(RGB(255, 0, 0));
  label->SetOuterColor(RGB(0, 255, 0));
  const SIZE ext = Extent(label->Font(), "Hm");
  struct Case {
    TAlignment alignment;
    int x;
  };
  for (const Case c : {Case{taLeftJustify, 2}, Case{taRightJustify, 80 - ext.cx - 2},
                       Case{taCenter, 40 - ext.cx / 2}}) {
    label->SetAlignment(c.alignment);
    Pump();
    const TShot shot(form);
    const TPixels text = TextPixels(label->Font(), "Hm", c.x, 12 - ext.cy / 2, 80, 24);
    EXPECT_EQ(shot.Of(kInk, Area(label)), text) << c.alignment;
    EXPECT_EQ(shot.Of(RGB(255, 0, 0), Area(label)),
              Minus(Minus(Shifted(text, -1, -1), text), Shifted(text, 1, 1)));
    EXPECT_EQ(shot.Of(RGB(0, 255, 0), Area(label)), Minus(Shifted(text, 1, 1), text));
  }
  label->SetUseOuterColor(false);
  Pump();
  EXPECT_TRUE(TShot(form).Of(RGB(0, 255, 0), Area(label)).empty());
  label->SetText3D(false);
  Pump();
  EXPECT_TRUE(TShot(form).Of(RGB(255, 0, 0), Area(label)).empty());

  label->SetCaption("");
  Pump();
  EXPECT_EQ(TShot(form).Of(kBack, Area(label)).size(), 80u * 24u);
}

TEST_F(Labels, LabelEffectsTintTheParentOrShadeWithAGradient) {
  form->SetColor(RGB(0, 0, 200));
  auto* label = MakeLabel<TepLabel>(40, 10, "");
  label->SetColor(RGB(200, 0, 0));
  label->SetTransparent(true);
  Pump();
  EXPECT_EQ(TShot(form).At(15, 15), RGB(0, 0, 200)); // plainly transparent
  label->SetMiddleTransparent(true);
  Pump();
  EXPECT_EQ(TShot(form).At(15, 15), RGB(100, 0, 100)); // half-way to Color

  // The gradient over a transparent, tinted label still lets the parent in:
  // at the left edge the gradient is still pure Color.
  label->SetGradColor(RGB(0, 250, 0));
  label->SetGradEffect(true);
  Pump();
  const TShot half(form);
  EXPECT_EQ(half.At(10, 15), RGB(100, 0, 100));
  EXPECT_NE(half.At(49, 15), RGB(100, 0, 100));

  // Opaque, the gradient runs from Color on the left to GradColor on the
  // right, over the image one pixel wider than the label.
  label->SetTransparent(false);
  Pump();
  const TShot opaque(form);
  EXPECT_EQ(opaque.At(10, 15), RGB(200, 0, 0));
  EXPECT_EQ(opaque.At(49, 15), RGB(5, 244, 0));
}

TEST_F(Labels, AShadowHalvesWhatLiesBeneathOnePixelDownAndRight) {
  auto* label = MakeLabel<TepShadowLabel>(80, 24, "Wy");
  const SIZE ext = Extent(label->Font(), "Wy");
  Pump();
  TShot shot(form);
  TPixels text = TextPixels(label->Font(), "Wy", 1, 12 - ext.cy / 2, 80, 24);
  EXPECT_EQ(shot.Of(kInk, Area(label)), text);
  EXPECT_EQ(shot.Of(RGB(100, 100, 100), Area(label)), Minus(Shifted(text, 1, 1), text));

  // Over the parent's image the shadow darkens that image; right-aligned,
  // ShadowOffset + 1 pixels stay free at the right edge.
  form->SetColor(RGB(60, 120, 240));
  label->SetTransparent(true);
  label->SetShadowOffset(3);
  label->SetAlignment(taRightJustify);
  Pump();
  shot = TShot(form);
  text = TextPixels(label->Font(), "Wy", 80 - ext.cx - 4, 12 - ext.cy / 2 - 1, 80, 24);
  EXPECT_EQ(shot.Of(kInk, Area(label)), text);
  TPixels shadow = Shifted(text, 3, 3);
  shadow.merge(Shifted(text, 4, 4));
  std::erase_if(shadow, [](const auto& p) { return p.first >= 80 || p.second >= 24; });
  EXPECT_EQ(shot.Of(RGB(30, 60, 120), Area(label)), Minus(shadow, text));

  // A soft shadow still leaves the letters themselves sharp.
  label->SetBlurShadow(true);
  Pump();
  EXPECT_EQ(TShot(form).Of(kInk, Area(label)), text);
}

TEST_F(Labels, ATextLabelWrapsItsLinesAndDrawsNothingForEmptyOnes) {
  auto* label = MakeLabel<TepTextLabel>(60, 60, "");
  label->Lines()->Add("");
  label->Lines()->Add("");
  label->Lines()->Add("");
  Pump();
  EXPECT_EQ(TShot(form).Of(kBack, Area(label)).size(), 60u * 60u);

  label->Lines()->Clear();
  label->Lines()->Add("mmm mmm mmm");
  Pump();
  const TPixels ink = TShot(form).Of(kInk, Area(label));
  const SIZE line = Extent(label->Font(), "mmm");
  ASSERT_FALSE(ink.empty());
  int lowest = 0, rightmost = 0;
  for (auto [x, y] : ink) {
    lowest = std::max(lowest, y);
    rightmost = std::max(rightmost, x);
  }
  EXPECT_GT(lowest, line.cy); // wrapped onto a second line at least
  EXPECT_LT(rightmost, 60);

  label->SetTextInnerColor(RGB(255, 0, 0));
  label->SetTextOuterColor(RGB(0, 255, 0));
  label->SetText3D(true);
  Pump();
  const TShot shot(form);
  EXPECT_FALSE(shot.Of(RGB(255, 0, 0), Area(label)).empty());
  EXPECT_FALSE(shot.Of(RGB(0, 255, 0), Area(label)).empty());
  EXPECT_FALSE(shot.Of(kInk, Area(label)).empty());
}

TEST_F(Labels, ABitLabelCutsItsLettersOutOfTheWallpaper) {
  auto* label = MakeLabel<TepBitLabel>(80, 30, "Hi");
  label->Set3DText(true);
  label->SetInnerColor(RGB(255, 0, 0));
  Pump();
  EXPECT_EQ(TShot(form).Of(kBack, Area(label)).size(), 80u * 30u); // no wallpaper: nothing

  TBitmap paper;
  paper.SetSize(3, 2);
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 2; ++y)
      paper.Canvas()->SetPixels(x, y, (x + y) % 2 ? RGB(0, 100, 0) : RGB(0, 0, 100));
  label->SetWallpaper(&paper);
  label->Set3DText(false);
  EXPECT_TRUE(label->Dirty());
  Pump();
  EXPECT_FALSE(label->Dirty());
  const SIZE ext = Extent(label->Font(), "Hi");
  EXPECT_EQ(label->TextImage()->Width(), ext.cx + 10);
  EXPECT_EQ(label->TextImage()->Height(), ext.cy + 10);

  // Every letter pixel shows the tiled wallpaper at its place in the image.
  const int x0 = 1, y0 = 15 - (ext.cy + 10) / 2 + 5;
  const TPixels letters = TextPixels(label->Font(), "Hi", x0, y0, 80, 30);
  const TShot shot(form);
  ASSERT_FALSE(letters.empty());
  for (auto [x, y] : letters) {
    const int ix = x - x0, iy = y - y0;
    EXPECT_EQ(shot.At(10 + x, 10 + y), (ix % 3 + iy % 2) % 2 ? RGB(0, 100, 0) : RGB(0, 0, 100));
  }
  EXPECT_EQ(shot.Of(RGB(0, 100, 0), Area(label)).size() +
                shot.Of(RGB(0, 0, 100), Area(label)).size(),
            letters.size());

  label->SetCaption("Hello");
  EXPECT_TRUE(label->Dirty());
  label->Font()->SetSize(12);
  Pump();
  EXPECT_EQ(label->TextImage()->Height(), Extent(label->Font(), "Hello").cy + 10);
}

TEST_F(Labels, AWaveLabelWithoutDivisorsShowsItsCaptionUnbentOverTheParent) {
  form->SetColor(RGB(10, 20, 30));
  auto* label = MakeLabel<TepWaveLabel>(60, 20, "Ab");
  label->SetTransparent(true);
  label->SetTextX(4);
  label->SetTextY(2);
  Pump();
  TShot shot(form);
  const TPixels text = TextPixels(label->Font(), "Ab", 4, 2, 60, 20);
  EXPECT_EQ(shot.Of(kInk, Area(label)), text);
  EXPECT_EQ(shot.Of(RGB(10, 20, 30), Area(label)).size(), 60u * 20u - text.size());

  label->SetXDiv(3);
  label->SetYDiv(3);
  label->SetRatioVal(4);
  Pump();
  shot = TShot(form);
  EXPECT_NE(shot.Of(kInk, Area(label)), text);
  EXPECT_FALSE(shot.Of(kInk, Area(label)).empty());
}

TEST_F(Labels, LayoutsCarryTheLabelsProperties) {
  form->SetName("frm");
  auto* lines = MakeLabel<TepTextLabel>(60, 30, "");
  lines->SetName("help");
  lines->Lines()->Add("first");
  lines->Lines()->Add("second");
  auto* plain = MakeLabel<TepLabel>(60, 20, "About");
  plain->SetName("about");
  auto* shadow = MakeLabel<TepShadowLabel>(60, 20, "7");
  shadow->SetName("num");
  shadow->SetShadowOffset(2);
  const AnsiString text = WriteComponentLayout(form);
  const AnsiString helpPart = text.substr(text.find("object help"));
  const AnsiString aboutPart = text.substr(text.find("object about"));
  EXPECT_NE(helpPart.find("Alignment = taLeftJustify"), std::string::npos) << text;
  EXPECT_EQ(aboutPart.substr(0, aboutPart.find("end")).find("Alignment"), std::string::npos)
      << text;

  TForm loaded(nullptr);
  ReadComponentLayout(&loaded, text, "labels.lay");
  auto* help = dynamic_cast<TepTextLabel*>(loaded.FindComponent("help"));
  auto* num = dynamic_cast<TepShadowLabel*>(loaded.FindComponent("num"));
  auto* about = dynamic_cast<TepLabel*>(loaded.FindComponent("about"));
  ASSERT_NE(help, nullptr);
  ASSERT_NE(num, nullptr);
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(help->Lines()->Text(), lines->Lines()->Text());
  EXPECT_EQ(num->ShadowOffset(), 2);
  EXPECT_EQ(about->Caption(), "About");
  EXPECT_EQ(about->InnerColor(), clLime);
}

// Every label once, over a striped form, written as a PNG into the build
// folder for a look by eye.
TEST_F(Labels, DemoSheet) {
  form->SetColor(RGB(40, 70, 110));
  auto* stripe = MakeLabel<TepLabel>(0, 0, "");
  stripe->SetBounds(0, 100, 300, 120);
  stripe->SetColor(RGB(230, 200, 120));
  stripe->SetGradColor(RGB(120, 30, 60));
  stripe->SetGradEffect(true);

  auto* embossed = MakeLabel<TepLabel>(140, 24, "Embossed label");
  embossed->SetBounds(10, 10, 140, 24);
  embossed->SetInnerColor(clWhite);
  embossed->SetOuterColor(clBlack);
  embossed->SetTransparent(true);
  embossed->SetMiddleTransparent(true);
  embossed->SetColor(clYellow);
  auto* wrapped = MakeLabel<TepTextLabel>(120, 60, "");
  wrapped->SetBounds(160, 10, 130, 80);
  wrapped->SetTransparent(true);
  wrapped->Font()->SetColor(clWhite);
  wrapped->Lines()->Add("Word-wrapped help text over the parent, centred.");
  wrapped->SetAlignment(taCenter);
  auto* shadow = MakeLabel<TepShadowLabel>(140, 30, "Shadow 42");
  shadow->SetBounds(10, 110, 140, 30);
  shadow->Font()->SetSize(14);
  shadow->Font()->SetColor(clWhite);
  shadow->SetTransparent(true);
  shadow->SetShadowOffset(3);
  shadow->SetBlurShadow(true);
  auto* bit = MakeLabel<TepBitLabel>(140, 40, "Wallpaper");
  bit->SetBounds(10, 50, 140, 40);
  bit->Font()->SetSize(18);
  bit->Font()->SetStyle(TFontStyles{fsBold});
  TBitmap paper;
  paper.SetSize(8, 8);
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 8; ++y)
      paper.Canvas()->SetPixels(x, y, RGB(x * 30, 90 + y * 20, 200 - x * 20));
  bit->SetWallpaper(&paper);
  bit->Set3DText(true);
  auto* wave = MakeLabel<TepWaveLabel>(140, 40, "Waving caption");
  wave->SetBounds(160, 150, 130, 40);
  wave->SetTransparent(true);
  wave->SetTextY(10);
  wave->SetXDiv(12);
  wave->SetYDiv(6);
  wave->SetRatioVal(3);
  wave->Font()->SetColor(clWhite);
  Pump();

  TBitmap sheet;
  sheet.SetSize(form->Width(), form->Height());
  form->Repaint();
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, form->Impl()->Surface());
  BitBlt(sheet.Canvas()->Handle(), 0, 0, sheet.Width(), sheet.Height(), dc, 0, 0, SRCCOPY);
  SelectObject(dc, old);
  DeleteDC(dc);
  const std::string bmp = std::string(WT_BINARY_DIR) + "/skin-labels-demo.bmp";
  const std::string png = std::string(WT_BINARY_DIR) + "/skin-labels-demo.png";
  sheet.SaveToFile(bmp.c_str());
  ASSERT_EQ(std::system(("convert '" + bmp + "' '" + png + "'").c_str()), 0);
  EXPECT_EQ(sheet.Canvas()->Pixels(5, 5), RGB(40, 70, 110));
}
