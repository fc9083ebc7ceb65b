// The shared wallpaper picture as layouts store it, the references to it, and
// the small media controls: bevel, panel with tiles, tracker and cross-fade.
#include "skin/Medialib.h"

#include "gif/Gifimage.h"
#include "platform/gfx/Jpeg.h"
#include "platform/ui/Layout.h"
#include "tests/platform/ui/FormFixture.h"
#include "tests/skin/SkinPixels.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

const TPalette colors = {{'r', clRed},   {'g', clLime},   {'b', clBlue}, {'w', clWhite},
                         {'k', clBlack}, {'y', clYellow}, {'c', clAqua}, {'m', clFuchsia}};

std::unique_ptr<TBitmap> Pattern() {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  Paint(*bmp, {"rgbw", "kyyc", "mbgr"}, colors);
  return bmp;
}

// The layout's binary block of the first component's "Bitmap.Data".
std::vector<uint8_t> StoredBytes(const AnsiString& layout) {
  const TLayoutObject root = ParseLayout(layout, "test");
  for (const auto& prop : root.Children.at(0).Properties)
    if (prop.Name == "Bitmap.Data")
      return prop.Value.Bytes;
  ADD_FAILURE() << "no Bitmap.Data in\n" << layout;
  return {};
}

AnsiString Hex(const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  AnsiString out;
  for (uint8_t b : bytes) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

AnsiString HolderLayout(const std::vector<uint8_t>& bytes) {
  return "object Holder: TComponent\n  object bmpHint: TepBitmap\n    Bitmap.Data = {" +
         Hex(bytes) + "}\n  end\nend\n";
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
         uint32_t{b[at + 3]} << 24;
}

struct TPictureCase {
  const char* ClassName;
  std::function<std::unique_ptr<TGraphic>(TBitmap*)> Make;
  std::string Magic; // how the graphic's file image begins
  bool Lossless;
  bool Sized; // a 32-bit length before the image
};

} // namespace

// Each picture class goes out as name, 32-bit length and file image, and
// comes back as the same class with the same pixels.
TEST(MediaBitmap, StoredPictureRoundTripsForEachGraphicClass) {
  GifimageInitialization();
  const std::vector<TPictureCase> cases = {
      {"TBitmap",
       [](TBitmap* b) {
         auto g = std::make_unique<TBitmap>();
         g->Assign(b);
         return std::unique_ptr<TGraphic>(std::move(g));
       },
       "BM", true, true},
      {"TJPEGImage",
       [](TBitmap* b) {
         auto g = std::make_unique<TJPEGImage>();
         g->Assign(b);
         return std::unique_ptr<TGraphic>(std::move(g));
       },
       "\xFF\xD8", false, true},
      {"TGIFImage",
       [](TBitmap* b) {
         auto g = std::make_unique<TGIFImage>();
         g->Assign(b);
         return std::unique_ptr<TGraphic>(std::move(g));
       },
       "GIF8", true, false},
  };
  auto pattern = Pattern();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ClassName);
    TComponent holder(nullptr);
    holder.SetName("Holder");
    auto* stored = new TepBitmap(&holder);
    stored->SetName("bmpHint");
    std::unique_ptr<TGraphic> graphic = c.Make(pattern.get());
    stored->Bitmap()->SetGraphic(graphic.get());

    const AnsiString layout = WriteComponentLayout(&holder);
    const std::vector<uint8_t> bytes = StoredBytes(layout);
    const std::string name = c.ClassName;
    ASSERT_GT(bytes.size(), 1 + name.size() + 4);
    EXPECT_EQ(bytes[0], name.size());
    EXPECT_EQ(std::string(bytes.begin() + 1, bytes.begin() + 1 + long(name.size())), name);
    // The GIF class stores its stream as it stands, without a length.
    const size_t image = 1 + name.size() + (c.Sized ? 4 : 0);
    if (c.Sized) {
      EXPECT_EQ(Le32(bytes, 1 + name.size()), bytes.size() - image);
    }
    EXPECT_EQ(
        std::string(bytes.begin() + long(image), bytes.begin() + long(image + c.Magic.size())),
        c.Magic);

    TComponent copy(nullptr);
    ReadComponentLayout(&copy, layout, "copy");
    auto* loaded = dynamic_cast<TepBitmap*>(copy.FindComponent("bmpHint"));
    ASSERT_NE(loaded, nullptr);
    TGraphic* back = loaded->Bitmap()->Graphic();
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->ClassName(), name);
    EXPECT_EQ(back->Width(), 4);
    EXPECT_EQ(back->Height(), 3);
    EXPECT_EQ(StoredBytes(WriteComponentLayout(&copy)), bytes) << "written again unchanged";
    if (c.Lossless) {
      TBitmap pixels;
      pixels.SetSize(4, 3);
      pixels.Canvas()->Draw(0, 0, back);
      EXPECT_EQ(Picture(pixels, colors), (std::vector<std::string>{"rgbw", "kyyc", "mbgr"}));
    }
  }
}

// A damaged block is refused with the layout's error, and nothing of what
// the reader made stays behind.
TEST(MediaBitmap, DamagedStoredPictureIsRefused) {
  auto pattern = Pattern();
  TComponent holder(nullptr);
  holder.SetName("Holder");
  auto* stored = new TepBitmap(&holder);
  stored->SetName("bmpHint");
  stored->Bitmap()->SetGraphic(pattern.get());
  const std::vector<uint8_t> good = StoredBytes(WriteComponentLayout(&holder));
  ASSERT_GT(good.size(), 20u);
  const size_t image = 1 + 7 + 4;

  auto damaged = [&](const std::function<void(std::vector<uint8_t>&)>& change) {
    std::vector<uint8_t> b = good;
    change(b);
    return b;
  };
  const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
      {"unknown class", damaged([](auto& b) { b[1] = 'X'; })},
      {"length beyond the block", damaged([&](auto& b) { b[image - 4] += 1; })},
      {"cut inside the length", std::vector<uint8_t>(good.begin(), good.begin() + 10)},
      {"cut inside the image", std::vector<uint8_t>(good.begin(), good.end() - 5)},
      {"not a bitmap file", damaged([&](auto& b) { b[image] = 'X'; })},
      {"jpeg class over bitmap data",
       [&] {
         std::vector<uint8_t> b = {10};
         for (char ch : std::string("TJPEGImage"))
           b.push_back(uint8_t(ch));
         b.insert(b.end(), good.begin() + 8, good.end());
         return b;
       }()},
  };
  for (const auto& [what, bytes] : cases) {
    SCOPED_TRACE(what);
    TComponent copy(nullptr);
    EXPECT_THROW(ReadComponentLayout(&copy, HolderLayout(bytes), "damaged"), EReadError);
    EXPECT_EQ(copy.ComponentCount(), 0);
  }
}

TEST(MediaBitmap, SetBitmapCopiesThePicture) {
  auto pattern = Pattern();
  TPicture picture;
  picture.SetGraphic(pattern.get());
  TepBitmap holder(nullptr);
  holder.SetBitmap(&picture);
  picture.SetGraphic(nullptr);
  ASSERT_NE(holder.Bitmap()->Graphic(), nullptr);
  EXPECT_EQ(holder.Bitmap()->Width(), 4);
}

// ---------------------------------------------------------------- controls

namespace {

class MediaControls : public FormTest {
protected:
  void SetUp() override {
    FormTest::SetUp();
    form->SetColor(clWhite);
  }
  // The form's pixels in a rectangle, as characters.
  std::vector<std::string> Shot(int x0, int y0, int w, int h) {
    form->Repaint();
    TBitmap shot;
    shot.SetSize(w, h);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        shot.Canvas()->SetPixels(x, y, static_cast<TColor>(PixelAt(form, x0 + x, y0 + y)));
    return Picture(shot, colors);
  }
  std::vector<std::string> ShotOf(TWinControl* c) {
    c->Repaint();
    TBitmap shot;
    shot.SetSize(c->Width(), c->Height());
    for (int y = 0; y < c->Height(); ++y)
      for (int x = 0; x < c->Width(); ++x)
        shot.Canvas()->SetPixels(x, y, static_cast<TColor>(PixelAt(c, x, y)));
    return Picture(shot, colors);
  }
};

} // namespace

TEST_F(MediaControls, BevelDrawsNestedFramesWithoutEndPoints) {
  auto* bevel = Make<TepMediaBevel>(10, 10, 7, 6);
  bevel->SetInnerColor(clRed);
  bevel->SetOuterColor(clBlue);
  EXPECT_EQ(bevel->BevelWidth(), 2);
  EXPECT_EQ(Shot(10, 10, 7, 6), (std::vector<std::string>{
                                    "rrrrrrb",
                                    "rrrrrbb",
                                    "rrwwwbb",
                                    "rrwwwbb",
                                    "rbbbbbb",
                                    "bbbbbbb",
                                }));
  bevel->SetBevelWidth(0);
  EXPECT_EQ(Shot(10, 10, 7, 6)[0], "wwwwwww");
}

TEST_F(MediaControls, PanelTilesItsWallpaperInsideTheBevelAndBorder) {
  auto* panel = Make<TepMediaPanel>(10, 10, 12, 9);
  panel->SetColor(clWhite);
  panel->SetInnerColor(clRed);
  panel->SetOuterColor(clBlue);
  panel->SetBorderWidth(1); // inset: border 1 + outer bevel 1
  auto* paper = new TepBitmap(form);
  auto tile = std::make_unique<TBitmap>();
  Paint(*tile, {"gyk", "ycg"}, colors);
  paper->Bitmap()->SetGraphic(tile.get());
  panel->SetWallpaper(paper);
  EXPECT_EQ(ShotOf(panel), (std::vector<std::string>{
                               "rrrrrrrrrrrb",
                               "rwwwwwwwwwwb",
                               "rwgykgykgywb",
                               "rwycgycgycwb",
                               "rwgykgykgywb",
                               "rwycgycgycwb",
                               "rwgykgykgywb",
                               "rwwwwwwwwwwb",
                               "bbbbbbbbbbbb",
                           }));

  // A wallpaper larger than the panel: drawn once from the inner corner.
  auto big = std::make_unique<TBitmap>();
  Paint(*big, std::vector<std::string>(20, std::string(30, 'm')), colors);
  big->Canvas()->SetPixels(0, 0, clLime);
  paper->Bitmap()->SetGraphic(big.get());
  panel->Invalidate();
  const auto shot = ShotOf(panel);
  EXPECT_EQ(shot[2], "rwgmmmmmmmwb");
  EXPECT_EQ(shot[7], "rwwwwwwwwwwb");
}

// The reference goes when the picture goes, whoever owns it; the panel then
// paints its bevel only.
TEST_F(MediaControls, FreedWallpaperIsForgotten) {
  for (bool sameOwner : {true, false}) {
    SCOPED_TRACE(sameOwner ? "same owner" : "other owner");
    auto* panel = Make<TepMediaPanel>(10, 10, 6, 5);
    panel->SetColor(clWhite);
    panel->SetInnerColor(clRed);
    panel->SetOuterColor(clBlue);
    panel->SetBevelOuter(bvNone);
    panel->SetBorderWidth(1);
    std::unique_ptr<TComponent> elsewhere = std::make_unique<TComponent>(nullptr);
    auto* paper = new TepBitmap(sameOwner ? static_cast<TComponent*>(form) : elsewhere.get());
    auto tile = std::make_unique<TBitmap>();
    Paint(*tile, {"g"}, colors);
    paper->Bitmap()->SetGraphic(tile.get());
    panel->SetWallpaper(paper);
    EXPECT_EQ(ShotOf(panel)[2], "rggggb");
    delete paper;
    EXPECT_EQ(panel->Wallpaper(), nullptr);
    EXPECT_EQ(ShotOf(panel),
              (std::vector<std::string>{"rrrrrb", "rwwwwb", "rwwwwb", "rwwwwb", "bbbbbb"}));
    delete panel;
  }
}

TEST_F(MediaControls, PanelSkipsAWallpaperWithoutAGraphic) {
  auto* panel = Make<TepMediaPanel>(10, 10, 6, 5);
  panel->SetColor(clWhite);
  panel->SetInnerColor(clRed);
  panel->SetOuterColor(clBlue);
  auto* paper = new TepBitmap(form);
  panel->SetWallpaper(paper);
  EXPECT_EQ(ShotOf(panel)[2], "rwwwwb");
  auto empty = std::make_unique<TBitmap>();
  paper->Bitmap()->SetGraphic(empty.get());
  EXPECT_EQ(ShotOf(panel)[2], "rwwwwb");
}

TEST_F(MediaControls, TrackerReportsEnterAndLeave) {
  auto* tracker = Make<TepTracker>(20, 20, 30, 30);
  std::vector<std::string> seen;
  tracker->OnMouseEnter = [&](TObject* s) {
    EXPECT_EQ(s, tracker);
    seen.push_back("enter");
  };
  tracker->OnMouseLeave = [&](TObject* s) {
    EXPECT_EQ(s, tracker);
    seen.push_back("leave");
  };
  // Wherever an earlier test left the pointer, it starts outside.
  SimulateMouseMove(At(form, 5, 5));
  Pump();
  seen.clear();
  SimulateMouseMove(At(tracker, 10, 10));
  SimulateMouseMove(At(tracker, 12, 10));
  Pump();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.back(), "enter");
  SimulateMouseMove(At(form, 100, 100));
  Pump();
  EXPECT_EQ(seen.back(), "leave");
  for (size_t i = 0; i < seen.size(); ++i)
    EXPECT_EQ(seen[i], i % 2 == 0 ? "enter" : "leave") << "alternating, at " << i;
}

namespace {

class Morphing : public MediaControls {
protected:
  TepMorphing* MakeMorph() {
    auto* m = Make<TepMorphing>(10, 10, 2, 1);
    TBitmap red, blue;
    Paint(red, {"rr"}, colors);
    Paint(blue, {"bb"}, colors);
    m->SetSource(&red);
    m->SetDest(&blue);
    return m;
  }
  bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 400 && !done(); ++i) {
      Application->ProcessMessages();
      usleep(5000);
    }
    return done();
  }
};

} // namespace

TEST_F(Morphing, StepsAdvanceTheFactorToExactlyOne) {
  TepMorphing* m = MakeMorph();
  EXPECT_EQ(m->Step(), 20);
  m->SetStep(3);
  EXPECT_EQ(PixelAt(m, 0, 0), ColorToRGB(clRed));
  std::vector<double> factors;
  m->Morphing();
  ASSERT_TRUE(PumpUntil([&] {
    if (factors.empty() || factors.back() != m->Factor())
      factors.push_back(m->Factor());
    return !m->Fading();
  }));
  ASSERT_GE(factors.size(), 2u);
  EXPECT_EQ(factors.back(), 1.0);
  // Every tick moves a third; none is skipped on the way to the end.
  const std::vector<double> expected = {1.0 / 3, 2.0 / 3, 1.0};
  std::vector<double> ticks(factors.begin() + (factors[0] == 0.0 ? 1 : 0), factors.end());
  ASSERT_EQ(ticks.size(), 3u);
  for (size_t i = 0; i < 3; ++i)
    EXPECT_NEAR(ticks[i], expected[i], 1e-9);
  EXPECT_EQ(PixelAt(m, 1, 0), ColorToRGB(clBlue));
}

TEST_F(Morphing, BackwardShowsDestFirstAndSourceLast) {
  TepMorphing* m = MakeMorph();
  m->SetDirect(mdBackward);
  m->SetStep(2);
  EXPECT_EQ(PixelAt(m, 0, 0), ColorToRGB(clBlue));
  m->Morphing();
  ASSERT_TRUE(PumpUntil([&] { return m->Factor() > 0.0; }));
  if (m->Factor() < 1.0) {
    const COLORREF mid = PixelAt(m, 0, 0);
    EXPECT_NEAR(GetRValue(mid), 128, 2);
    EXPECT_NEAR(GetBValue(mid), 128, 2);
  }
  ASSERT_TRUE(PumpUntil([&] { return !m->Fading(); }));
  EXPECT_EQ(PixelAt(m, 0, 0), ColorToRGB(clRed));
  EXPECT_EQ(m->Source()->Canvas()->Pixels(0, 0), ColorToRGB(clRed)) << "owned images unchanged";
  EXPECT_EQ(m->Dest()->Canvas()->Pixels(0, 0), ColorToRGB(clBlue));
}

TEST_F(Morphing, StepZeroEndsAtOnce) {
  TepMorphing* m = MakeMorph();
  m->SetStep(0);
  m->Morphing();
  EXPECT_FALSE(m->Fading());
  EXPECT_EQ(m->Factor(), 1.0);
  EXPECT_EQ(PixelAt(m, 0, 0), ColorToRGB(clBlue));
}

// Values equal to the published defaults are left out of a layout; others
// are written and read back.
TEST(MediaLayout, PublishedDefaultsAndValuesRoundTrip) {
  Application->Initialize();
  TForm holder(nullptr);
  holder.SetName("Holder");
  auto* bevel = new TepMediaBevel(&holder);
  bevel->SetName("bev");
  bevel->SetParent(&holder);
  auto* morph = new TepMorphing(&holder);
  morph->SetName("morph");
  morph->SetParent(&holder);
  const AnsiString plain = WriteComponentLayout(&holder);
  for (const char* name : {"InnerColor", "OuterColor", "BevelWidth", "Step", "Direct"})
    EXPECT_EQ(plain.find(name), AnsiString::npos) << name << " in\n" << plain;

  bevel->SetBevelWidth(5);
  bevel->SetInnerColor(clYellow);
  morph->SetStep(7);
  morph->SetDirect(mdBackward);
  TForm copy(nullptr);
  ReadComponentLayout(&copy, WriteComponentLayout(&holder), "media");
  auto* bevel2 = dynamic_cast<TepMediaBevel*>(copy.FindComponent("bev"));
  auto* morph2 = dynamic_cast<TepMorphing*>(copy.FindComponent("morph"));
  ASSERT_NE(bevel2, nullptr);
  ASSERT_NE(morph2, nullptr);
  EXPECT_EQ(bevel2->BevelWidth(), 5);
  EXPECT_EQ(bevel2->InnerColor(), clYellow);
  EXPECT_EQ(bevel2->OuterColor(), clBtnShadow);
  EXPECT_EQ(morph2->Step(), 7);
  EXPECT_EQ(morph2->Direct(), mdBackward);
  EXPECT_EQ(morph2->Width(), 100);
}

TEST(MediaLayout, PanelWallpaperReferenceIsResolvedByName) {
  Application->Initialize();
  const AnsiString text = "object frm: TForm\n"
                          "  object bmpEmpty: TepBitmap\n  end\n"
                          "  object pnl: TepMediaPanel\n    Wallpaper = bmpEmpty\n  end\n"
                          "end\n";
  TForm root(nullptr);
  ReadComponentLayout(&root, text, "frm");
  auto* panel = dynamic_cast<TepMediaPanel*>(root.FindComponent("pnl"));
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->Wallpaper(), root.FindComponent("bmpEmpty"));
}

// The media panel publishes the panel's widths beside its own properties;
// the panel's bevel kinds and caption alignment, which it does not draw,
// are refused from a layout where a plain panel takes them.
TEST(MediaLayout, MediaPanelPublishesOnlyThePanelsWidths) {
  Application->Initialize();
  const AnsiString text = "object frm: TForm\n"
                          "  object bmpEmpty: TepBitmap\n  end\n"
                          "  object pnl: TepMediaPanel\n"
                          "    BevelWidth = 3\n    BorderWidth = 2\n    Wallpaper = bmpEmpty\n"
                          "    InnerColor = clRed\n    OuterColor = clBlue\n"
                          "  end\n"
                          "end\n";
  TForm root(nullptr);
  ReadComponentLayout(&root, text, "frm");
  TForm copy(nullptr);
  ReadComponentLayout(&copy, WriteComponentLayout(&root), "copy");
  for (TForm* f : {&root, &copy}) {
    auto* panel = dynamic_cast<TepMediaPanel*>(f->FindComponent("pnl"));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->BevelWidth(), 3);
    EXPECT_EQ(panel->BorderWidth(), 2);
    EXPECT_EQ(panel->Wallpaper(), f->FindComponent("bmpEmpty"));
    EXPECT_EQ(panel->InnerColor(), clRed);
    EXPECT_EQ(panel->OuterColor(), clBlue);
  }

  for (const char* line :
       {"BevelOuter = bvNone", "BevelInner = bvRaised", "Alignment = taLeftJustify"}) {
    SCOPED_TRACE(line);
    auto layout = [line](const char* cls) {
      return AnsiString("object frm: TForm\n  object pnl: ") + cls + "\n    " + line +
             "\n  end\nend\n";
    };
    TForm plain(nullptr);
    EXPECT_NO_THROW(ReadComponentLayout(&plain, layout("TPanel"), "frm"));
    TForm media(nullptr);
    EXPECT_THROW(ReadComponentLayout(&media, layout("TepMediaPanel"), "frm"), EReadError);
  }
}
