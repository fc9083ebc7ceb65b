// Saves give back the frames they were given, as this reader and the
// reference library read the file again.
#include "tests/gif/GifSupport.h"

#include <cstring>
#include <gif_lib.h>
#include <gtest/gtest.h>

namespace {

// What governs one frame's showing: delay, disposal, transparent index (-1
// for none); all -1 without a graphic control.
struct TShowing {
  int Delay = -1;
  int Disposal = -1;
  int Transparent = -1;
  bool operator==(const TShowing&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const TShowing& S) {
  return Out << "{" << S.Delay << ", " << S.Disposal << ", " << S.Transparent << "}";
}

TShowing ShowingOf(const TGIFSubImage& Frame) {
  const TGIFGraphicControlExtension* gce = Frame.GraphicControlExtension();
  if (gce == nullptr)
    return {};
  return {gce->Delay(), gce->Disposal(), gce->Transparent() ? gce->TransparentColorIndex() : -1};
}

struct TShownFrame {
  std::vector<int> Pixels;
  TShowing Showing;
  bool operator==(const TShownFrame&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const TShownFrame& F) {
  return Out << F.Pixels.size() << " pixels " << F.Showing;
}

// The frames with an image, as this reader holds them.
std::vector<TShownFrame> OurFrames(const TGIFImage& Image) {
  std::vector<TShownFrame> out;
  for (int i = 0; i < Image.Images()->GetCount(); ++i) {
    const TGIFSubImage* frame = Image.Images()->SubImages(i);
    if (!frame->Empty())
      out.push_back({Pixels(*frame), ShowingOf(*frame)});
  }
  return out;
}

struct TMemoryReader {
  const std::string* Bytes;
  size_t At = 0;
};

int ReadMemory(GifFileType* File, GifByteType* Buffer, int Count) {
  auto* reader = static_cast<TMemoryReader*>(File->UserData);
  const size_t n = std::min(static_cast<size_t>(Count), reader->Bytes->size() - reader->At);
  std::memcpy(Buffer, reader->Bytes->data() + reader->At, n);
  reader->At += n;
  return static_cast<int>(n);
}

// The frames as the reference library shows them.
std::vector<TShownFrame> ReferenceFrames(const std::string& Bytes) {
  TMemoryReader reader{&Bytes};
  int error = 0;
  GifFileType* file = DGifOpen(&reader, &ReadMemory, &error);
  EXPECT_NE(file, nullptr);
  if (file == nullptr)
    return {};
  EXPECT_EQ(DGifSlurp(file), GIF_OK);
  std::vector<TShownFrame> out;
  for (int i = 0; i < file->ImageCount; ++i) {
    const SavedImage& image = file->SavedImages[i];
    const int count = image.ImageDesc.Width * image.ImageDesc.Height;
    TShownFrame frame{std::vector<int>(image.RasterBits, image.RasterBits + count), {}};
    GraphicsControlBlock gcb{};
    if (DGifSavedExtensionToGCB(file, i, &gcb) == GIF_OK)
      frame.Showing = {gcb.DelayTime, gcb.DisposalMode, gcb.TransparentColor};
    out.push_back(frame);
  }
  DGifCloseFile(file, &error);
  return out;
}

TGIFSubImage* AddFrame(TGIFImage& Image, int Shade) {
  auto* frame = new TGIFSubImage(&Image);
  Image.Add(frame);
  frame->SetBounds(3, 3);
  frame->SetBounds(4, 2);
  for (int i = 0; i < 6; ++i)
    frame->GetScanline(i / 3)[i % 3] = static_cast<uint8_t>((i + Shade) % 4);
  return frame;
}

void AddControl(TGIFSubImage* Frame, int Delay, TDisposalMethod Disposal, int Transparent) {
  auto* gce = new TGIFGraphicControlExtension(Frame);
  Frame->Extensions()->Add(gce);
  gce->SetDelay(static_cast<uint16_t>(Delay));
  gce->SetDisposal(Disposal);
  if (Transparent >= 0) {
    gce->SetTransparentColorIndex(Transparent);
    gce->SetTransparent(true);
  }
}

} // namespace

// A frame holding only a graphic control (and a comment) between two frames
// with images: saved, the control must not become the next frame's, so the
// reload here and in the reference library shows the given frames with the
// settings each was given; the control left out is a warning, the comment
// is kept.
TEST(GifSave, AFrameWithoutAnImageDoesNotGovernTheNextFrame) {
  TGIFImage image;
  image.Header()->Width = 3;
  image.Header()->Height = 2;
  for (TColor c : {clBlack, clWhite, clRed, clBlue})
    image.GlobalColorMap()->Add(c);
  AddControl(AddFrame(image, 0), 10, dmBackground, -1);
  auto* bare = new TGIFSubImage(&image);
  image.Add(bare);
  AddControl(bare, 50, dmPrevious, 1);
  auto* comment = new TGIFCommentExtension(bare);
  bare->Extensions()->Add(comment);
  comment->Comment()->Add("between");
  AddFrame(image, 1);
  AddControl(AddFrame(image, 2), 20, dmNoDisposal, 3);
  const std::vector<TShownFrame> given = OurFrames(image);
  ASSERT_EQ(given.size(), 3u);

  TWarnings warnings(image);
  const std::string bytes = SaveToBytes(image);
  EXPECT_EQ(warnings.Messages, std::vector<std::string>{sEmptyFrameControl});
  TGIFImage again;
  LoadFromBytes(again, bytes);
  EXPECT_EQ(OurFrames(again), given);
  EXPECT_EQ(ReferenceFrames(bytes), given);
  ASSERT_EQ(again.Images()->GetCount(), 3);
  ASSERT_EQ(again.Images()->SubImages(1)->Extensions()->GetCount(), 1);
  auto* kept = dynamic_cast<TGIFCommentExtension*>(
      again.Images()->SubImages(1)->Extensions()->Extensions(0));
  ASSERT_NE(kept, nullptr);
  ASSERT_EQ(kept->Comment()->Count(), 1);
  EXPECT_EQ(kept->Comment()->Strings(0), "between");
}

// Extensions after the last image stay where they were: such a frame
// reads back as it was saved.
TEST(GifSave, ExtensionsAfterTheLastImageAreKept) {
  TGIFImage image;
  image.Header()->Width = 3;
  image.Header()->Height = 2;
  for (TColor c : {clBlack, clWhite, clRed, clBlue})
    image.GlobalColorMap()->Add(c);
  AddControl(AddFrame(image, 0), 10, dmBackground, -1);
  auto* bare = new TGIFSubImage(&image);
  image.Add(bare);
  AddControl(bare, 50, dmPrevious, 1);
  TWarnings warnings(image);
  const std::string bytes = SaveToBytes(image);
  EXPECT_TRUE(warnings.Messages.empty());
  TGIFImage again;
  LoadFromBytes(again, bytes);
  ASSERT_EQ(again.Images()->GetCount(), 2);
  EXPECT_EQ(OurFrames(again), OurFrames(image));
  EXPECT_TRUE(again.Images()->SubImages(1)->Empty());
  EXPECT_EQ(ShowingOf(*again.Images()->SubImages(1)), (TShowing{50, dmPrevious, 1}));
  EXPECT_EQ(ReferenceFrames(bytes), OurFrames(image));
}
