// Frames and the picture class: registration, drawing with transparency,
// assignment to and from bitmaps, crop and merge.
#include "platform/ui/Clipbrd.h"
#include "tests/gif/GifSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace {

// Frame colours: index 0 red, 1 green, 2 blue, 3 white.
const TColor palette4[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};

// An image of one Width x Height frame whose pixel (x, y) is Pixel(x, y).
template <class F> void MakeImage(TGIFImage& Image, int Width, int Height, F Pixel) {
  Image.Header()->Width = static_cast<uint16_t>(Width);
  Image.Header()->Height = static_cast<uint16_t>(Height);
  auto* frame = new TGIFSubImage(&Image);
  Image.Add(frame);
  for (TColor c : palette4)
    frame->ColorMap()->Add(c);
  frame->SetBounds(3, Width);
  frame->SetBounds(4, Height);
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x)
      frame->GetScanline(y)[x] = static_cast<uint8_t>(Pixel(x, y));
}

void MakeTransparent(TGIFSubImage* Frame, int Index) {
  auto* control = new TGIFGraphicControlExtension(Frame);
  Frame->Extensions()->Add(control);
  control->SetTransparentColorIndex(Index);
  control->SetTransparent(true);
}

std::unique_ptr<TBitmap> Canvas(int Width, int Height, TColor Fill) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(Width, Height);
  bitmap->Canvas()->Brush()->SetColor(Fill);
  bitmap->Canvas()->FillRect(TRect{0, 0, Width, Height});
  return bitmap;
}

TEST(GifPicture, RegisteredForFilesAndTheClipboard) {
  GifimageInitialization();
  GifimageInitialization();
  TTempDir dir;
  const std::string path = dir.File("pic.gif");
  RunCommandChecked("convert -size 6x4 xc:blue '" + path + "'");
  TPicture picture;
  picture.LoadFromFile(path);
  ASSERT_NE(dynamic_cast<TGIFImage*>(picture.Graphic()), nullptr);
  EXPECT_EQ(picture.Width(), 6);
  EXPECT_NE(CF_GIF, 0);
  EXPECT_EQ(GetClipboardFormatName(CF_GIF), "GIF Image");
  EXPECT_TRUE(TPicture::SupportsClipboardFormat(CF_GIF));
  // The stored form names the class, so it comes back as a GIF picture.
  TMemoryStream stored;
  picture.WriteData(&stored);
  stored.SetPosition(0);
  TPicture again;
  again.ReadData(&stored);
  EXPECT_NE(dynamic_cast<TGIFImage*>(again.Graphic()), nullptr);
  GifimageFinalization();
  GifimageFinalization();
  EXPECT_THROW(picture.LoadFromFile(path), EInvalidGraphic);
}

// The design-time registration plays animations once: new images lose
// goLoop and keep every other default.
TEST(GifPicture, RegisterDropsLoopingFromTheDefaults) {
  const TGIFDrawOptions defaults{goAsync,       goTransparent, goAnimate,   goLoop,
                                 goClearOnLoop, goDither,      goAutoDither};
  ASSERT_TRUE(GIFImageDefaultDrawOptions == defaults);
  EXPECT_TRUE(TGIFImage().DrawOptions() == defaults);
  Register();
  const TGIFDrawOptions registered = GIFImageDefaultDrawOptions;
  const TGIFDrawOptions made = TGIFImage().DrawOptions();
  GIFImageDefaultDrawOptions = defaults;
  TGIFDrawOptions once = defaults;
  once >> goLoop;
  EXPECT_TRUE(registered == once);
  EXPECT_TRUE(made == once);
}

TEST(GifPicture, ClipboardCarriesTheGifStream) {
  GifimageInitialization();
  TGIFImage image;
  MakeImage(image, 5, 3, [](int x, int y) { return (x + y) % 4; });
  Clipboard()->Assign(&image);
  TGIFImage pasted;
  pasted.LoadFromClipboardFormat(CF_GIF, 0, nullptr);
  ASSERT_EQ(pasted.Images()->GetCount(), 1);
  EXPECT_EQ(FramePixels(*pasted.Images()->SubImages(0)),
            FramePixels(*image.Images()->SubImages(0)));
  TGIFImage fromBitmap;
  fromBitmap.LoadFromClipboardFormat(CF_DIB, 0, nullptr);
  EXPECT_EQ(FramePixels(*fromBitmap.Images()->SubImages(0)),
            FramePixels(*image.Images()->SubImages(0)));
  EXPECT_THROW(pasted.LoadFromClipboardFormat(CF_TEXT, 0, nullptr), EInvalidGraphic);
  GifimageFinalization();
}

TEST(GifPicture, DrawsLikeImageMagickShowsIt) {
  TTempDir dir;
  const std::string path = dir.File("d.gif");
  RunCommandChecked("convert -size 13x9 plasma:fractal -colors 32 '" + path + "'");
  const std::string expected = MagickPixels(path);
  TGIFImage image;
  image.LoadFromFile(path);
  for (int scale : {1, 3}) {
    auto target = Canvas(13 * scale, 9 * scale, 0);
    target->Canvas()->StretchDraw(TRect{0, 0, 13 * scale, 9 * scale}, &image);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 13; ++x) {
        const size_t at = static_cast<size_t>(3 * (y * 13 + x));
        const TColor want = static_cast<uint8_t>(expected[at]) |
                            (static_cast<uint8_t>(expected[at + 1]) << 8) |
                            (static_cast<uint8_t>(expected[at + 2]) << 16);
        ASSERT_EQ(target->Canvas()->Pixels(x * scale + scale / 2, y * scale + scale / 2), want)
            << x << "," << y << " scale " << scale;
      }
  }
}

TEST(GifPicture, TransparentPixelsLeaveTheCanvasAlone) {
  TGIFImage image;
  MakeImage(image, 9, 5, [](int x, int) { return x < 4 ? 3 : 1; });
  MakeTransparent(image.Images()->SubImages(0), 3);
  struct Case {
    bool Transparent;
    int Scale;
  } cases[] = {{true, 1}, {true, 2}, {false, 1}};
  for (const Case& c : cases) {
    TGIFDrawOptions options = image.DrawOptions();
    image.SetDrawOptions(c.Transparent ? options << goTransparent : options >> goTransparent);
    auto target = Canvas(9 * c.Scale, 5 * c.Scale, 0x808080);
    target->Canvas()->StretchDraw(TRect{0, 0, 9 * c.Scale, 5 * c.Scale}, &image);
    EXPECT_EQ(target->Canvas()->Pixels(1 * c.Scale, 2 * c.Scale),
              c.Transparent ? 0x808080 : 0xFFFFFF);
    EXPECT_EQ(target->Canvas()->Pixels(6 * c.Scale, 2 * c.Scale), 0x00FF00);
  }
  EXPECT_TRUE(image.Images()->SubImages(0)->HasMask());
}

TEST(GifFrame, TransparentIndexThatOccursNowhereGivesNoMask) {
  TGIFImage image;
  MakeImage(image, 4, 4, [](int, int) { return 1; });
  MakeTransparent(image.Images()->SubImages(0), 3);
  EXPECT_FALSE(image.Images()->SubImages(0)->HasMask());
  auto target = Canvas(4, 4, 0x808080);
  target->Canvas()->StretchDraw(TRect{0, 0, 4, 4}, &image);
  EXPECT_EQ(target->Canvas()->Pixels(2, 2), 0x00FF00);
}

TEST(GifFrame, BitmapsOfFramesAndPictures) {
  TGIFImage image;
  MakeImage(image, 1000, 600, [](int x, int y) { return (x / 10 + y / 10) % 4; });
  TBitmap* frameBitmap = image.Images()->SubImages(0)->GetBitmap();
  ASSERT_NE(frameBitmap, nullptr);
  EXPECT_EQ(frameBitmap->PixelFormat(), pf8bit);
  EXPECT_EQ(frameBitmap->Width(), 1000);
  TBitmap copy;
  copy.Assign(&image);
  EXPECT_EQ(copy.Canvas()->Pixels(15, 5), palette4[1]);
  EXPECT_EQ(copy.Canvas()->Pixels(999, 599), palette4[(99 + 59) % 4]);

  // Setting only the width gives fresh pixels of the new size.
  TGIFSubImage* frame = image.Images()->SubImages(0);
  frame->SetBounds(3, 20);
  EXPECT_EQ(frame->DataSize(), 20 * 600);
  EXPECT_EQ(frame->GetPixel(15, 5), 0);
  EXPECT_FALSE(frame->HasBitmap());
}

TEST(GifFrame, DitheredFramesUseTheWebPaletteAndKeepTheirMask) {
  TGIFImage image;
  image.SetDrawOptions(TGIFDrawOptions{goTransparent, goDither});
  ASSERT_TRUE(image.DoDither());
  MakeImage(image, 6, 6, [](int x, int) { return x == 0 ? 2 : 0; });
  MakeTransparent(image.Images()->SubImages(0), 2);
  TBitmap* dithered = image.Images()->SubImages(0)->GetBitmap();
  EXPECT_EQ(GetPaletteEntries(dithered->GetPalette(), 0, 0, nullptr), 216u);
  auto target = Canvas(6, 6, 0x808080);
  target->Canvas()->StretchDraw(TRect{0, 0, 6, 6}, &image);
  EXPECT_EQ(target->Canvas()->Pixels(0, 3), 0x808080);
  EXPECT_EQ(target->Canvas()->Pixels(3, 3), 0x0000FF); // red is a web colour
}

TEST(GifFrame, AssignedFromBitmaps) {
  // Web colours pass the default reduction to the web palette unchanged.
  auto source = Canvas(7, 3, 0x336699);
  source->Canvas()->SetPixels(2, 1, 0x000000);
  source->Canvas()->SetPixels(6, 0, 0xFFFFFF);
  TGIFImage image;
  image.Assign(source.get());
  ASSERT_EQ(image.Images()->GetCount(), 1);
  TBitmap back;
  back.Assign(&image);
  for (auto [x, y, color] : {std::tuple{0, 0, 0x336699}, {2, 1, 0}, {6, 0, 0xFFFFFF}})
    EXPECT_EQ(back.Canvas()->Pixels(x, y), color) << x << "," << y;

  // An 8-bit bitmap keeps its palette; a transparent one marks its pixels.
  auto indexed = std::make_unique<TBitmap>();
  indexed->Assign(image.Images()->SubImages(0)->GetBitmap());
  ASSERT_EQ(indexed->PixelFormat(), pf8bit);
  indexed->SetTransparentColor(0x336699);
  indexed->SetTransparent(true);
  TGIFImage masked;
  masked.Assign(indexed.get());
  TGIFSubImage* frame = masked.Images()->SubImages(0);
  ASSERT_NE(frame->GraphicControlExtension(), nullptr);
  EXPECT_TRUE(frame->Transparent());
  const int index = frame->GraphicControlExtension()->TransparentColorIndex();
  EXPECT_EQ(frame->GetPixel(0, 0), index);
  EXPECT_NE(frame->GetPixel(2, 1), index);
  EXPECT_EQ(frame->ColorMap()->GetColor(index), 0x000000);
}

TEST(GifFrame, CropRemovesTheTransparentBorder) {
  TGIFImage image;
  MakeImage(image, 8, 6, [](int x, int y) { return x >= 2 && x < 5 && y == 3 ? 1 : 3; });
  TGIFSubImage* frame = image.Images()->SubImages(0);
  MakeTransparent(frame, 3);
  frame->Crop();
  EXPECT_EQ(frame->BoundsRect(), (TRect{2, 3, 5, 4}));
  EXPECT_EQ(frame->GetPixel(0, 0), 1);

  TGIFImage blank;
  MakeImage(blank, 3, 3, [](int, int) { return 3; });
  MakeTransparent(blank.Images()->SubImages(0), 3);
  blank.Images()->SubImages(0)->Crop();
  EXPECT_TRUE(blank.Images()->SubImages(0)->Empty());
}

TEST(GifFrame, MergeMakesRepeatedPixelsTransparent) {
  TGIFImage image;
  MakeImage(image, 4, 2, [](int x, int) { return x % 2; });
  auto* second = new TGIFSubImage(&image);
  image.Add(second);
  for (TColor c : palette4)
    second->ColorMap()->Add(c);
  second->SetBounds(3, 4);
  second->SetBounds(4, 2);
  for (int x = 0; x < 4; ++x) {
    second->GetScanline(0)[x] = static_cast<uint8_t>(x % 2);
    second->GetScanline(1)[x] = 2;
  }
  second->Merge(image.Images()->SubImages(0));
  ASSERT_TRUE(second->Transparent());
  const int index = second->GraphicControlExtension()->TransparentColorIndex();
  EXPECT_EQ(index, 4);
  EXPECT_EQ(second->ColorMap()->GetColor(index), 0x000000);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(second->GetPixel(x, 0), index);
    EXPECT_EQ(second->GetPixel(x, 1), 2);
  }
}

TEST(GifPicture, SettingsAndRefusals) {
  TGIFImage image;
  MakeImage(image, 4, 4, [](int, int) { return 0; });
  EXPECT_THROW(image.SetWidth(3), GIFException);
  EXPECT_THROW(image.SetHeight(2), GIFException);
  image.SetWidth(10);
  EXPECT_EQ(image.Width(), 10);
  for (int bits : {2, 9})
    EXPECT_THROW(image.SetReductionBits(bits), GIFException) << bits;
  image.SetReductionBits(3);
  image.SetReductionBits(8);
  EXPECT_EQ(image.ReductionBits(), 8);
  TStringList notAGraphic;
  EXPECT_THROW(image.Add(&notAGraphic), GIFException);
  // A single frame's local table becomes the global one when packed.
  image.Pack();
  EXPECT_EQ(image.GlobalColorMap()->Count(), 4);
  EXPECT_EQ(image.Images()->SubImages(0)->ColorMap()->Count(), 0);
}

TEST(GifPicture, RenderOnLoadBuildsEveryFrame) {
  TGIFImage source;
  MakeImage(source, 3, 3, [](int x, int) { return x; });
  const std::string bytes = SaveToBytes(source);
  GIFImageRenderOnLoad = true;
  TGIFImage image;
  LoadFromBytes(image, bytes);
  GIFImageRenderOnLoad = false;
  EXPECT_TRUE(image.Images()->SubImages(0)->HasBitmap());
  TGIFImage lazy;
  LoadFromBytes(lazy, bytes);
  EXPECT_FALSE(lazy.Images()->SubImages(0)->HasBitmap());
}

} // namespace

// Frames without a table of their own code with the image's depth, which
// comes from every frame and is found once per save; each frame keeps its
// pixel. The time of such saves is gif_bench's to print.
TEST(GifPicture, ManyFramesWithoutTablesSaveAndReadBack) {
  TGIFImage image;
  image.Header()->Width = 2;
  image.Header()->Height = 2;
  for (TColor c : palette4)
    image.GlobalColorMap()->Add(c);
  constexpr int count = 10000;
  for (int i = 0; i < count; ++i) {
    auto* frame = new TGIFSubImage(&image);
    image.Add(frame);
    frame->SetBounds(3, 1);
    frame->SetBounds(4, 1);
    frame->GetScanline(0)[0] = static_cast<uint8_t>(i % 4);
  }
  const std::string bytes = SaveToBytes(image);
  TGIFImage again;
  LoadFromBytes(again, bytes);
  ASSERT_EQ(again.Images()->GetCount(), count);
  for (int i : {0, 1, 2, 3, count - 1})
    EXPECT_EQ(again.Images()->SubImages(i)->GetPixel(0, 0), i % 4) << i;
}
