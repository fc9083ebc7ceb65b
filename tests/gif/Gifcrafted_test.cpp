// Small crafted files of tests/gif/data that once broke the reader, the
// painter or the writer: each loads (or is refused) quickly, draws, and
// saves a file that reads back the same.
#include "gif/Gifimage.h"
#include "platform/rtl/Kernel.h"
#include "tests/gif/GifAllocations.h"
#include "tests/gif/GifSupport.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <type_traits>

namespace {

std::string DataFile(const std::string& Name) {
  std::ifstream in(std::string(WT_TEST_DATA_DIR) + "/" + Name, std::ios::binary);
  EXPECT_TRUE(in) << Name;
  return std::string(std::istreambuf_iterator<char>(in), {});
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

// The frames a synchronous animation shows, on a bitmap of the image's
// size; the handler of the first frame takes FirstFrameMs.
std::vector<int> Animate(TGIFImage& Image, TBitmap& Target, DWORD FirstFrameMs) {
  Target.SetPixelFormat(pf24bit);
  Target.SetSize(Image.Width(), Image.Height());
  std::vector<int> shown;
  Image.OnAfterFrame = [&](TObject* Sender) {
    shown.push_back(static_cast<TGIFPainter*>(Sender)->ActiveImage());
    if (shown.size() == 1)
      Sleep(FirstFrameMs);
  };
  Image.Paint(Target.Canvas(), TRect{0, 0, Image.Width(), Image.Height()}, {goAnimate});
  return shown;
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

// Frames beyond the limit of pixels and screens beyond it (a whole drawing
// is that size) are refused with a GIF error at once, allocating nothing of
// what they claim.
TEST(GifCrafted, FramesAndScreensBeyondTheLimitAreRefused) {
  for (const char* name : {"frame-huge.gif", "frame-over-limit.gif", "screen-huge.gif"}) {
    const std::string bytes = DataFile(name);
    TGIFImage image;
    const TAllocationPeak peak;
    const auto start = std::chrono::steady_clock::now();
    try {
      LoadFromBytes(image, bytes);
      ADD_FAILURE() << name << " loaded";
    } catch (const GIFException& e) {
      EXPECT_STREQ(e.what(), sFrameTooLarge) << name;
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << name;
    EXPECT_LT(peak.Bytes(), 1u << 20) << name;
    EXPECT_EQ(image.Images()->GetCount(), 0) << name;
  }
  // The size of a frame's pixels is not an int: 65535 x 65535 does not fit.
  static_assert(std::is_same_v<decltype(std::declval<TGIFSubImage>().DataSize()), size_t>);
}

// A 4096 x 4096 frame whose data gives one pixel keeps the row it reached,
// not 16 MB of fill, and the frame after it stands.
TEST(GifCrafted, AFrameLargerThanItsDataKeepsTheRowsItReached) {
  const std::string bytes = DataFile("frame-then-comment.gif");
  TGIFImage image;
  const TAllocationPeak peak;
  LoadFromBytes(image, bytes);
  EXPECT_LT(peak.Bytes(), 1u << 20);
  ASSERT_EQ(image.Images()->GetCount(), 2);
  const TGIFSubImage* big = image.Images()->SubImages(0);
  EXPECT_EQ(big->Width(), 4096);
  EXPECT_EQ(big->Height(), 1);
  EXPECT_EQ(Pixels(*big), std::vector<int>(4096, 0));
  const TGIFSubImage* next = image.Images()->SubImages(1);
  EXPECT_EQ(Pixels(*next), (std::vector<int>{0, 1}));
  ASSERT_EQ(next->Extensions()->GetCount(), 1);
  EXPECT_NE(dynamic_cast<TGIFCommentExtension*>(next->Extensions()->Extensions(0)), nullptr);
  ExpectSavedTheSame(image, "frame-then-comment.gif");
}

// 45 frames, the last one 320 x 240 and cut 10 bytes into its data: the 44
// whole frames stand, the last keeps the 51 pixels of those bytes in the row
// they reached, and the cut is a warning.
TEST(GifCrafted, AFrameCutShortKeepsWhatItDecodedAndEveryFrameBefore) {
  TGIFImage image;
  TWarnings warnings(image);
  LoadFromBytes(image, DataFile("cut-last-frame.gif"));
  EXPECT_EQ(warnings.Messages, std::vector<std::string>{sOutOfData});
  ASSERT_EQ(image.Images()->GetCount(), 45);
  for (int i = 0; i < 44; ++i) {
    std::vector<int> expected;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x)
        expected.push_back((x + y + i) % 4);
    EXPECT_EQ(Pixels(*image.Images()->SubImages(i)), expected) << i;
  }
  const TGIFSubImage* last = image.Images()->SubImages(44);
  EXPECT_EQ(last->Width(), 320);
  EXPECT_EQ(last->Height(), 1);
  std::vector<int> expected(320, 0);
  for (int x = 0; x < 51; ++x)
    expected[static_cast<size_t>(x)] = x % 4;
  EXPECT_EQ(Pixels(*last), expected);
  TGIFImage again;
  LoadFromBytes(again, SaveToBytes(image));
  ASSERT_EQ(again.Images()->GetCount(), 45);
  EXPECT_EQ(Pixels(*again.Images()->SubImages(44)), expected);
}

// An interlaced 320 x 240 frame of one value a row, cut 60 bytes into its
// data: too little data for the whole frame, so its rows are made as the
// data reaches them, in the order of the first pass (0, 8, 16, ...). Each
// row reached holds what the whole file holds there, the last one up to the
// cut; every row between them, and the rest of the last, shows the fill
// (the transparent index of a transparent frame, else 0); the frame ends
// with the last row reached, and the cut is a warning.
TEST(GifCrafted, AnInterlacedFrameCutShortKeepsTheRowsItsPassReached) {
  for (const bool transparent : {false, true}) {
    const int fill = transparent ? 3 : 0;
    auto value = [&](int Row) { return transparent ? Row % 3 : Row % 3 + 1; };
    TGIFImage whole;
    whole.Header()->Width = 320;
    whole.Header()->Height = 240;
    for (TColor color : {clBlack, clRed, clLime, clBlue})
      whole.GlobalColorMap()->Add(color);
    auto* frame = new TGIFSubImage(&whole);
    whole.Add(frame);
    if (transparent) {
      auto* control = new TGIFGraphicControlExtension(frame);
      frame->Extensions()->Add(control);
      control->SetTransparentColorIndex(3);
      control->SetTransparent(true);
    }
    frame->SetBounds(3, 320);
    frame->SetBounds(4, 240);
    frame->SetInterlaced(true);
    for (int y = 0; y < 240; ++y)
      std::memset(frame->GetScanline(y), value(y), 320);
    const std::string bytes = SaveToBytes(whole);
    // Screen, table of 4, the control block, descriptor, code size byte.
    const size_t data = 13 + 12 + (transparent ? 8 : 0) + 10 + 1;
    ASSERT_EQ(bytes[data - 11], ',') << transparent;

    TGIFImage cut;
    TWarnings warnings(cut);
    LoadFromBytes(cut, bytes.substr(0, data + 60));
    EXPECT_EQ(warnings.Messages, std::vector<std::string>{sOutOfData}) << transparent;
    ASSERT_EQ(cut.Images()->GetCount(), 1);
    const TGIFSubImage* shown = cut.Images()->SubImages(0);
    EXPECT_EQ(shown->Width(), 320);
    const int last = shown->Height() - 1;
    // Far enough into the first pass that rows were skipped between rows.
    ASSERT_GE(last, 16) << transparent;
    EXPECT_EQ(last % 8, 0) << transparent;
    int reached = 0;
    while (reached < 320 && shown->GetPixel(reached, last) == value(last))
      ++reached;
    EXPECT_GT(reached, 0) << transparent;
    for (int y = 0; y <= last; ++y)
      for (int x = 0; x < 320; ++x) {
        const bool decoded = y % 8 == 0 && (y < last || x < reached);
        ASSERT_EQ(shown->GetPixel(x, y), decoded ? value(y) : fill)
            << transparent << " " << x << "," << y;
      }
  }
}

// Two whole frames and a comment cut inside its sub-block: both frames are
// kept, the cut block is a warning.
TEST(GifCrafted, ABlockCutAfterTheLastWholeFrameKeepsTheFrames) {
  TGIFImage image;
  TWarnings warnings(image);
  LoadFromBytes(image, DataFile("cut-after-frames.gif"));
  EXPECT_EQ(warnings.Messages, std::vector<std::string>{sOutOfData});
  ASSERT_EQ(image.Images()->GetCount(), 2);
  EXPECT_EQ(Pixels(*image.Images()->SubImages(0)), (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(Pixels(*image.Images()->SubImages(1)), (std::vector<int>{3, 2, 1, 0}));
  ExpectSavedTheSame(image, "cut-after-frames.gif");
}

// A 40 x 30 frame whose file ends right after its first whole data
// sub-block (255 bytes of 3-bit codes, a clear before every two pixels):
// the 453 pixels of that block stand, the rest is fill, and the cut is a
// warning although no block was short.
TEST(GifCrafted, AFrameCutAtASubBlockBoundaryIsReportedCut) {
  TGIFImage image;
  TWarnings warnings(image);
  LoadFromBytes(image, DataFile("cut-at-block.gif"));
  EXPECT_EQ(warnings.Messages, std::vector<std::string>{sOutOfData});
  ASSERT_EQ(image.Images()->GetCount(), 1);
  std::vector<int> expected(40 * 30, 0);
  for (int i = 0; i < 453; ++i)
    expected[i] = (i % 40 * 3 + i / 40) % 4;
  EXPECT_EQ(Pixels(*image.Images()->SubImages(0)), expected);
}

// A plain text block is read by its declared size (14: two bytes of no
// known meaning after the twelve; 10: the colours missing) and written with
// the twelve bytes the format gives.
TEST(GifCrafted, PlainTextOfAnyDeclaredSize) {
  struct Case {
    const char* Name;
    int Foreground;
    int Background;
  } cases[] = {{"text-size14.gif", 1, 2}, {"text-size10.gif", 0, 0}};
  for (const Case& c : cases) {
    TGIFImage image;
    LoadFromBytes(image, DataFile(c.Name));
    ASSERT_EQ(image.Images()->GetCount(), 1) << c.Name;
    TGIFSubImage* frame = image.Images()->SubImages(0);
    EXPECT_EQ(Pixels(*frame), (std::vector<int>{0, 1, 2, 3})) << c.Name;
    ASSERT_EQ(frame->Extensions()->GetCount(), 1) << c.Name;
    auto* text = dynamic_cast<TGIFTextExtension*>(frame->Extensions()->Extensions(0));
    ASSERT_NE(text, nullptr) << c.Name;
    EXPECT_EQ((std::vector<int>{text->GetBounds(1), text->GetBounds(2), text->GetBounds(3),
                                text->GetBounds(4), text->GetCharWidthHeight(1),
                                text->GetCharWidthHeight(2), text->GetColorIndex(1),
                                text->GetColorIndex(2)}),
              (std::vector<int>{1, 2, 30, 40, 5, 6, c.Foreground, c.Background}))
        << c.Name;
    ASSERT_EQ(text->Text()->Count(), 2) << c.Name;
    EXPECT_EQ(text->Text()->Strings(0), "Hi") << c.Name;
    EXPECT_EQ(text->Text()->Strings(1), "you") << c.Name;
    const std::string saved = SaveToBytes(image);
    const std::string block = std::string("\x21\x01\x0c\x01\0\x02\0\x1e\0\x28\0\x05\x06", 13) +
                              static_cast<char>(c.Foreground) + static_cast<char>(c.Background) +
                              "\x02Hi\x03you" + '\0';
    EXPECT_NE(saved.find(block), std::string::npos) << c.Name;
    ExpectSavedTheSame(image, c.Name);
  }
}

// A logical screen of 8192 x 8191 with two one-pixel frames, drawn on a
// 64 x 64 bitmap through the composite bitmap or straight: the work bitmaps
// cover what the bitmap shows, not the screen.
TEST(GifCrafted, DrawingAHugeScreenCostsWhatTheTargetShows) {
  for (const bool direct : {false, true}) {
    TGIFImage image;
    LoadFromBytes(image, DataFile("screen-8192.gif"));
    ASSERT_EQ(image.Images()->GetCount(), 2);
    if (direct)
      image.SetDrawOptions(image.DrawOptions() << goDirectDraw);
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(64, 64);
    target.Canvas()->Brush()->SetColor(clBlack);
    target.Canvas()->FillRect(TRect{0, 0, 64, 64});
    const TAllocationPeak peak;
    target.Canvas()->Draw(0, 0, &image);
    EXPECT_LT(peak.Bytes(), 4u << 20) << direct;
    // Straight on the target, the painter's thread paints through the main
    // thread's synchronisation.
    for (int i = 0; direct && i < 100 && target.Canvas()->Pixels(0, 0) != clRed; ++i)
      CheckSynchronize(10);
    EXPECT_EQ(target.Canvas()->Pixels(0, 0), clRed) << direct;
    image.PaintStop();
  }
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
  EXPECT_EQ(Animate(image, target, 0), (std::vector<int>{0, 1}));
  EXPECT_EQ(target.Canvas()->Pixels(0, 0), clWhite);
  // The file's bits are kept as they were.
  EXPECT_EQ(SaveToBytes(image), DataFile("disposal-5.gif"));
}

// A graphic control block is read by its declared size (one of 4 with data
// sub-blocks after it: they are passed over); it is written with the size
// the format gives, and other readers take the file.
TEST(GifCrafted, GraphicControlOfAnyDeclaredSize) {
  for (const char* name : {"gce-size5.gif", "gce-size3.gif", "gce-sub-block.gif"}) {
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

// A graphic control block whose fields took an extra byte from a line-end
// conversion (0x0a turned into 0x0d 0x0a): its six bytes are read as they
// stand, the terminator it pushed out is taken with it, and the frame keeps
// its picture and its transparency, with nothing to warn of.
TEST(GifCrafted, GraphicControlWithAStrayByteKeepsThePicture) {
  TGIFImage image;
  TWarnings warnings(image);
  LoadFromBytes(image, DataFile("gce-line-ends.gif"));
  EXPECT_TRUE(warnings.Messages.empty());
  ASSERT_EQ(image.Images()->GetCount(), 1);
  const TGIFSubImage* frame = image.Images()->SubImages(0);
  ASSERT_NE(frame->GraphicControlExtension(), nullptr);
  EXPECT_TRUE(frame->Transparent());
  EXPECT_EQ(Pixels(*frame), (std::vector<int>{12, 1, 2, 12, 3, 12, 4, 5}));
  ExpectSavedTheSame(image, "gce-line-ends.gif");
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
  const auto start = std::chrono::steady_clock::now();
  // A slow handler: many times the 10 ms delay.
  EXPECT_EQ(Animate(image, target, 300), (std::vector<int>{0, 1}));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

// A clip set for one paint does not limit the composite: drawn once through
// a clip of its left pixel and once more without, the picture shows whole.
TEST(GifCrafted, AClippedDrawDoesNotLimitTheNextOne) {
  auto draw = [](bool ClippedFirst) {
    TGIFImage image;
    LoadFromBytes(image, DataFile("cut-after-frames.gif"));
    TBitmap target;
    target.SetPixelFormat(pf24bit);
    target.SetSize(2, 2);
    target.Canvas()->Brush()->SetColor(clYellow);
    target.Canvas()->FillRect(TRect{0, 0, 2, 2});
    if (ClippedFirst) {
      IntersectClipRect(target.Canvas()->Handle(), 0, 0, 1, 1);
      target.Canvas()->Draw(0, 0, &image);
      SelectClipRgn(target.Canvas()->Handle(), nullptr);
    }
    target.Canvas()->Draw(0, 0, &image);
    std::vector<TColor> shown;
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x)
        shown.push_back(target.Canvas()->Pixels(x, y));
    image.PaintStop();
    return shown;
  };
  const std::vector<TColor> whole = draw(false);
  EXPECT_EQ(whole, (std::vector<TColor>{clBlack, clRed, clLime, clBlue}));
  EXPECT_EQ(draw(true), whole);
}
