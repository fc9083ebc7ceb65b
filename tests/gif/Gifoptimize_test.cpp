// Colour-table optimization and the frame optimizations of a whole picture.
#include "tests/gif/GifSupport.h"

#include <gtest/gtest.h>

namespace {

// A frame of Width x 1 pixels with the given local colours and pixels.
TGIFSubImage* AddFrame(TGIFImage& Image, const std::vector<TColor>& Colors,
                       const std::vector<int>& Pixels) {
  auto* frame = new TGIFSubImage(&Image);
  Image.Add(frame);
  for (TColor c : Colors)
    frame->ColorMap()->Add(c);
  frame->SetBounds(3, static_cast<int>(Pixels.size()));
  frame->SetBounds(4, 1);
  for (size_t x = 0; x < Pixels.size(); ++x)
    frame->GetScanline(0)[x] = static_cast<uint8_t>(Pixels[x]);
  return frame;
}

void MakeTransparent(TGIFSubImage* Frame, int Index) {
  auto* control = new TGIFGraphicControlExtension(Frame);
  Frame->Extensions()->Add(control);
  control->SetTransparentColorIndex(Index);
  control->SetTransparent(true);
}

TEST(GifOptimize, ColorTableIsSortedByUseAndLosesUnusedColors) {
  TGIFImage image;
  image.Header()->Width = 6;
  image.Header()->Height = 1;
  TGIFSubImage* frame =
      AddFrame(image, {0x111111, 0x222222, 0x333333, 0x444444}, {2, 2, 2, 3, 1, 3});
  const std::string before = FramePixels(*frame);
  EXPECT_TRUE(frame->ColorMap()->Optimize());
  EXPECT_EQ(frame->ColorMap()->Count(), 3);
  EXPECT_EQ(frame->ColorMap()->GetColor(0), 0x333333);
  EXPECT_EQ(frame->ColorMap()->GetColor(1), 0x444444);
  EXPECT_EQ(FramePixels(*frame), before);
  EXPECT_TRUE(frame->ColorMap()->IsOptimized);
  EXPECT_EQ(image.Version(), gv89a);
  const std::string bytes = SaveToBytes(image);
  EXPECT_EQ(bytes.substr(0, 6), "GIF89a");
  EXPECT_EQ(bytes[13 + 9] & 0x20, 0x20); // the frame's table is flagged sorted
  TGIFImage again;
  LoadFromBytes(again, bytes);
  EXPECT_EQ(FramePixels(*again.Images()->SubImages(0)), before);
}

TEST(GifOptimize, ManyTablesBecomeOneWithTheTransparentBlackLast) {
  TGIFImage image;
  image.Header()->Width = 200;
  image.Header()->Height = 1;
  std::vector<TColor> first;
  std::vector<int> firstPixels;
  for (int i = 0; i < 200; ++i) {
    first.push_back(0x010000 * i + 0x80);
    firstPixels.push_back(i);
  }
  std::vector<TColor> second;
  std::vector<int> secondPixels;
  for (int i = 0; i < 101; ++i) {
    second.push_back(0x000100 * i + 0x8000);
    secondPixels.push_back(i);
  }
  AddFrame(image, first, firstPixels);
  TGIFSubImage* transparent = AddFrame(image, second, secondPixels);
  MakeTransparent(transparent, 100); // 300 opaque colours in all
  image.OptimizeColorMap();
  EXPECT_EQ(image.GlobalColorMap()->Count(), 256);
  EXPECT_TRUE(image.GlobalColorMap()->IsOptimized);
  EXPECT_EQ(image.Images()->SubImages(0)->ColorMap()->Count(), 0);
  EXPECT_EQ(transparent->GraphicControlExtension()->TransparentColorIndex(), 255);
  EXPECT_EQ(image.GlobalColorMap()->GetColor(255), 0x000000);
  EXPECT_EQ(transparent->GetPixel(100, 0), 255);
  EXPECT_LT(transparent->GetPixel(99, 0), 255);
  // A colour that was kept keeps its pixels.
  const TGIFColor& kept =
      image.GlobalColorMap()->Data(image.Images()->SubImages(0)->GetPixel(5, 0));
  EXPECT_EQ(kept, (TGIFColor{0x80, 0, 5}));
}

TEST(GifOptimize, RepeatedFramesMergeCropAndDisappear) {
  TGIFImage image;
  image.Header()->Width = 4;
  image.Header()->Height = 1;
  for (int i = 0; i < 3; ++i) {
    TGIFSubImage* frame = AddFrame(image, {0x0000FF, 0x00FF00}, {0, 1, 1, i == 2 ? 0 : 1});
    auto* comment = new TGIFCommentExtension(frame);
    frame->Extensions()->Add(comment);
    comment->Comment()->Add("note");
    auto* control = new TGIFGraphicControlExtension(frame);
    frame->Extensions()->Add(control);
    control->SetDelay(5);
  }
  image.Optimize({ooCrop, ooMerge, ooCleanup, ooColorMap}, rmNone, dmNearest, 8);
  // The second frame repeats the first and is gone; the third keeps only its
  // changed pixel.
  ASSERT_EQ(image.Images()->GetCount(), 2);
  TGIFSubImage* last = image.Images()->SubImages(1);
  EXPECT_EQ(last->BoundsRect(), (TRect{3, 0, 4, 1}));
  EXPECT_EQ(last->ActiveColorMap()->GetColor(last->GetPixel(0, 0)), 0x0000FF);
  for (int i = 0; i < 2; ++i)
    for (int e = 0; e < image.Images()->SubImages(i)->Extensions()->GetCount(); ++e)
      EXPECT_EQ(dynamic_cast<TGIFCommentExtension*>(
                    image.Images()->SubImages(i)->Extensions()->Extensions(e)),
                nullptr);
  EXPECT_THROW(image.Optimize({ooReduceColors}, rmPalette, dmNearest, 8), GIFException);
}

TEST(GifOptimize, StoredFormIsOptimizedOnlyWhenAsked) {
  for (bool optimize : {false, true}) {
    TGIFImage image;
    image.Header()->Width = 2;
    image.Header()->Height = 1;
    AddFrame(image, {0x0000FF, 0x00FF00}, {0, 1});
    AddFrame(image, {0x0000FF, 0x00FF00}, {0, 1});
    GIFImageOptimizeOnStream = optimize;
    TMemoryStream stored;
    image.WriteData(&stored);
    GIFImageOptimizeOnStream = false;
    stored.SetPosition(0);
    TGIFImage read;
    read.ReadData(&stored);
    EXPECT_EQ(read.Images()->GetCount(), optimize ? 1 : 2);
  }
}

} // namespace
