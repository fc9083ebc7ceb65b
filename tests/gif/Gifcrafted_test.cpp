// Small crafted files of tests/gif/data that once broke the reader, the
// painter or the writer: each loads (or is refused) quickly, draws, and
// saves a file that reads back the same.
#include "gif/Gifimage.h"
#include "platform/rtl/Kernel.h"
#include "tests/gif/GifSupport.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <type_traits>

namespace {

std::string DataFile(const std::string& Name) {
  std::ifstream in(std::string(WT_TEST_DATA_DIR) + "/" + Name, std::ios::binary);
  EXPECT_TRUE(in) << Name;
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<int> Pixels(const TGIFSubImage& Frame) {
  std::vector<int> out;
  for (int y = 0; y < Frame.Height(); ++y)
    for (int x = 0; x < Frame.Width(); ++x)
      out.push_back(Frame.GetPixel(x, y));
  return out;
}

// The frame drawn on a 24-bit bitmap of the image's size.
std::vector<TColor> Drawn(TGIFImage& Image) {
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(Image.Width(), Image.Height());
  target.Canvas()->Draw(0, 0, &Image);
  std::vector<TColor> out;
  for (int y = 0; y < Image.Height(); ++y)
    for (int x = 0; x < Image.Width(); ++x)
      out.push_back(target.Canvas()->Pixels(x, y));
  return out;
}

// Saved, the file reads back with the same pixels here and in ImageMagick.
void ExpectSavedTheSame(TGIFImage& Image, const std::string& Name) {
  const std::string bytes = SaveToBytes(Image);
  TGIFImage again;
  LoadFromBytes(again, bytes);
  ASSERT_EQ(again.Images()->GetCount(), Image.Images()->GetCount()) << Name;
  EXPECT_EQ(Pixels(*again.Images()->SubImages(0)), Pixels(*Image.Images()->SubImages(0))) << Name;
  TTempDir dir;
  const std::string path = dir.Path() + "/" + Name;
  std::ofstream(path, std::ios::binary) << bytes;
  EXPECT_EQ(MagickPixels(path), FramePixels(*again.Images()->SubImages(0))) << Name;
}

} // namespace

// A descriptor alone must not decide the allocation: frames that claim more
// pixels than their data could give, or more than the limit, are refused
// with a GIF error at once.
TEST(GifCrafted, FramesLargerThanTheirDataOrTheLimitAreRefused) {
  for (const char* name : {"frame-huge.gif", "frame-over-limit.gif"}) {
    TGIFImage image;
    const auto start = std::chrono::steady_clock::now();
    try {
      LoadFromBytes(image, DataFile(name));
      ADD_FAILURE() << name << " loaded";
    } catch (const GIFException& e) {
      EXPECT_STREQ(e.what(), sFrameTooLarge) << name;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << name;
    EXPECT_EQ(image.Images()->GetCount(), 0) << name;
  }
  // The size of a frame's pixels is not an int: 65535 x 65535 does not fit.
  static_assert(std::is_same_v<decltype(std::declval<TGIFSubImage>().DataSize()), size_t>);
}

// Disposal bits 4 to 7 mean nothing known: the frame stays in place, and
// the painter steps through such frames.
TEST(GifCrafted, UnknownDisposalLeavesTheFrameInPlace) {
  TGIFImage image;
  LoadFromBytes(image, DataFile("disposal-5.gif"));
  ASSERT_EQ(image.Images()->GetCount(), 2);
  for (int i = 0; i < 2; ++i) {
    const TGIFGraphicControlExtension* gce =
        image.Images()->SubImages(i)->GraphicControlExtension();
    ASSERT_NE(gce, nullptr);
    EXPECT_EQ(gce->Disposal(), dmNoDisposal);
  }
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(2, 1);
  std::vector<int> shown;
  image.OnAfterFrame = [&](TObject* Sender) {
    shown.push_back(static_cast<TGIFPainter*>(Sender)->ActiveImage());
  };
  image.Paint(target.Canvas(), TRect{0, 0, 2, 1}, {goAnimate});
  EXPECT_EQ(shown, (std::vector<int>{0, 1}));
  EXPECT_EQ(target.Canvas()->Pixels(0, 0), clWhite);
  // The file's bits are kept as they were.
  EXPECT_EQ(SaveToBytes(image), DataFile("disposal-5.gif"));
}

// A graphic control block is read by its declared size; it is written with
// the size the format gives, and other readers take the file.
TEST(GifCrafted, GraphicControlOfAnyDeclaredSize) {
  for (const char* name : {"gce-size5.gif", "gce-size3.gif"}) {
    TGIFImage image;
    LoadFromBytes(image, DataFile(name));
    ASSERT_EQ(image.Images()->GetCount(), 1) << name;
    const TGIFSubImage* frame = image.Images()->SubImages(0);
    ASSERT_NE(frame->GraphicControlExtension(), nullptr) << name;
    EXPECT_EQ(frame->GraphicControlExtension()->Delay(), 7) << name;
    EXPECT_EQ(Pixels(*frame), (std::vector<int>{0, 1})) << name;
    const std::string saved = SaveToBytes(image);
    EXPECT_NE(saved.find(std::string("\x21\xf9\x04\x00\x07\x00\x00\x00", 8)), std::string::npos)
        << name;
    ExpectSavedTheSame(image, name);
  }
}

// Without any colour table the pixels take black and white, draw, turn into
// a bitmap and save.
TEST(GifCrafted, NoColorTableFallsBackToBlackAndWhite) {
  TGIFImage image;
  LoadFromBytes(image, DataFile("no-color-table.gif"));
  ASSERT_EQ(image.Images()->GetCount(), 1);
  EXPECT_EQ(Drawn(image), (std::vector<TColor>{clBlack, clWhite}));
  TBitmap bitmap;
  bitmap.Assign(&image);
  EXPECT_EQ(bitmap.Canvas()->Pixels(1, 0), clWhite);
  ExpectSavedTheSame(image, "no-color-table.gif");
}

// Pixel 7 of a two-entry table draws black and is saved with a table grown
// to cover it.
TEST(GifCrafted, PixelsBeyondTheirTableAreSaved) {
  TGIFImage image;
  LoadFromBytes(image, DataFile("beyond-table.gif"));
  EXPECT_EQ(Pixels(*image.Images()->SubImages(0)), (std::vector<int>{0, 7}));
  EXPECT_EQ(Drawn(image), (std::vector<TColor>{clBlack, clBlack}));
  ExpectSavedTheSame(image, "beyond-table.gif");
  EXPECT_EQ(image.GlobalColorMap()->Count(), 8);
  EXPECT_EQ(image.GlobalColorMap()->GetColor(1), clWhite);
}

// With a minimum code size of 1 the codes widen right after the first one.
TEST(GifCrafted, MinimumCodeSizeOneDecodesAsWritten) {
  TGIFImage image;
  TWarnings warnings(image);
  LoadFromBytes(image, DataFile("lzw-min1.gif"));
  ASSERT_EQ(image.Images()->GetCount(), 1);
  EXPECT_EQ(Pixels(*image.Images()->SubImages(0)),
            (std::vector<int>{0, 0, 1, 1, 0, 1, 0, 0, 1, 1, 1, 1, 0, 0, 1, 0}));
  EXPECT_TRUE(warnings.Messages.empty());
}

// An extension of an unknown label is passed over, an application block of
// 12 bytes kept as it stands; the image loads and saves.
TEST(GifCrafted, UnknownExtensionsAreSkippedOrKept) {
  TGIFImage image;
  LoadFromBytes(image, DataFile("unknown-extensions.gif"));
  ASSERT_EQ(image.Images()->GetCount(), 1);
  const TGIFSubImage* frame = image.Images()->SubImages(0);
  EXPECT_EQ(Pixels(*frame), (std::vector<int>{1, 0}));
  ASSERT_EQ(frame->Extensions()->GetCount(), 1);
  EXPECT_NE(dynamic_cast<TGIFUnknownAppExtension*>(frame->Extensions()->Extensions(0)), nullptr);
  ExpectSavedTheSame(image, "unknown-extensions.gif");
}

// A frame that takes longer than its delay to handle is shown at once after
// it, not after the 12 s kept for a failed computation.
TEST(GifCrafted, ALateFrameDoesNotStallTheAnimation) {
  TGIFImage image;
  LoadFromBytes(image, DataFile("disposal-5.gif"));
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(2, 1);
  std::vector<int> shown;
  image.OnAfterFrame = [&](TObject* Sender) {
    shown.push_back(static_cast<TGIFPainter*>(Sender)->ActiveImage());
    if (shown.size() == 1)
      Sleep(300); // a slow handler: many times the 10 ms delay
  };
  const auto start = std::chrono::steady_clock::now();
  image.Paint(target.Canvas(), TRect{0, 0, 2, 1}, {goAnimate});
  EXPECT_EQ(shown, (std::vector<int>{0, 1}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}
